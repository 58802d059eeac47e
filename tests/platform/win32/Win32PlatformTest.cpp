// The Windows backend against the machine it runs on (under Wine in CI).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>

#include "platform/Platform.h"
#include "platform/win32/WinInetInternet.h"

namespace quill::platform {
namespace {

std::string Unique(const std::string& stem) {
  return stem + std::to_string(std::random_device{}());
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

class Win32PlatformTest : public ::testing::Test {
 protected:
  Platform platform_ = CreatePlatform({});
};

TEST_F(Win32PlatformTest, RegistryValuesOfEveryKindRoundTripAndTreesGo) {
  Registry& reg = *platform_.registry;
  const std::string key = "Software\\" + Unique("QuillonetTest");
  ASSERT_EQ(reg.CreateKey(RootKey::CurrentUser, key + "\\Child\\Grandchild"), RegStatus::Ok);
  const std::vector<std::pair<std::string, RegValue>> values = {
      {"", MakeSz("default")},
      {"Text", MakeSz("C:\\Program Files\\Bad")},
      {"Expand", RegValue{2, "%windir%\\bad.exe"}},
      {"List", RegValue{7, std::string("one\0two\0", 8)}},
      {"Number", MakeDword(0x12345678)},
      {"Bytes", RegValue{3, std::string("\x00\x01\xff", 3)}},
      {"Large", RegValue{11, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)}}};
  for (const auto& [name, value] : values)
    ASSERT_EQ(reg.SetValue(RootKey::CurrentUser, key, name, value), RegStatus::Ok) << name;
  for (const auto& [name, value] : values) {
    auto read = reg.QueryValue(RootKey::CurrentUser, key, name);
    ASSERT_TRUE(read) << name;
    EXPECT_EQ(read->type, value.type) << name;
    EXPECT_EQ(read->data, value.data) << name;
  }
  auto names = reg.EnumValues(RootKey::CurrentUser, key);
  ASSERT_TRUE(names);
  EXPECT_TRUE(Contains(*names, "Text") && Contains(*names, "Large"));
  EXPECT_EQ(reg.EnumKeys(RootKey::CurrentUser, key), std::vector<std::string>{"Child"});
  EXPECT_EQ(reg.DeleteValue(RootKey::CurrentUser, key, "Text"), RegStatus::Ok);
  EXPECT_FALSE(reg.QueryValue(RootKey::CurrentUser, key, "Text"));
  EXPECT_EQ(reg.DeleteValue(RootKey::CurrentUser, key, "Text"), RegStatus::NotFound);

  EXPECT_EQ(reg.DeleteKeyTree(RootKey::CurrentUser, key), RegStatus::Ok);
  EXPECT_EQ(reg.OpenKey(RootKey::CurrentUser, key, kKeyRead), RegStatus::NotFound);
  EXPECT_FALSE(reg.EnumKeys(RootKey::CurrentUser, key));
  EXPECT_EQ(reg.DeleteKeyTree(RootKey::CurrentUser, ""), RegStatus::AccessDenied);
  EXPECT_EQ(reg.OpenKey(RootKey::LocalMachine, "Software", kKeyRead), RegStatus::Ok);
}

TEST_F(Win32PlatformTest, SettingsLiveWhereEarlierInstallationsKeptThem) {
  const std::string app = Unique("QuillonetSettings");
  SettingsStore& settings = *platform_.settings;
  EXPECT_EQ(settings.Get(app, "Settings", "Language", "English"), "English");
  ASSERT_TRUE(settings.Save(app, "Settings", "Language", "Deutsch"));
  EXPECT_EQ(settings.Get(app, "settings", "language", ""), "Deutsch");
  const std::string key = "Software\\VB and VBA Program Settings\\" + app + "\\Options";
  ASSERT_EQ(platform_.registry->CreateKey(RootKey::CurrentUser, key), RegStatus::Ok);
  ASSERT_EQ(platform_.registry->SetValue(RootKey::CurrentUser, key, "Scan", MakeSz("1")),
            RegStatus::Ok);
  EXPECT_EQ(settings.Get(app, "Options", "Scan", "0"), "1");
  EXPECT_FALSE(settings.Save(app, "", "Scan", "1"));
  platform_.registry->DeleteKeyTree(RootKey::CurrentUser,
                                    "Software\\VB and VBA Program Settings\\" + app);
}

TEST_F(Win32PlatformTest, FilesAndFoldersFollowTheSystem) {
  FileSystem& fs = *platform_.files;
  std::string root = std::filesystem::temp_directory_path().string();
  while (!root.empty() && root.back() == '\\') root.pop_back();
  const std::string dir = root + "\\" + Unique("QuillFs");
  ASSERT_TRUE(fs.CreateFolder(dir));
  ASSERT_TRUE(fs.CreateFolder(dir + "\\Sub"));
  ASSERT_TRUE(fs.WriteFile(dir + "\\Sub\\Data.TXT", "line\r\n"));
  ASSERT_TRUE(fs.AppendFile(dir + "\\Sub\\Data.TXT", "more\r\n"));
  EXPECT_EQ(fs.ReadFile(dir + "\\sub\\data.txt"), "line\r\nmore\r\n");
  EXPECT_EQ(fs.ReadFileRange(dir + "\\Sub\\Data.TXT", 6, 2), "mo");
  EXPECT_EQ(fs.FileSize(dir + "\\Sub\\Data.TXT"), 12u);
  EXPECT_FALSE(fs.FileSize(dir + "\\Sub"));
  EXPECT_FALSE(fs.ReadFile(dir + "\\Sub"));
  EXPECT_FALSE(fs.Attributes(dir + "\\*"));
  auto resolved = fs.ResolveCase(dir + "\\SUB\\data.txt");
  ASSERT_TRUE(resolved);
  EXPECT_EQ(resolved->substr(resolved->size() - 12), "Sub\\Data.TXT");

  auto entries = fs.List(dir);
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 1u);
  EXPECT_EQ((*entries)[0].name, "Sub");
  EXPECT_TRUE((*entries)[0].attributes & kAttrDirectory);

