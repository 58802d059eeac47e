// A Full System Scan from the command line over a real prefix made by wineboot, while real Wine
// programs run in it and in a second prefix, and a native program of the same name runs too.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "definitions/DefinitionCodec.h"
#include "platform/posix/WinePrefix.h"
#include "support/CliRunner.h"
#include "support/RealWinePrefix.h"
#include "support/TestPlatform.h"

namespace quill::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "C:\\Program Files\\Quill\\quillwait.exe";

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

bool Alive(pid_t pid) {
  return pid > 0 && ::kill(pid, 0) == 0 && ::waitpid(pid, nullptr, WNOHANG) == 0;
}

// Pids of the processes whose argv[0] is exactly the text and whose environment holds the
// entry (or none of them, when entry is empty).
std::vector<pid_t> Find(const std::string& argv0, const std::string& entry) {
  std::vector<pid_t> found;
  for (const auto& dir : fs::directory_iterator("/proc")) {
    const std::string name = dir.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string cmdline = CliRunner::ReadAll(dir.path() / "cmdline");
    if (cmdline.substr(0, cmdline.find('\0')) != argv0) continue;
    const std::string environ = '\0' + CliRunner::ReadAll(dir.path() / "environ");
    if (!entry.empty() && environ.find('\0' + entry + '\0') == std::string::npos) continue;
    found.push_back(static_cast<pid_t>(std::stoi(name)));
  }
  return found;
}

// One pair of real prefixes for the whole suite: wineboot runs once (cached), each prefix is
// a copy. Prefix A is the machine scanned; B is another user's machine on the same host.
class RealWineScan : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (RealWinePrefix::Get().empty()) return;
    base_ = MakeTempFolder("realwine-scan");
    a_ = RealWinePrefix::CopyTo(base_ + "/a");
    b_ = RealWinePrefix::CopyTo(base_ + "/b");
    // Wine links the profile folders into the home folder: Documents to its own folder, the
    // others to the home itself (as when the home has no such folders).
    home_ = base_ + "/home";
    fs::create_directories(home_ + "/Documents");
    const std::string profile =
        a_ + "/drive_c/users/" + platform::posix::WinePrefix::UserNameOf(a_) + "/";
    for (const char* folder : {"Desktop", "Documents", "Downloads", "Music", "Pictures"}) {
      fs::remove_all(profile + folder);
      const std::string target = std::string(folder) == "Documents" ? "/Documents" : "";
      fs::create_directory_symlink(home_ + target, profile + folder);
    }
    std::ofstream(home_ + "/Documents/quillonet-doc.txt") << "x";
    // Z: shows a small host: the home and both prefixes (the machine's own files among them).
    fs::remove(a_ + "/dosdevices/z:");
    fs::create_directory_symlink(base_, a_ + "/dosdevices/z:");

    RealWinePrefix::RunWine(a_,
                            "wine reg add 'HKCU\\Software\\QuillonetTest' /v TestValue /d x /f");
    for (const std::string& prefix : {a_, b_}) {
      fs::create_directories(prefix + "/drive_c/Program Files/Quill");
      fs::copy_file(prefix + "/drive_c/windows/system32/ping.exe",
                    prefix + "/drive_c/Program Files/Quill/quillwait.exe");
      // A program that keeps running; its wineserver with it.
      RealWinePrefix::RunWine(
          prefix,
          "wine 'C:\\Program Files\\Quill\\quillwait.exe' -n 600 127.0.0.1 >/dev/null 2>&1 &",
          nullptr, false);
    }
    // A native program of the same name.
    fs::copy_file("/bin/sleep", base_ + "/quillwait.exe");
    std::string path = base_ + "/quillwait.exe", seconds = "600";
    char* argv[] = {path.data(), seconds.data(), nullptr};
    ::posix_spawn(&native_, path.c_str(), nullptr, nullptr, argv, environ);
    for (int i = 0; i < 300 && (Find(kProgram, "WINEPREFIX=" + a_).empty() ||
                                Find(kProgram, "WINEPREFIX=" + b_).empty());
         ++i)
      ::usleep(100000);
  }

  static void TearDownTestSuite() {
    if (base_.empty()) return;
    if (native_ > 0) {
      ::kill(native_, SIGKILL);
      ::waitpid(native_, nullptr, 0);
    }
    for (const std::string& prefix : {a_, b_}) RealWinePrefix::RunWine(prefix, "wineserver -k");
    std::error_code ec;
    fs::remove_all(base_, ec);
  }

  void SetUp() override { QUILL_REQUIRE_REAL_WINE(); }

  // Definition files of our own, staged into prefix A's data folder.
  void StageDefinitions() {
    const std::string folder = base_ + "/definitions";
    fs::create_directories(folder);
    auto write = [&](const char* name, const std::string& line) {
      std::ofstream(folder + "/" + name, std::ios::binary) << EncodeLine(line) << "\r\n";
    };
    write("FileDefinition.dat", "quillonet-doc.txt=Quill Doc|[personl]|Testfile");
    write("DirectoryDefinition.dat", "Absent=Absent Folder|[progfil]QuillAbsent");
    write("RegistryDefinition.dat", "1^Software\\QuillonetTest^TestValue=Quill Value");
    write("ExeDefinition.dat", "quillwait.exe=Quill Wait|[progfil]Quill");
    write("BlockedCookies.dat", "quillonet-test.example");
    write("Safety.dat", "SDIR|Windows=Windows folder|[windir]");
    ASSERT_EQ(cli_.Run({"--prefix", a_, "stage-definitions", folder}).status, 0);
  }

  static std::string base_, a_, b_, home_;
  static pid_t native_;
  CliRunner cli_;
};

std::string RealWineScan::base_, RealWineScan::a_, RealWineScan::b_, RealWineScan::home_;
pid_t RealWineScan::native_ = 0;

TEST_F(RealWineScan, FullScanOfAPrefixInUseFindsEachThingOnceAndStopsOnlyItsOwnProgram) {
  ASSERT_FALSE(a_.empty());
  const std::vector<pid_t> ours = Find(kProgram, "WINEPREFIX=" + a_);
  const std::vector<pid_t> theirs = Find(kProgram, "WINEPREFIX=" + b_);
  ASSERT_EQ(ours.size(), 1u);
  ASSERT_EQ(theirs.size(), 1u);
  ASSERT_TRUE(Alive(native_));
  StageDefinitions();

  CliRunner::Outcome scan = cli_.Run({"--prefix", a_, "scan", "full"});
  EXPECT_EQ(scan.status, 1) << scan.out << scan.err;
  // The document in the linked Documents folder, once (not again through Desktop, which
  // leads to the home above it, nor through Z:).
  EXPECT_EQ(Count(scan.out, "\tQuill Doc\t"), 1u) << scan.out;
  // The registry value, found while the prefix's wineserver runs.
  EXPECT_EQ(Count(scan.out, "\tQuill Value\t"), 1u) << scan.out;
  EXPECT_EQ(Count(scan.out, "3\tRunning Application\tQUILLWAIT.EXE was stopped\t"), 1u) << scan.out;
  EXPECT_EQ(scan.out.find("could not be examined"), std::string::npos) << scan.out;

  // Only this prefix's program ended.
  for (int i = 0; i < 100 && !Find(kProgram, "WINEPREFIX=" + a_).empty(); ++i) ::usleep(50000);
  EXPECT_TRUE(Find(kProgram, "WINEPREFIX=" + a_).empty());
  EXPECT_EQ(Find(kProgram, "WINEPREFIX=" + b_), theirs);
  EXPECT_TRUE(Alive(native_));
}

}  // namespace
}  // namespace quill::test
