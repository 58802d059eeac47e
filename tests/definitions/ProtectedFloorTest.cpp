#include "definitions/ProtectedFloor.h"

#include <gtest/gtest.h>

#include <string>

#include "definitions/LocationForm.h"
#include "support/AppFixture.h"

namespace quill {
namespace {

using platform::RootKey;

TEST(LocationFormTest, OneWrittenFormForEveryWayOfNamingAPlace) {
  const std::pair<const char*, const char*> files[] = {
      {"C:\\windows\\.", "C:\\windows"},
      {"C:\\windows\\system32\\..", "C:\\windows"},
      {" c:/Windows//System32/./drivers/ ", "c:\\Windows\\System32\\drivers"},
      {"C:\\windows.\\system32 .\\", "C:\\windows\\system32"},
      {"\\\\?\\C:\\x\\", "C:\\x"},
      {"C:", "C:\\"},
      {"C:\\..\\..", "C:\\"},
      {"C:foo", "C:foo"},
      {"\\\\", ""},
  };
  for (const auto& [written, canonical] : files)
    EXPECT_EQ(location::CanonicalFilePath(written), canonical) << written;
  EXPECT_FALSE(location::IsDrivePath(location::CanonicalFilePath("C:foo")));
  EXPECT_EQ(location::CanonicalKeyPath(" \\Software\\\\Vendor\\ "), "Software\\Vendor");
  // Names inside a key path keep their blanks: "Run " is another key than "Run".
  EXPECT_EQ(location::CanonicalKeyPath("Software\\Run \\x"), "Software\\Run \\x");
}

TEST(ProtectedFloorTest, RootsFirstLevelAndVitalKeysButNotWhatIsInsideThem) {
  const std::pair<RootKey, const char*> kept[] = {
      {RootKey::CurrentUser, ""},
      {RootKey::CurrentUser, "\\Software"},
      {RootKey::LocalMachine, " SOFTWARE"},
      {RootKey::LocalMachine, "System"},
      {RootKey::CurrentUser, "Environment"},
      {RootKey::CurrentUser, "Software\\Microsoft"},
      {RootKey::LocalMachine, "Software\\Microsoft\\Windows"},  // holds CurrentVersion
      {RootKey::LocalMachine, "software\\microsoft\\windows\\currentversion\\run\\"},
      {RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
      {RootKey::LocalMachine, "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {RootKey::LocalMachine, "System\\CurrentControlSet"},
      {RootKey::LocalMachine, "System\\ControlSet001"},
      {RootKey::ClassesRoot, ".exe"},
      {RootKey::ClassesRoot, "exefile"},
      {RootKey::LocalMachine, "Software\\Classes\\exefile"},
      {RootKey::CurrentUser, "Software\\Classes\\Evil.Toolbar"},
      {RootKey::Users, "S-1-5-21-1"},
      {RootKey::Users, "S-1-5-21-1\\Software"},
      {RootKey::Users, ".Default\\Software\\Microsoft"},
      {RootKey::CurrentConfig, "Software"},
      {RootKey::ClassesRoot, "Wow6432Node\\CLSID"},  // Software\Wow6432Node\Classes\CLSID
  };
  for (const auto& [root, key] : kept) EXPECT_TRUE(ProtectedFloor::ProtectsKey(root, key)) << key;
  const std::pair<RootKey, const char*> removable[] = {
      {RootKey::CurrentUser, "Software\\Vendor"},
      {RootKey::LocalMachine, "SOFTWARE\\Vendor\\Toolbar"},
      {RootKey::CurrentUser, "Software\\Microsoft\\Internet Explorer\\Toolbar"},
      {RootKey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Sub"},
      {RootKey::ClassesRoot, "CLSID\\{00000000-0000-0000-0000-000000000001}"},
      {RootKey::LocalMachine, "System\\ControlSet001\\Services\\evil"},
      {RootKey::Users, "S-1-5-21-1\\Software\\Vendor"},
  };
  for (const auto& [root, key] : removable)
    EXPECT_FALSE(ProtectedFloor::ProtectsKey(root, key)) << key;
  // The Run keys' values stay removable; a protected key's default value does not.
  const char* run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  EXPECT_FALSE(ProtectedFloor::ProtectsValue(RootKey::CurrentUser, run, "Evil"));
  EXPECT_TRUE(ProtectedFloor::ProtectsValue(RootKey::CurrentUser, run, ""));
  EXPECT_FALSE(ProtectedFloor::ProtectsValue(RootKey::CurrentUser, "Software\\Vendor", ""));
}

TEST(ProtectedFloorTest, MachineFoldersByEveryNameButNotWhatIsInsideThem) {
  test::AppFixture f;
  f.Start();
  auto& prefix = f.Prefix();
  const std::string me = "C:\\users\\" + prefix.User();
  ASSERT_TRUE(prefix.MakeFolder("C:\\users\\other\\Documents"));
  ASSERT_TRUE(prefix.MakeFolder("C:\\Program Files\\Vendor"));
  f.App().RefreshFloor();
  const ProtectedFloor& floor = f.App().Floor();
  // The prefix's drive C folder as the whole-host drive reaches it.
  const std::string viaZ = "Z:" + prefix.Native("C:\\") + "\\windows";

  for (const std::string& kept :
       {std::string("C:\\"),
        std::string("C:\\windows\\."),
        std::string("C:\\windows\\system32\\.."),
        std::string("c:/WINDOWS/system32/"),
        std::string("C:\\windows\\system32\\drivers"),
        std::string("C:\\Program Files"),
        std::string("C:\\Program Files (x86)\\"),
        std::string("C:\\users"),
        me,
        me + "\\Documents",
        me + "\\AppData",
        me + "\\Downloads",
        me + "\\Saved Games",
        me + "\\AppData\\LocalLow",
        me + "\\AppData\\Local\\Temp",
        std::string("C:\\users\\other\\Contacts"),
        std::string("C:\\users\\Public\\Downloads"),
        me + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp",
        std::string("C:\\users\\other"),
        std::string("C:\\users\\other\\Documents"),
        std::string("C:\\users\\Public\\Desktop"),
        std::string("C:\\ProgramData"),
        viaZ,
        f.DataFolder(),
        f.DataFolder() + "\\quarantine\\copy.exe",
        std::string("\\\\server\\share\\x"),
        std::string("relative\\path"),
        std::string("Z:\\usr"),
        std::string("Z:\\home\\.")})
    EXPECT_TRUE(floor.ProtectsPath(kept)) << kept;

  for (const std::string& removable :
       {std::string("C:\\windows\\system32\\evil.dll"), std::string("C:\\Program Files\\Vendor"),
        me + "\\Documents\\spy", me + "\\AppData\\Roaming\\Vendor", viaZ + "\\evil.exe"})
    EXPECT_FALSE(floor.ProtectsPath(removable)) << removable;

  // The program's own folders are skipped by scans under every name.
  EXPECT_TRUE(floor.IsOwnFolder(f.DataFolder() + "\\quarantine\\"));
  EXPECT_TRUE(floor.IsOwnFolder("Z:" + prefix.Native(f.DataFolder())));
  EXPECT_FALSE(floor.IsOwnFolder(me + "\\AppData\\Roaming"));
}

}  // namespace
}  // namespace quill