  ASSERT_TRUE(fs.ReplaceFile(dir + "\\Sub\\Data.TXT", "new"));
  EXPECT_EQ(fs.ReadFile(dir + "\\Sub\\Data.TXT"), "new");
  EXPECT_EQ(fs.List(dir + "\\Sub")->size(), 1u);  // no temporary file left behind
  ASSERT_TRUE(fs.CopyFolder(dir + "\\Sub", dir + "\\Copy", false));
  EXPECT_FALSE(fs.CopyFolder(dir + "\\Sub", dir + "\\Copy", false));
  EXPECT_TRUE(fs.CopyFolder(dir + "\\Sub", dir + "\\Copy", true));
  EXPECT_FALSE(fs.CopyFile(dir + "\\Sub\\Data.TXT", dir + "\\Copy\\Data.TXT", true));
  ASSERT_TRUE(fs.Rename(dir + "\\Copy\\Data.TXT", dir + "\\Copy\\Moved.txt"));
  ASSERT_TRUE(fs.SetAttributes(dir + "\\Copy\\Moved.txt", kAttrReadOnly | kAttrHidden));
  EXPECT_EQ(*fs.Attributes(dir + "\\Copy\\Moved.txt") & 0x1F, kAttrReadOnly | kAttrHidden);
  EXPECT_FALSE(fs.DeleteFile(dir + "\\Copy\\Moved.txt"));
  EXPECT_FALSE(fs.DeleteFolder(dir + "\\Copy", false));
  EXPECT_TRUE(fs.DeleteFolder(dir, true));
  EXPECT_FALSE(fs.Attributes(dir));
  EXPECT_EQ(fs.NativePath(dir), dir);
}

TEST_F(Win32PlatformTest, ProcessesShellAndSystem) {
  auto processes = platform_.processes->Enumerate();
  ASSERT_TRUE(processes);
  // This very process: the tests run in parallel, so others of the same name may be running.
  const auto self = std::find_if(processes->begin(), processes->end(), [](const ProcessInfo& p) {
    return p.pid == GetCurrentProcessId() && p.name == "platform_tests.exe";
  });
  ASSERT_NE(self, processes->end());
  EXPECT_FALSE(platform_.processes->Terminate(self->pid, 1));  // never the program itself
  EXPECT_FALSE(platform_.processes->Terminate(0, 1));

  Shell& shell = *platform_.shell;
  EXPECT_EQ(shell.SpecialFolder(csidl::kWindows), shell.WindowsDirectory());
  EXPECT_EQ(shell.SpecialFolder(csidl::kSystem), shell.SystemDirectory());
  EXPECT_EQ(shell.SpecialFolderByLocation(csidl::kAppData), shell.SpecialFolder(csidl::kAppData));
  EXPECT_FALSE(shell.SpecialFolder(csidl::kBitBucket));
  auto drives = shell.Drives();
  auto c = std::find_if(drives.begin(), drives.end(),
                        [](const DriveInfo& d) { return d.letter == 'C'; });
  ASSERT_NE(c, drives.end());
  EXPECT_EQ(c->type, DriveType::Fixed);
  EXPECT_TRUE(c->ready);
  ASSERT_TRUE(shell.Volume("C:\\"));
  EXPECT_GT(shell.Volume("C:\\")->total, 0u);

  System& system = *platform_.system;
  EXPECT_EQ(system.Version().platformId, 2);
  EXPECT_FALSE(system.HasSystemRestore());  // Wine has none
  EXPECT_FALSE(system.BeginRestorePoint("Quillonet", 0));
  EXPECT_TRUE(system.AcquireSingleInstance());
  EXPECT_TRUE(system.AcquireSingleInstance());
  EXPECT_FALSE(CreatePlatform({}).system->AcquireSingleInstance());
  EXPECT_FALSE(system.CallLibraryRegistration("C:\\no such library.dll", false));
  const auto identity = system.Identity();
  EXPECT_EQ(identity.programFolder.find(':'), 1u);
  EXPECT_FALSE(identity.productName.empty());
  // The start entry names this very file, quoted (its folder may hold spaces).
  const auto command = system.StartupCommand();
  ASSERT_TRUE(command);
  EXPECT_EQ(command->front(), '"');
  EXPECT_NE(command->find("platform_tests.exe\""), std::string::npos) << *command;
}

TEST_F(Win32PlatformTest, InternetOpensOnlyWebAddressesAndKeepsTheLastResponsesHeaders) {
  auto reply = platform_.internet->Get("file:///C:/windows/win.ini", {});
  EXPECT_FALSE(reply.complete);
  EXPECT_EQ(reply.status, 0);
  auto headers = win32::ParseHeaderBlock(
      "HTTP/1.1 302 Found\r\nLocation: /x\r\n\r\nHTTP/1.1 200 OK\r\n"
      "X-Quillonet-Signature:  abc= \r\nContent-Length: 3\r\n\r\n");
  ASSERT_EQ(headers.size(), 2u);
  EXPECT_EQ(headers[0], (std::pair<std::string, std::string>{"X-Quillonet-Signature", "abc="}));
}

}  // namespace
}  // namespace quill::platform
