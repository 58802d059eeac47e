#include "platform/posix/PosixSystem.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/ProgramIdentity.h"
#include "support/ScopedEnv.h"
#include "support/TestPlatform.h"

namespace quill::platform::posix {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;

class PosixSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "quill-sys-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    prefix_ = root_ + "/prefix";
    fs::create_directories(prefix_);
    fs::create_directories(root_ + "/runtime");
    runtime_ = std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", root_ + "/runtime");
  }
  void TearDown() override {
    runtime_.reset();
    fs::remove_all(root_);
  }

  /// Whether a separate process gets the lock for the prefix (its answer through its exit
  /// status: 0 = got it, 1 = refused).
  bool ChildGetsLock(const std::string& prefix) {
    pid_t pid = ::fork();
    if (pid == 0) {
      bool got = false;
      {
        test::FakeFileSystem files = test::FakeFileSystem::WithDriveZ();
        PosixSystem system(prefix, files, "");
        got = system.AcquireSingleInstance();
      }
      ::_exit(got ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  std::string root_, prefix_;
  std::unique_ptr<ScopedEnv> runtime_;
  test::FakeFileSystem files_ = test::FakeFileSystem::WithDriveZ();
};

TEST_F(PosixSystemTest, OneInstancePerPrefixAcrossProcesses) {
  {
    PosixSystem first(prefix_, files_, "");
    ASSERT_TRUE(first.AcquireSingleInstance());
    EXPECT_TRUE(first.AcquireSingleInstance()) << "asking again keeps the lock";
    EXPECT_EQ(fs::path(first.LockFilePath()).parent_path(), fs::path(root_ + "/runtime"));

    EXPECT_FALSE(ChildGetsLock(prefix_));
    // The same prefix named another way is the same machine.
    EXPECT_FALSE(ChildGetsLock(prefix_ + "/../prefix/"));
    PosixSystem secondHere(prefix_, files_, "");
    EXPECT_FALSE(secondHere.AcquireSingleInstance());

    // Another prefix is another machine.
    fs::create_directories(root_ + "/other");
    EXPECT_TRUE(ChildGetsLock(root_ + "/other"));
  }
  // The holder is gone, and so is its file: the next one gets it.
  EXPECT_TRUE(fs::is_empty(root_ + "/runtime"));
  EXPECT_TRUE(ChildGetsLock(prefix_));
}

TEST_F(PosixSystemTest, WithoutARuntimeFolderTheLockIsPerUserInTmp) {
  ScopedEnv noRuntime("XDG_RUNTIME_DIR", "");
  PosixSystem system(prefix_, files_, "");
  std::string lock = system.LockFilePath();
  EXPECT_EQ(lock.rfind("/tmp/quillonet-" + std::to_string(::getuid()) + "-", 0), 0u) << lock;
  ASSERT_TRUE(system.AcquireSingleInstance());
  EXPECT_FALSE(ChildGetsLock(prefix_));
}

TEST_F(PosixSystemTest, IdentityComesFromTheBuildAndTheProgramFolderIsAWindowsPath) {
  std::string programDir = root_ + "/program";
  fs::create_directories(programDir);

  PosixSystem overridden(prefix_, files_, programDir + "/");
  ProgramIdentity id = overridden.Identity();
  EXPECT_EQ(id.productName, build::kProductName);
  EXPECT_EQ(id.companyName, build::kCompanyName);
  EXPECT_EQ(id.comments, build::kComments);
  EXPECT_EQ(id.exeName, build::kExeName);
  EXPECT_EQ(id.versionMajor, build::kVersionMajor);
  EXPECT_EQ(id.versionMinor, build::kVersionMinor);
  EXPECT_EQ(id.brandNumber, build::kBrandNumber);
  std::string expected = files_.FromNativePath(fs::canonical(programDir).string());
  EXPECT_EQ(id.programFolder, expected);
  EXPECT_NE(id.programFolder.back(), '\\');

  {
    ScopedEnv env("QUILLONET_PROGRAM_DIR", programDir);
    PosixSystem fromEnv(prefix_, files_, "");
    EXPECT_EQ(fromEnv.Identity().programFolder, expected);
  }
  {
    ScopedEnv env("QUILLONET_PROGRAM_DIR", "");
    PosixSystem installed(prefix_, files_, "");
    std::string native = fs::exists(build::kDataDir) ? build::kDataDir : build::kSourceResources;
    EXPECT_EQ(installed.NativeProgramFolder(), native);
  }

  OsVersion version = overridden.Version();
  EXPECT_EQ(version.platformId, 2);
  EXPECT_EQ(version.major, 6);
  EXPECT_EQ(version.minor, 1);
  EXPECT_FALSE(overridden.HasSystemRestore());
  EXPECT_FALSE(overridden.BeginRestorePoint("Quillonet", 0).has_value());
  EXPECT_FALSE(overridden.CallLibraryRegistration("C:\\windows\\x.dll", true));
}

}  // namespace
}  // namespace quill::platform::posix
