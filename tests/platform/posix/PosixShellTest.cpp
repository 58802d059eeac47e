#include "platform/posix/PosixShell.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <thread>

#include "base/Text.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/WineRegistry.h"
#include "support/ScopedEnv.h"
#include "support/TempPrefix.h"
#include "support/TestPlatform.h"

namespace quill::platform::posix {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;

using test::FakeRegistry;

constexpr const char* kUsf =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr const char* kSf = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

class PosixShellTest : public ::testing::Test {
 protected:
  std::string UserPath(const std::string& rest) const {
    return "C:\\users\\" + prefix_.User() + rest;
  }
  test::TempPrefix prefix_;
  FakeRegistry registry_;
  PosixFileSystem files_{prefix_.Root()};
  PosixShell shell_{prefix_.Root(), registry_, files_};
};

TEST_F(PosixShellTest, FallbackFoldersAreWinesLayout) {
  EXPECT_EQ(shell_.SpecialFolder(csidl::kAppData).value_or(""), UserPath("\\AppData\\Roaming"));
  EXPECT_EQ(shell_.SpecialFolder(csidl::kPrograms).value_or(""),
            UserPath("\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"));
  EXPECT_EQ(shell_.SpecialFolder(csidl::kCookies).value_or(""),
            UserPath("\\AppData\\Local\\Microsoft\\Windows\\INetCookies"));
  EXPECT_EQ(shell_.SpecialFolder(csidl::kPersonal).value_or(""), UserPath("\\Documents"));
  EXPECT_EQ(shell_.SpecialFolder(csidl::kCommonStartMenu).value_or(""),
            "C:\\ProgramData\\Microsoft\\Windows\\Start Menu");
  EXPECT_EQ(shell_.SpecialFolder(csidl::kCommonDesktopDirectory).value_or(""),
            "C:\\users\\Public\\Desktop");
  EXPECT_EQ(shell_.SpecialFolder(csidl::kCommonAppData).value_or(""), "C:\\ProgramData");
  EXPECT_EQ(shell_.SpecialFolder(csidl::kWindows).value_or(""), "C:\\windows");
  EXPECT_EQ(shell_.SpecialFolder(csidl::kSystem).value_or(""), "C:\\windows\\system32");
  EXPECT_EQ(shell_.SpecialFolder(csidl::kFonts).value_or(""), "C:\\windows\\Fonts");
  EXPECT_EQ(shell_.SpecialFolder(csidl::kProgramFiles).value_or(""), "C:\\Program Files");
  EXPECT_EQ(shell_.SpecialFolder(csidl::kProgramFilesCommon).value_or(""),
            "C:\\Program Files\\Common Files");
  EXPECT_EQ(shell_.SystemDirectory(), "C:\\windows\\system32");
  EXPECT_EQ(shell_.WindowsDirectory(), "C:\\windows");

  // No path: the Recycle Bin, the alternate Startup folders Wine lacks, unknown numbers.
  for (int id : {csidl::kBitBucket, csidl::kAltStartup, csidl::kCommonAltStartup, 0, 999, -1})
    EXPECT_FALSE(shell_.SpecialFolder(id).has_value()) << id;

  // Every folder the program asks for exists in a fresh prefix, and both routes agree.
  for (int id : {2,  5,  6,  7,  8,  9,  11, 16, 20, 21, 22, 23, 25,
                 26, 31, 32, 33, 34, 35, 36, 37, 38, 43, 45, 46}) {
    auto path = shell_.SpecialFolder(id);
    ASSERT_TRUE(path.has_value()) << id;
    EXPECT_EQ(files_.Attributes(*path).value_or(0) & kAttrDirectory, kAttrDirectory)
        << id << " " << *path;
    EXPECT_EQ(shell_.SpecialFolderByLocation(id), path) << id;
  }
}

TEST_F(PosixShellTest, RegistryFoldersWinAndAreExpanded) {
  registry_.SetSz(RootKey::CurrentUser, kUsf, "AppData", "%USERPROFILE%\\Roaming Elsewhere",
                  RegType::ExpandSz);
  registry_.SetSz(RootKey::CurrentUser, kSf, "AppData", "C:\\ignored");
  registry_.SetSz(RootKey::CurrentUser, kSf, "Personal", "D:\\Docs\\");
  registry_.SetSz(RootKey::CurrentUser, kUsf, "Favorites", "relative\\garbage");
  registry_.SetSz(RootKey::CurrentUser, kUsf, "Cookies", "%NOSUCHNAME%\\Cookies",
                  RegType::ExpandSz);
  registry_.SetSz(RootKey::CurrentUser, kUsf, "Templates", "%MYTEMPLATES%\\T", RegType::ExpandSz);
  registry_.SetSz(RootKey::CurrentUser, "Environment", "MyTemplates", "%USERPROFILE%\\Mine",
                  RegType::ExpandSz);
  registry_.SetSz(RootKey::LocalMachine,
                  "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", "ProgramData",
                  "E:\\PD", RegType::ExpandSz);
  registry_.SetSz(RootKey::LocalMachine, kUsf, "Common AppData", "%ProgramData%",
                  RegType::ExpandSz);
  registry_.SetSz(RootKey::LocalMachine, kUsf, "Common Start Menu", "%ALLUSERSPROFILE%\\Start Menu",
                  RegType::ExpandSz);
  registry_.SetSz(RootKey::LocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion",
                  "SystemRoot", "C:\\WINNT");
  registry_.SetSz(RootKey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                  "ProgramFilesDir", "D:\\Apps");

  EXPECT_EQ(shell_.SpecialFolder(csidl::kAppData).value_or(""), UserPath("\\Roaming Elsewhere"));
  EXPECT_EQ(shell_.SpecialFolder(csidl::kPersonal).value_or(""), "D:\\Docs");
  EXPECT_EQ(shell_.SpecialFolder(csidl::kFavorites).value_or(""), UserPath("\\Favorites"));
  EXPECT_EQ(shell_.SpecialFolder(csidl::kCookies).value_or(""),
            UserPath("\\AppData\\Local\\Microsoft\\Windows\\INetCookies"));
  EXPECT_EQ(shell_.SpecialFolder(csidl::kTemplates).value_or(""), UserPath("\\Mine\\T"));
  EXPECT_EQ(shell_.SpecialFolder(csidl::kCommonAppData).value_or(""), "E:\\PD");
  EXPECT_EQ(shell_.SpecialFolder(csidl::kCommonStartMenu).value_or(""), "E:\\PD\\Start Menu");
  EXPECT_EQ(shell_.WindowsDirectory(), "C:\\WINNT");
  EXPECT_EQ(shell_.SystemDirectory(), "C:\\WINNT\\system32");
  EXPECT_EQ(shell_.SpecialFolder(csidl::kFonts).value_or(""), "C:\\WINNT\\Fonts");
  EXPECT_EQ(shell_.SpecialFolder(csidl::kProgramFiles).value_or(""), "D:\\Apps");
  EXPECT_EQ(shell_.SpecialFolder(csidl::kProgramFilesCommon).value_or(""),
            "C:\\Program Files\\Common Files");
  EXPECT_EQ(shell_.ExpandEnvironment("%windir%|%Nope%|%USERNAME%|100%"),
            "C:\\WINNT|%Nope%|" + prefix_.User() + "|100%");
}

TEST_F(PosixShellTest, DrivesWithTypesAndReadiness) {
  fs::path devices = prefix_.Root() + "/dosdevices";
  fs::create_directory_symlink(prefix_.Root() + "/drive_c/windows", devices / "d:");
  fs::create_directory_symlink(prefix_.Root() + "/nowhere", devices / "e:");
  fs::create_directory_symlink(prefix_.Root() + "/drive_c", devices / "f:");
  fs::create_symlink("/dev/null", devices / "d::");
  fs::create_symlink("/dev/null", devices / "com1");
  const std::string drivesKey = "Software\\Wine\\Drives";
  registry_.SetSz(RootKey::LocalMachine, drivesKey, "d:", "cdrom");
  registry_.SetSz(RootKey::LocalMachine, drivesKey, "e:", "network");
  registry_.SetSz(RootKey::LocalMachine, drivesKey, "f:", "floppy");

  auto drives = shell_.Drives();
  std::string summary;
  for (const auto& d : drives)
    summary += std::string(1, d.letter) + std::to_string(static_cast<int>(d.type)) +
               (d.ready ? "+" : "-") + " ";
  EXPECT_EQ(summary, "C3+ D5+ E4- F2+ Z3+ ");

  auto volume = shell_.Volume("C:\\");
  ASSERT_TRUE(volume.has_value());
  EXPECT_GT(volume->total, 0u);
  EXPECT_LE(volume->free, volume->total);
  EXPECT_TRUE(shell_.Volume("c:").has_value());
  EXPECT_FALSE(shell_.Volume("E:\\").has_value());
  EXPECT_FALSE(shell_.Volume("Q:\\").has_value());
  EXPECT_FALSE(shell_.Volume("C:\\windows").has_value());
}

// The same answers through the prefix's own hive files.
TEST(PosixShellWineRegistry, ReadsFoldersAndDrivesFromTheHives) {
  test::TempPrefix prefix;
  std::ofstream(prefix.Root() + "/user.reg")
      << "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
         "#arch=win64\n\n"
         "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\User Shell Folders]"
         " 1796746057\n"
         "\"Personal\"=str(2):\"%USERPROFILE%\\\\My Stuff\"\n";
  std::ofstream(prefix.Root() + "/system.reg")
      << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
         "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion] 1796746058\n"
         "\"SystemRoot\"=\"C:\\\\windows\"\n\n"
         "[Software\\\\Wine\\\\Drives] 1796746058\n\"d:\"=\"cdrom\"\n";
  std::filesystem::create_directory_symlink(prefix.Root() + "/drive_c",
                                            prefix.Root() + "/dosdevices/d:");
  WineRegistry registry(prefix.Root());
  PosixFileSystem files(prefix.Root());
  PosixShell shell(prefix.Root(), registry, files);
  EXPECT_EQ(shell.SpecialFolder(csidl::kPersonal).value_or(""),
            "C:\\users\\" + prefix.User() + "\\My Stuff");
  EXPECT_EQ(shell.SpecialFolder(csidl::kAppData).value_or(""),
            "C:\\users\\" + prefix.User() + "\\AppData\\Roaming");
  auto drives = shell.Drives();
  ASSERT_EQ(drives.size(), 3u);
  EXPECT_EQ(drives[1].letter, 'D');
  EXPECT_EQ(drives[1].type, DriveType::CdRom);
}

TEST(PosixShellCommandLine, SplitsLikeWindowsPrograms) {
  using V = std::vector<std::string>;
  EXPECT_EQ(PosixShell::SplitCommandLine("a  \"b c\" d\\e \"f\\\"g\" \"\""),
            (V{"a", "b c", "d\\e", "f\"g", ""}));
  EXPECT_EQ(PosixShell::SplitCommandLine("C:\\x\\\\ y"), (V{"C:\\x\\\\", "y"}));
  EXPECT_TRUE(PosixShell::SplitCommandLine("   ").empty());
}

// Starts real child processes: a recorder script stands in for the desktop opener and wine.
class PosixShellStartTest : public PosixShellTest {
 protected:
  void SetUp() override {
    bin_ = prefix_.Root() + "/bin";
    log_ = prefix_.Root() + "/opened.log";
    fs::create_directories(bin_);
    WriteScript(bin_ + "/recorder", "printf 'open:%s\\n' \"$@\" >> '" + log_ + "'\n");
    WriteScript(bin_ + "/wine",
                "printf 'wine:%s|%s\\n' \"$WINEPREFIX\" \"$*\" >> '" + log_ + "'\n");
  }
  static void WriteScript(const std::string& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    ::chmod(path.c_str(), 0755);
  }
  // The started programs run on their own; wait until they have written what we expect.
  std::vector<std::string> WaitForLines(size_t count) {
    std::vector<std::string> lines;
    for (int i = 0; i < 2000; ++i) {
      std::ifstream in(log_);
      lines.clear();
      for (std::string line; std::getline(in, line);) lines.push_back(line);
      if (lines.size() >= count) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
  }
  std::string bin_, log_;
};

TEST_F(PosixShellStartTest, OpensFoldersAndDocumentsThroughTheDesktopOpener) {
  ScopedEnv opener("QUILLONET_OPEN_COMMAND", bin_ + "/recorder");
  ScopedEnv path("PATH", "/nonexistent");  // no wine here
  ASSERT_TRUE(prefix_.WriteFile("C:\\Data Folder\\quarantine\\ENoSignature.dat", "x"));
  std::string folder = prefix_.Native("C:\\Data Folder\\quarantine");

  EXPECT_TRUE(shell_.Execute("explorer C:\\data folder\\QUARANTINE", ShowStyle::NormalFocus));
  EXPECT_TRUE(shell_.Execute("notepad c:\\Data Folder\\quarantine\\enosignature.dat",
                             ShowStyle::NormalFocus));
  EXPECT_TRUE(
      shell_.Execute("explorer.exe /select,\"C:\\Data Folder\\quarantine\\ENoSignature.dat\"",
                     ShowStyle::MinimizedFocus));
  EXPECT_TRUE(shell_.OpenDocument("http://www.quillonet.example/", ShowStyle::NormalFocus));
  auto lines = WaitForLines(4);
  EXPECT_EQ(lines, (std::vector<std::string>{"open:" + folder, "open:" + folder,
                                             "open:" + folder + "/ENoSignature.dat",
                                             "open:http://www.quillonet.example/"}));

  EXPECT_FALSE(shell_.Execute("explorer C:\\no such folder", ShowStyle::NormalFocus));
  EXPECT_FALSE(shell_.Execute("notepad", ShowStyle::NormalFocus));
  EXPECT_FALSE(shell_.Execute("regedit.exe", ShowStyle::MinimizedFocus));  // no wine
  EXPECT_FALSE(shell_.Execute("calc", ShowStyle::NormalFocus));
  EXPECT_FALSE(shell_.OpenDocument("C:\\missing.txt", ShowStyle::NormalFocus));
  {
    ScopedEnv broken("QUILLONET_OPEN_COMMAND", bin_ + "/no-such-opener");
    EXPECT_FALSE(shell_.OpenDocument("C:\\Data Folder", ShowStyle::NormalFocus));
  }
}

TEST_F(PosixShellStartTest, WindowsProgramsRunThroughWine) {
  ScopedEnv path("PATH", bin_);
  ASSERT_TRUE(prefix_.WriteFile("C:\\Program Files\\Tool\\tool.exe", "MZ"));
  EXPECT_TRUE(shell_.Execute("regedit.exe", ShowStyle::MinimizedFocus));
  EXPECT_TRUE(shell_.Execute("\"C:\\Program Files\\Tool\\tool.exe\" /quiet \"a b\"",
                             ShowStyle::NormalFocus));
  EXPECT_FALSE(shell_.Execute("C:\\Program Files\\Tool\\missing.exe", ShowStyle::NormalFocus));
  auto lines = WaitForLines(2);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "wine:" + prefix_.Root() + "|C:\\Program Files\\Tool\\tool.exe /quiet a b",
                       "wine:" + prefix_.Root() + "|regedit"}));
}

