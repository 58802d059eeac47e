#include "platform/posix/PosixProcesses.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TestPlatform.h"

namespace quill::platform::posix {
namespace {

/// A real child process running `sleep`, started with the given argv[0]. The constructor
/// returns once the exec has happened (the close-on-exec pipe reaches end of file), so /proc
/// already shows the new program.
class SleepingChild {
 public:
  explicit SleepingChild(const std::string& argv0, bool ownGroup = false) {
    int sync[2];
    if (::pipe2(sync, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      if (ownGroup) ::setpgid(0, 0);
      std::string arg0 = argv0;
      char seconds[] = "60";
      char* argv[] = {arg0.data(), seconds, nullptr};
      ::execv(SleepPath().c_str(), argv);
      ::_exit(127);
    }
    ::close(sync[1]);
    char byte;
    while (::read(sync[0], &byte, 1) > 0) {
    }
    ::close(sync[0]);
  }
  ~SleepingChild() {
    if (pid_ > 0 && !reaped_) {
      ::kill(pid_, SIGKILL);
      Reap();
    }
  }
  pid_t Pid() const { return pid_; }
  /// Collects the exit status; the signal that ended the child, or 0.
  int Reap() {
    int status = 0;
    reaped_ = ::waitpid(pid_, &status, 0) == pid_;
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  static std::string SleepPath() {
    char* real = ::realpath("/bin/sleep", nullptr);
    std::string path = real != nullptr ? real : "/bin/sleep";
    std::free(real);
    return path;
  }

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
};

const ProcessInfo* FindPid(const std::vector<ProcessInfo>& list, uint32_t pid) {
  auto it = std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.pid == pid; });
  return it == list.end() ? nullptr : &*it;
}

TEST(PosixProcesses, OnlyThisPrefixsWineProcessesAreListedAndStopped) {
  const std::string prefix = test::MakeTempFolder("procs-mine");
  const std::string other = test::MakeTempFolder("procs-other");
  test::FakeFileSystem files = test::FakeFileSystem::WithDriveZ();
  // Reached through a link: the prefix is the same folder however it is spelled.
  const std::string linked = other + "/link-to-mine";
  ASSERT_EQ(::symlink(prefix.c_str(), linked.c_str()), 0);
  PosixProcesses processes(files, linked);
  const std::string windowsPath = "C:\\Program Files\\Sample\\sample.exe";
  test::ChildProcess mine(windowsPath, prefix);
  test::ChildProcess theirs(windowsPath, other);
  SleepingChild native("sample.exe");
  ASSERT_GT(native.Pid(), 0);
  const uint32_t pid = mine.Pid();

  auto list = processes.Enumerate();
  ASSERT_TRUE(list.has_value());
  EXPECT_TRUE(std::is_sorted(list->begin(), list->end(),
                             [](const auto& a, const auto& b) { return a.pid < b.pid; }));
  const ProcessInfo* found = FindPid(*list, pid);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->name, "sample.exe");
  EXPECT_EQ(found->path, windowsPath);
  EXPECT_EQ(FindPid(*list, theirs.Pid()), nullptr) << "another prefix's program";
  EXPECT_EQ(FindPid(*list, static_cast<uint32_t>(native.Pid())), nullptr) << "a native program";
  EXPECT_EQ(FindPid(*list, static_cast<uint32_t>(::getpid())), nullptr);

  // Neither the other prefix's program nor the native one can be ended through this prefix.
  EXPECT_FALSE(processes.Terminate(theirs.Pid(), 1));
  EXPECT_FALSE(processes.Terminate(static_cast<uint32_t>(native.Pid()), 1));
  EXPECT_TRUE(theirs.Running());

  EXPECT_FALSE(processes.WaitForExit(pid, 0)) << "still running";
  EXPECT_TRUE(processes.Terminate(pid, 1));
  EXPECT_TRUE(processes.WaitForExit(pid, 10000)) << "a zombie counts as ended";
  EXPECT_EQ(mine.Reap(), SIGKILL);

  // Gone for good: nothing to stop, nothing to wait for.
  EXPECT_FALSE(processes.Terminate(pid, 1));
  EXPECT_TRUE(processes.WaitForExit(pid, 0));
  auto after = processes.Enumerate();
  ASSERT_TRUE(after.has_value());
  EXPECT_EQ(FindPid(*after, pid), nullptr);
  std::filesystem::remove_all(prefix);
  std::filesystem::remove_all(other);
}

TEST(PosixProcesses, NativeProcessIsNamedByItsExecutableThroughDriveZ) {
  test::FakeFileSystem files = test::FakeFileSystem::WithDriveZ();
  PosixProcesses processes(files, "/nonexistent-prefix");
  SleepingChild child("sleep");
  ASSERT_GT(child.Pid(), 0);

  std::string native = SleepingChild::SleepPath();
  ProcessInfo info = processes.Describe(static_cast<uint32_t>(child.Pid()));
  EXPECT_EQ(info.name, native.substr(native.rfind('/') + 1));
  EXPECT_EQ(info.path, files.FromNativePath(native));
  EXPECT_EQ(info.path.substr(0, 3), "Z:\\");

  // A Windows-looking name that is not a drive path stays native.
  EXPECT_FALSE(IsWindowsPath("sample.exe"));
  EXPECT_FALSE(IsWindowsPath("\\\\server\\share\\x.exe"));
  EXPECT_FALSE(IsWindowsPath("C:sample.exe"));
  EXPECT_TRUE(IsWindowsPath("c:\\x.exe"));
}

TEST(PosixProcesses, ProcessThatCannotBeReadHasNoNameAndNoPath) {
  test::FakeFileSystem files = test::FakeFileSystem::WithDriveZ();
  PosixProcesses processes(files, "/nonexistent-prefix");
  // A pid that no process has (above the kernel's largest pid).
  ProcessInfo info = processes.Describe(static_cast<uint32_t>(INT_MAX));
  EXPECT_TRUE(info.name.empty());
  EXPECT_TRUE(info.path.empty());
}

TEST(PosixProcesses, IdentifiersThatAddressGroupsAreRefused) {
  test::FakeFileSystem files = test::FakeFileSystem::WithDriveZ();
  PosixProcesses processes(files, "/nonexistent-prefix");
  SleepingChild child("sleep", /*ownGroup=*/true);
  ASSERT_GT(child.Pid(), 0);
  uint32_t pid = static_cast<uint32_t>(child.Pid());

  // As a signed pid this would mean "the child's process group"; it is no process identifier.
  EXPECT_FALSE(processes.Terminate(static_cast<uint32_t>(-static_cast<int64_t>(pid)), 1));
  EXPECT_FALSE(processes.Terminate(0, 1));
  EXPECT_FALSE(processes.WaitForExit(pid, 0)) << "the child must have survived";
}

}  // namespace
}  // namespace quill::platform::posix
