// Where a path leads, by every spelling: the machine's drives, linked profile folders, the
// host, and the prefix's own files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/WinePrefix.h"
#include "support/RealWinePrefix.h"

namespace quill::platform::posix {
namespace {

namespace fs = std::filesystem;

std::string Win(const std::string& native) {
  std::string out = "Z:";
  for (char c : native) out += c == '/' ? '\\' : c;
  return out;
}

// A home folder holding the prefix as .wine, with the profile's Documents linked to the home
// and Downloads to a folder in it, as wineboot links them; D: maps into the prefix, E: to a
// host folder, F: to the prefix folder itself.
class Locate : public ::testing::Test {
 protected:
  Locate() {
    std::string pattern = fs::temp_directory_path().string() + "/quill-locate-XXXXXX";
    home_ = ::mkdtemp(pattern.data());
    prefix_ = home_ + "/.wine";
    WinePrefix::CreateDefaultLayout(prefix_, "me");
    std::ofstream(prefix_ + "/system.reg") << "hive";
    fs::create_directories(home_ + "/.ssh");
    fs::create_directories(home_ + "/Downloads");
    fs::create_directories(prefix_ + "/drive_d");
    const std::string profile = prefix_ + "/drive_c/users/me";
    fs::remove(profile + "/Documents");
    fs::remove(profile + "/Downloads");
    fs::create_directory_symlink(home_, profile + "/Documents");
    fs::create_directory_symlink(home_ + "/Downloads", profile + "/Downloads");
    fs::create_directory_symlink("../drive_d", prefix_ + "/dosdevices/d:");
    fs::create_directory_symlink(home_ + "/Downloads", prefix_ + "/dosdevices/e:");
    fs::create_directory_symlink("..", prefix_ + "/dosdevices/f:");
  }
  ~Locate() override { fs::remove_all(home_); }

  Place At(const std::string& path) { return PosixFileSystem(prefix_).Locate(path); }
  PlaceKind Kind(const std::string& path) { return At(path).kind; }

  std::string home_;
  std::string prefix_;
};

TEST_F(Locate, DrivesLinkedFoldersAndTheHostAreToldApart) {
  EXPECT_EQ(Kind("C:\\windows\\system32\\x.dll"), PlaceKind::Machine);
  EXPECT_EQ(Kind("c:\\"), PlaceKind::Machine);
  EXPECT_EQ(Kind("D:\\games\\new.exe"), PlaceKind::Machine);
  const std::string documents = "C:\\users\\me\\Documents";
  for (const char* path :
       {"c:\\USERS\\me\\documents\\report.txt", "C:\\users\\me\\Documents",
        "C:\\users\\me\\Documents\\.ssh\\id", "C:\\users\\me\\Documents\\a\\b"}) {
    EXPECT_EQ(Kind(path), PlaceKind::LinkedFolder) << path;
    EXPECT_EQ(At(path).linkedFolder, documents) << path;
  }
  EXPECT_EQ(At("C:\\users\\ME\\downloads\\new\\deep.txt").linkedFolder, "C:\\users\\me\\Downloads");
  // The same host folders through Z: and through a drive mapped to the host.
  EXPECT_EQ(Kind(Win(home_) + "\\.ssh"), PlaceKind::Host);
  EXPECT_EQ(Kind(Win(home_) + "\\.wine\\..\\.ssh"), PlaceKind::Host);
  EXPECT_EQ(Kind("E:\\file.txt"), PlaceKind::Host);
  EXPECT_EQ(Kind("Q:\\unmapped"), PlaceKind::Unknown);
  EXPECT_EQ(Kind("relative\\path"), PlaceKind::Unknown);
  EXPECT_EQ(Kind("\\\\server\\share\\x"), PlaceKind::Unknown);
}

TEST_F(Locate, ThePrefixsOwnFilesAreMachineFilesByAnySpelling) {
  const std::string profile = prefix_ + "/drive_c/users/me";
  // A link inside the machine into the prefix folder, and one whose ".." applies to where
  // another link led (lexically it would stay in the home folder).
  fs::create_directory_symlink("../../../..", profile + "/AppData/up");
  fs::create_directory_symlink(prefix_ + "/drive_c", home_ + "/deep");
  fs::create_directory_symlink("deep/..", home_ + "/jump");
  fs::create_directory_symlink("loop", home_ + "/loop");
  const std::vector<std::string> paths = {
      "C:\\users\\me\\Documents\\.wine\\system.reg",
      "c:\\users\\me\\documents\\.WINE\\SYSTEM.REG",
      "C:\\users\\me\\Documents\\.wine\\user.reg",
      "C:\\users\\me\\Documents\\.wine\\dosdevices",
      "C:\\users\\me\\Documents\\.wine\\.update-timestamp",
      "C:\\users\\me\\Documents\\.wine",
      "C:\\users\\me\\Documents\\jump\\userdef.reg",
      "C:\\users\\me\\AppData\\up\\system.reg",
      "C:\\users\\me\\AppData\\up",
      Win(prefix_) + "\\system.reg",
      Win(prefix_),
      Win(home_) + "\\.wine\\DosDevices\\",
      "F:\\system.reg",
      "F:\\",
      // The machine's drive seen from outside is not the drive.
      "C:\\users\\me\\Documents\\.wine\\drive_c\\windows\\system32\\kernel32.dll",
      "C:\\users\\me\\Documents\\deep\\windows",
      Win(prefix_) + "\\drive_c\\windows",
      "F:\\drive_c\\windows",
  };
  for (const std::string& path : paths) EXPECT_EQ(Kind(path), PlaceKind::MachineFiles) << path;
  EXPECT_EQ(Kind("C:\\users\\me\\Documents\\loop\\x"), PlaceKind::Unknown);
}

TEST(LocateRealWine, AWinebootPrefixLinksTheProfileToTheHome) {
  QUILL_REQUIRE_REAL_WINE();
  const fs::path dir = fs::temp_directory_path() / "quill-locate-real";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string prefix = test::RealWinePrefix::CopyTo(dir.string());
  ASSERT_FALSE(prefix.empty());
  PosixFileSystem files(prefix);
  const std::string user = WinePrefix::UserNameOf(prefix);
  const std::string documents = "C:\\users\\" + user + "\\Documents";
  EXPECT_EQ(files.Locate(documents + "\\x.txt").kind, PlaceKind::LinkedFolder);
  EXPECT_EQ(files.Locate(documents + "\\x.txt").linkedFolder, documents);
  EXPECT_EQ(files.Locate("C:\\windows\\system32\\kernel32.dll").kind, PlaceKind::Machine);
  EXPECT_EQ(files.Locate(Win(prefix) + "\\user.reg").kind, PlaceKind::MachineFiles);
  EXPECT_EQ(files.Locate(Win(dir.string())).kind, PlaceKind::Host);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace quill::platform::posix
