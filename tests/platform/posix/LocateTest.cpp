// Where a path leads, by every spelling: the machine's drives, linked profile folders, the
// host, and the prefix's own files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/WinePrefix.h"
#include "support/RealWinePrefix.h"

namespace quill::platform::posix {
namespace {

namespace fs = std::filesystem;
using K = PlaceKind;

std::string Win(const std::string& native) {
  std::string out = "Z:";
  for (char c : native) out += c == '/' ? '\\' : c;
  return out;
}

TEST(Locate, DrivesLinkedFoldersTheHostAndThePrefixsOwnFilesByAnySpelling) {
  // A home holding the prefix as .wine; the profile's Documents links to the home and its
  // Downloads into it, as wineboot links them; D: maps into the prefix, E: to the host, F: to
  // the prefix folder itself. Links inside lead into the prefix, and through ".." applied
  // where another link led (lexically it would stay in the home).
  std::string pattern = fs::temp_directory_path().string() + "/quill-locate-XXXXXX";
  const std::string home = ::mkdtemp(pattern.data()), prefix = home + "/.wine";
  const std::string profile = prefix + "/drive_c/users/me", user = "C:\\users\\me";
  ASSERT_TRUE(WinePrefix::CreateDefaultLayout(prefix, "me"));
  std::ofstream(prefix + "/system.reg") << "hive";
  for (const char* folder : {"/.ssh", "/Downloads", "/.wine/drive_d"})
    fs::create_directories(home + folder);
  fs::remove(profile + "/Documents");
  fs::remove(profile + "/Downloads");
  for (const auto& [target, link] : std::vector<std::pair<std::string, std::string>>{
           {home, profile + "/Documents"},
           {home + "/Downloads", profile + "/Downloads"},
           {"../drive_d", prefix + "/dosdevices/d:"},
           {home + "/Downloads", prefix + "/dosdevices/e:"},
           {"..", prefix + "/dosdevices/f:"},
           {"../../../..", profile + "/AppData/up"},
           {prefix + "/drive_c", home + "/deep"},
           {"deep/..", home + "/jump"},
           {"loop", home + "/loop"}})
    fs::create_directory_symlink(target, link);
  PosixFileSystem files(prefix);
  const std::vector<std::pair<std::string, K>> cases = {
      {"C:\\windows\\system32\\x.dll", K::Machine},
      {"D:\\games\\new.exe", K::Machine},
      {Win(home) + "\\.ssh", K::Host},
      {Win(home) + "\\.wine\\..\\.ssh", K::Host},
      {"E:\\file.txt", K::Host},
      {"Q:\\unmapped", K::Unknown},
      {"relative\\path", K::Unknown},
      {"\\\\server\\share\\x", K::Unknown},
      {user + "\\Documents\\loop\\x", K::Unknown},
      {user + "\\Documents\\.wine\\system.reg", K::MachineFiles},
      {"c:\\USERS\\me\\documents\\.WINE\\SYSTEM.REG", K::MachineFiles},
      {user + "\\Documents\\.wine\\dosdevices", K::MachineFiles},
      {user + "\\Documents\\.wine", K::MachineFiles},
      {user + "\\Documents\\jump\\userdef.reg", K::MachineFiles},
      {user + "\\AppData\\up\\system.reg", K::MachineFiles},
      {Win(prefix) + "\\user.reg", K::MachineFiles},
      {Win(home) + "\\.wine\\DosDevices\\", K::MachineFiles},
      {"F:\\system.reg", K::MachineFiles},
      // The machine's drive seen from outside it is not the drive.
      {user + "\\Documents\\.wine\\drive_c\\windows\\system32\\kernel32.dll", K::MachineFiles},
      {user + "\\Documents\\deep\\windows", K::MachineFiles},
      {Win(prefix) + "\\drive_c\\windows", K::MachineFiles},
      {"F:\\drive_c\\windows", K::MachineFiles}};
  for (const auto& [path, kind] : cases) EXPECT_EQ(files.Locate(path).kind, kind) << path;
  for (const char* path : {"c:\\USERS\\me\\documents\\report.txt", "C:\\users\\me\\Documents",
                           "C:\\users\\me\\Documents\\.ssh\\id", "C:\\users\\me\\Documents\\a\\b"})
    EXPECT_EQ(files.Locate(path).linkedFolder, user + "\\Documents") << path;
  fs::remove_all(home);
}

TEST(LocateRealWine, AWinebootPrefixLinksTheProfileToTheHome) {
  QUILL_REQUIRE_REAL_WINE();
  const fs::path dir = fs::temp_directory_path() / "quill-locate-real";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string prefix = test::RealWinePrefix::CopyTo(dir.string());
  ASSERT_FALSE(prefix.empty());
  PosixFileSystem files(prefix);
  const std::string documents = "C:\\users\\" + WinePrefix::UserNameOf(prefix) + "\\Documents";
  const Place place = files.Locate(documents + "\\x.txt");
  EXPECT_EQ(place.kind, K::LinkedFolder);
  EXPECT_EQ(place.linkedFolder, documents);
  EXPECT_EQ(files.Locate(Win(prefix) + "\\user.reg").kind, K::MachineFiles);
  EXPECT_EQ(files.Locate(Win(dir.string())).kind, K::Host);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace quill::platform::posix