TEST_F(PosixShellStartTest, StartedProgramsInheritNoDescriptors) {
  int source = ::open(log_.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  ASSERT_GE(source, 0);
  int kept = ::fcntl(source, F_DUPFD, 42);  // an ordinary descriptor, not closed on exec
  ::close(source);
  ASSERT_GE(kept, 42);
  WriteScript(bin_ + "/fdcheck", "if [ -e /proc/$$/fd/" + std::to_string(kept) +
                                     " ]; then echo leaked; else echo clean; fi >> '" + log_ +
                                     "'\n");
  ScopedEnv opener("QUILLONET_OPEN_COMMAND", bin_ + "/fdcheck");
  EXPECT_TRUE(shell_.OpenDocument("C:\\windows", ShowStyle::NormalFocus));
  EXPECT_EQ(WaitForLines(1), std::vector<std::string>{"clean"});
  ::close(kept);
}

TEST_F(PosixShellStartTest, NeverWaitsForTheStartedProgram) {
  // The opener blocks until we release it; Execute must come back before that.
  std::string fifo = prefix_.Root() + "/release";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  WriteScript(bin_ + "/blocker", "read line < '" + fifo + "'\necho released >> '" + log_ + "'\n");
  ScopedEnv opener("QUILLONET_OPEN_COMMAND", bin_ + "/blocker");
  EXPECT_TRUE(shell_.OpenDocument("C:\\windows", ShowStyle::NormalFocus));
  int fd = ::open(fifo.c_str(), O_WRONLY);  // waits only for the opener to start reading
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "go\n", 3), 3);
  ::close(fd);
  EXPECT_EQ(WaitForLines(1), std::vector<std::string>{"released"});
}

}  // namespace
}  // namespace quill::platform::posix
