// The registry of a Wine prefix over hand-written hive files: roots, reads, writes, safety.
#include "platform/posix/WineRegistry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "app/MachineSettingsStore.h"
#include "platform/posix/IniSettingsStore.h"
#include "platform/posix/WineServer.h"
#include "support/TestHost.h"

namespace quill::platform::posix {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr uint32_t T(RegType t) {
  return static_cast<uint32_t>(t);
}

const std::string kSystemReg =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\Machine\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Classes\\\\.txt] 1700000000\n"
    "#time=1da0000000000000\n"
    "@=\"txtfile\"\n"
    "\n"
    "[Software\\\\Classes\\\\CLSID\\\\{0001}\\\\InprocServer32] 1700000000\n"
    "#time=1da0000000000000\n"
    "@=\"C:\\\\windows\\\\bad.dll\"\n"
    "\n"
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run] 1700000000\n"
    "#time=1da0000000000000\n"
    "\"Adware\"=\"C:\\\\bad\\\\bad.exe /start\"\n"
    "\"Good\"=\"C:\\\\good.exe\"\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\Classes] 1700000000\n"
    "#time=1da0000000000000\n"
    "#link\n"
    "\"SymbolicLinkValue\"=hex(6):5c,00,52,00,65,00,67,00,69,00,73,00,74,00,72,00,79,\\\n"
    "  00,5c,00,4d,00,61,00,63,00,68,00,69,00,6e,00,65,00,5c,00,53,00,6f,00,66,00,\\\n"
    "  74,00,77,00,61,00,72,00,65,00,5c,00,43,00,6c,00,61,00,73,00,73,00,65,00,73,\\\n"
    "  00\n"
    "\n"
    "[System\\\\CurrentControlSet\\\\Hardware Profiles\\\\Current\\\\Software\\\\Fonts] "
    "1700000000\n"
    "#time=1da0000000000000\n"
    "\"LogPixels\"=dword:00000060\n";

const std::string kUserReg =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Bad Toolbar] 1700000000\n"
    "#time=1da0000000000000\n"
    "\"Id\"=dword:00000001\n"
    "\n"
    "[Software\\\\Bad Toolbar\\\\Settings] 1700000000\n"
    "#time=1da0000000000000\n"
    "\"Home\"=\"http://bad.example/\"\n";

const std::string kUserDefReg =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\User\\\\.Default\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Control Panel\\\\Desktop] 1700000000\n"
    "#time=1da0000000000000\n"
    "\"Wallpaper\"=\"\"\n";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// Holds an fcntl write lock on a file from a child process, as a running wineserver does on
// its "lock" file (a process never sees its own locks as conflicting, hence the child).
class LockHolder {
 public:
  explicit LockHolder(const std::string& path) {
    int ready[2];
    if (::pipe(ready) != 0 || ::pipe(release_) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::close(release_[1]);
      int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0600);
      struct flock fl = {};
      fl.l_type = F_WRLCK;
      fl.l_whence = SEEK_SET;
      char ok = (fd >= 0 && ::fcntl(fd, F_SETLK, &fl) == 0) ? 1 : 0;
      if (::write(ready[1], &ok, 1) != 1) ::_exit(1);
      char c;
      while (::read(release_[0], &c, 1) > 0) {
      }
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release_[0]);
    char ok = 0;
    locked_ = ::read(ready[0], &ok, 1) == 1 && ok == 1;
    ::close(ready[0]);
  }
  ~LockHolder() {
    ::close(release_[1]);
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
  }
  bool Locked() const { return locked_; }

 private:
  pid_t pid_ = -1;
  int release_[2] = {-1, -1};
  bool locked_ = false;
};

class WineRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    root_ = fs::temp_directory_path() / ("quill-registry-" + std::to_string(random()));
    fs::create_directories(root_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
    for (const fs::path& dir : serverDirs_) fs::remove_all(dir, ec);
  }
  void WriteHives() {
    WriteFile(root_ / "system.reg", kSystemReg);
    WriteFile(root_ / "user.reg", kUserReg);
    WriteFile(root_ / "userdef.reg", kUserDefReg);
  }
  // A server folder for this prefix, laid out as upstream Wine does.
  fs::path MakeServerDir() {
    const std::vector<std::string> dirs = WineServerDirs(root_.string());
    EXPECT_FALSE(dirs.empty());
    const fs::path dir = dirs.front();
    // Wine insists that its per-user folder be private; leave it as Wine would.
    if (!fs::exists(dir.parent_path())) {
      fs::create_directory(dir.parent_path());
      fs::permissions(dir.parent_path(), fs::perms::owner_all);
      serverDirs_.push_back(dir.parent_path());
    }
    fs::create_directories(dir);
    serverDirs_.insert(serverDirs_.begin(), dir);
    return dir;
  }

  fs::path root_;
  std::vector<fs::path> serverDirs_;
};

TEST_F(WineRegistryTest, RootsMapOntoTheHives) {
  WriteHives();
  WineRegistry reg(root_.string());
  EXPECT_EQ(reg.QueryValue(RootKey::ClassesRoot, ".TXT", "")->data, "txtfile");
  EXPECT_EQ(reg.QueryValue(RootKey::LocalMachine, "software\\classes\\.txt", "")->data, "txtfile");
  EXPECT_EQ(reg.QueryValue(RootKey::CurrentUser, "Software\\Bad Toolbar", "id")->data,
            MakeDword(1).data);
  EXPECT_EQ(
      reg.QueryValue(RootKey::Users, "S-1-5-21-0-0-0-1000\\Software\\Bad Toolbar", "Id")->type,
      T(RegType::Dword));
  EXPECT_EQ(reg.QueryValue(RootKey::Users, ".DEFAULT\\Control Panel\\Desktop", "Wallpaper")->type,
            T(RegType::Sz));
  EXPECT_EQ(reg.QueryValue(RootKey::CurrentConfig, "Software\\Fonts", "LogPixels")->data,
            MakeDword(0x60).data);
  EXPECT_EQ(*reg.EnumKeys(RootKey::Users, ""),
            (std::vector<std::string>{".Default", "S-1-5-21-0-0-0-1000"}));
  EXPECT_EQ(reg.OpenKey(RootKey::Users, "", kKeyRead), RegStatus::Ok);
  EXPECT_EQ(reg.OpenKey(RootKey::Users, "S-1-5-18", kKeyRead), RegStatus::NotFound);
  EXPECT_EQ(reg.OpenKey(RootKey::DynData, "", kKeyRead), RegStatus::NotFound);
  EXPECT_EQ(reg.OpenKey(RootKey::PerformanceData, "", kKeyRead), RegStatus::NotFound);
  EXPECT_FALSE(reg.EnumKeys(RootKey::DynData, ""));
  EXPECT_EQ(reg.OpenKey(static_cast<RootKey>(0x80000007u), "", kKeyRead), RegStatus::NotFound);
  // Symbolic links are followed.
  EXPECT_EQ(reg.QueryValue(RootKey::LocalMachine, "Software\\Wow6432Node\\Classes\\.txt", "")->data,
            "txtfile");
}

TEST_F(WineRegistryTest, KeysAndValuesAreFoundWithoutRegardToCaseInStoredOrder) {
  WriteHives();
  WineRegistry reg(root_.string());
  EXPECT_EQ(reg.OpenKey(RootKey::LocalMachine, "SOFTWARE\\microsoft", kKeyRead), RegStatus::Ok);
  EXPECT_EQ(reg.OpenKey(RootKey::LocalMachine, "\\Software\\Microsoft\\", kKeyRead), RegStatus::Ok);
  EXPECT_EQ(reg.OpenKey(RootKey::LocalMachine, "Software\\Missing", kKeyRead), RegStatus::NotFound);
  EXPECT_EQ(
      *reg.EnumValues(RootKey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
      (std::vector<std::string>{"Adware", "Good"}));
  EXPECT_EQ(*reg.EnumKeys(RootKey::ClassesRoot, ""), (std::vector<std::string>{".txt", "CLSID"}));
  EXPECT_EQ(*reg.EnumKeys(RootKey::LocalMachine, "software"),
            (std::vector<std::string>{"Classes", "Microsoft", "Wow6432Node"}));
  EXPECT_FALSE(reg.EnumValues(RootKey::LocalMachine, "Software\\Missing"));
  EXPECT_FALSE(reg.QueryValue(RootKey::LocalMachine, "Software\\Missing", ""));
}

TEST_F(WineRegistryTest, WritesRoundTripThroughTheFile) {
  WriteHives();
  {
    WineRegistry reg(root_.string());
    const std::string key = "Software\\Quill Test\\Sub";
    ASSERT_EQ(reg.CreateKey(RootKey::CurrentUser, key), RegStatus::Ok);
    EXPECT_EQ(reg.SetValue(RootKey::CurrentUser, key, "sz", MakeSz("a \"quoted\" \xC3\xA9")),
              RegStatus::Ok);
    EXPECT_EQ(reg.SetValue(RootKey::CurrentUser, key, "", MakeSz("default")), RegStatus::Ok);
    EXPECT_EQ(reg.SetValue(RootKey::CurrentUser, key, "expand", {T(RegType::ExpandSz), "%A%"}),
              RegStatus::Ok);
    EXPECT_EQ(reg.SetValue(RootKey::CurrentUser, key, "multi", {T(RegType::MultiSz), "a\0b\0"s}),
              RegStatus::Ok);
    // A multi-string without its last zero reads back the same before and after a reload.
    EXPECT_EQ(reg.SetValue(RootKey::CurrentUser, key, "open", {T(RegType::MultiSz), "a\0b"s}),
              RegStatus::Ok);
    EXPECT_EQ(reg.QueryValue(RootKey::CurrentUser, key, "open")->data, "a\0b\0"s);
    EXPECT_EQ(reg.SetValue(RootKey::CurrentUser, key, "dword", MakeDword(42)), RegStatus::Ok);
    EXPECT_EQ(reg.SetValue(RootKey::CurrentUser, key, "bin", {T(RegType::Binary), "\0\1\2"s}),
              RegStatus::Ok);
    EXPECT_EQ(reg.SetValue(RootKey::CurrentUser, "Software\\Nope", "x", MakeSz("y")),
              RegStatus::NotFound);
    EXPECT_EQ(reg.DeleteValue(RootKey::CurrentUser, key, "bin"), RegStatus::Ok);
    EXPECT_EQ(reg.DeleteValue(RootKey::CurrentUser, key, "bin"), RegStatus::NotFound);
  }
  WineRegistry fresh(root_.string());
  const std::string key = "software\\quill test\\SUB";
  EXPECT_EQ(fresh.QueryValue(RootKey::CurrentUser, key, "SZ")->data, "a \"quoted\" \xC3\xA9");
  EXPECT_EQ(fresh.QueryValue(RootKey::CurrentUser, key, "")->data, "default");
  EXPECT_EQ(fresh.QueryValue(RootKey::CurrentUser, key, "expand")->type, T(RegType::ExpandSz));
  EXPECT_EQ(fresh.QueryValue(RootKey::CurrentUser, key, "multi")->data, "a\0b\0"s);
  EXPECT_EQ(fresh.QueryValue(RootKey::CurrentUser, key, "open")->data, "a\0b\0"s);
  EXPECT_EQ(fresh.QueryValue(RootKey::CurrentUser, key, "dword")->data, MakeDword(42).data);
  EXPECT_FALSE(fresh.QueryValue(RootKey::CurrentUser, key, "bin"));
  EXPECT_EQ(*fresh.EnumValues(RootKey::CurrentUser, key),
            (std::vector<std::string>{"sz", "", "expand", "multi", "open", "dword"}));

  // Deleting a tree removes every subkey and keeps the parent.
  EXPECT_EQ(fresh.DeleteKeyTree(RootKey::CurrentUser, "Software\\Bad Toolbar"), RegStatus::Ok);
  EXPECT_EQ(fresh.OpenKey(RootKey::CurrentUser, "Software\\Bad Toolbar\\Settings", kKeyRead),
            RegStatus::NotFound);
  EXPECT_EQ(fresh.OpenKey(RootKey::CurrentUser, "Software", kKeyRead), RegStatus::Ok);
  EXPECT_EQ(fresh.DeleteKeyTree(RootKey::CurrentUser, "Software\\Bad Toolbar"),
            RegStatus::NotFound);
  EXPECT_EQ(fresh.DeleteKeyTree(RootKey::CurrentUser, ""), RegStatus::AccessDenied);
  EXPECT_EQ(fresh.DeleteKeyTree(RootKey::ClassesRoot, ""), RegStatus::AccessDenied);
  EXPECT_EQ(fresh.DeleteKeyTree(RootKey::Users, ".Default"), RegStatus::AccessDenied);
  EXPECT_EQ(fresh.CreateKey(RootKey::Users, "S-1-5-99"), RegStatus::AccessDenied);
  EXPECT_EQ(
      WineRegistry(root_.string()).OpenKey(RootKey::CurrentUser, "Software\\Quill Test", kKeyRead),
      RegStatus::Ok);
}

TEST_F(WineRegistryTest, AWriteChangesOnlyTheTouchedKeyAndReplacesTheFileAtomically) {
  WriteHives();
  const fs::path file = root_ / "system.reg";
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  struct stat before = {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);

  WineRegistry reg(root_.string());
  ASSERT_EQ(reg.DeleteValue(RootKey::LocalMachine,
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Adware"),
            RegStatus::Ok);
  const std::string after = ReadFile(file);
  // The Run key's block changed (value gone, new timestamps); every other line is as it was.
  const size_t runStart = kSystemReg.find("[Software\\\\Microsoft");
  const size_t runEnd = kSystemReg.find("\n\n", runStart);
  const size_t newRunStart = after.find("[Software\\\\Microsoft");
  const size_t newRunEnd = after.find("\n\n", newRunStart);
  EXPECT_EQ(after.substr(0, newRunStart), kSystemReg.substr(0, runStart));
  EXPECT_EQ(after.substr(newRunEnd), kSystemReg.substr(runEnd));
  const std::string block = after.substr(newRunStart, newRunEnd - newRunStart);
  EXPECT_EQ(block.find("Adware"), std::string::npos);
  EXPECT_NE(block.find("\n\"Good\"=\"C:\\\\good.exe\""), std::string::npos);
  EXPECT_EQ(block.find("1700000000"), std::string::npos);

  // A new file was renamed into place with the old one's permissions; no temporary is left.
  struct stat now = {};
  ASSERT_EQ(::stat(file.c_str(), &now), 0);
  EXPECT_NE(now.st_ino, before.st_ino);
  EXPECT_EQ(now.st_mode & 0777, 0640u);
  size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(root_)) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 3u);
}

TEST_F(WineRegistryTest, MissingHivesAreEmptyAndAreCreatedWithWinesHeader) {
  WineRegistry reg(root_.string());
  EXPECT_EQ(reg.OpenKey(RootKey::CurrentUser, "", kKeyRead), RegStatus::Ok);
  EXPECT_EQ(reg.EnumKeys(RootKey::CurrentUser, "")->size(), 0u);
  EXPECT_EQ(reg.OpenKey(RootKey::CurrentUser, "Software", kKeyRead), RegStatus::NotFound);
  ASSERT_EQ(reg.CreateKey(RootKey::CurrentUser, "Software\\Quill"), RegStatus::Ok);
  ASSERT_EQ(reg.SetValue(RootKey::CurrentUser, "Software\\Quill", "v", MakeSz("1")), RegStatus::Ok);
  ASSERT_EQ(reg.CreateKey(RootKey::LocalMachine, "Software\\Quill"), RegStatus::Ok);
  ASSERT_EQ(reg.CreateKey(RootKey::Users, ".Default\\Software\\Quill"), RegStatus::Ok);
  const std::string user = ReadFile(root_ / "user.reg");
  EXPECT_EQ(user.rfind("WINE REGISTRY Version 2\n"
                       ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                       "#arch=win64\n\n[Software\\\\Quill] ",
                       0),
            0u);
  EXPECT_NE(user.find("\n#time="), std::string::npos);
  EXPECT_NE(user.find("\n\"v\"=\"1\"\n"), std::string::npos);
  EXPECT_NE(ReadFile(root_ / "system.reg").find("relative to REGISTRY\\\\Machine\n"),
            std::string::npos);
  EXPECT_NE(ReadFile(root_ / "userdef.reg").find("relative to REGISTRY\\\\User\\\\.Default\n"),
            std::string::npos);

  // A value on the root of a missing hive, in a 32-bit prefix.
  fs::remove(root_ / "user.reg");
  std::string system32 = ReadFile(root_ / "system.reg");
  system32.replace(system32.find("#arch=win64"), 11, "#arch=win32");
  WriteFile(root_ / "system.reg", system32);
  ASSERT_EQ(reg.SetValue(RootKey::CurrentUser, "", "top", MakeDword(1)), RegStatus::Ok);
  const std::string rootValue = ReadFile(root_ / "user.reg");
  EXPECT_EQ(rootValue.rfind("WINE REGISTRY Version 2\n"
                            ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                            "#arch=win32\n\n[] ",
                            0),
            0u);
  EXPECT_NE(rootValue.find("\n\"top\"=dword:00000001\n"), std::string::npos);
  EXPECT_EQ(WineRegistry(root_.string()).QueryValue(RootKey::CurrentUser, "", "top")->data,
            MakeDword(1).data);
}

TEST_F(WineRegistryTest, DamagedHiveIsReadButNeverRewritten) {
  WriteHives();
  const std::string damaged =
      kUserReg + "\"Broken\"=\"no end\n[Software\\\\Later] 1\n\"x\"=\"1\"\n";
  WriteFile(root_ / "user.reg", damaged);
  WineRegistry reg(root_.string());
  EXPECT_EQ(reg.QueryValue(RootKey::CurrentUser, "Software\\Bad Toolbar\\Settings", "Home")->data,
            "http://bad.example/");
  EXPECT_EQ(reg.QueryValue(RootKey::CurrentUser, "Software\\Later", "x")->data, "1");
  EXPECT_EQ(reg.SetValue(RootKey::CurrentUser, "Software\\Later", "x", MakeSz("2")),
            RegStatus::Failed);
  EXPECT_EQ(reg.CreateKey(RootKey::CurrentUser, "Software\\New"), RegStatus::Failed);
  EXPECT_EQ(reg.DeleteKeyTree(RootKey::CurrentUser, "Software\\Bad Toolbar"), RegStatus::Failed);
  EXPECT_EQ(reg.DeleteValue(RootKey::CurrentUser, "Software\\Later", "x"), RegStatus::Failed);
  EXPECT_EQ(reg.OpenKey(RootKey::CurrentUser, "Software\\Later", kKeyAllAccess), RegStatus::Failed);
  EXPECT_EQ(ReadFile(root_ / "user.reg"), damaged);
  // Other hives are still writable.
  EXPECT_EQ(reg.CreateKey(RootKey::LocalMachine, "Software\\New"), RegStatus::Ok);

  const std::string garbage =
      "\x7f"
      "ELF\x02\x01\x01\0\0\0garbage\n"s;
  WriteFile(root_ / "userdef.reg", garbage);
  EXPECT_EQ(reg.EnumKeys(RootKey::Users, ".Default")->size(), 0u);
  EXPECT_EQ(reg.CreateKey(RootKey::Users, ".Default\\X"), RegStatus::Failed);
  EXPECT_EQ(ReadFile(root_ / "userdef.reg"), garbage);
}

TEST_F(WineRegistryTest, ChangesMadeByOthersAreSeen) {
  WriteHives();
  WineRegistry reg(root_.string());
  EXPECT_FALSE(reg.QueryValue(RootKey::CurrentUser, "Software\\Other", "v"));
  WriteFile(root_ / "user.reg", kUserReg + "\n[Software\\\\Other] 1\n\"v\"=\"1\"\n");
  EXPECT_EQ(reg.QueryValue(RootKey::CurrentUser, "Software\\Other", "v")->data, "1");
  fs::remove(root_ / "user.reg");
  EXPECT_EQ(reg.OpenKey(RootKey::CurrentUser, "Software\\Other", kKeyRead), RegStatus::NotFound);
}

TEST_F(WineRegistryTest, RunningWineServerBlocksWritesAndAStaleOneDoesNot) {
  WriteHives();
  WineRegistry reg(root_.string());
  const fs::path serverDir = MakeServerDir();
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  {
    LockHolder server((serverDir / "lock").string());
    ASSERT_TRUE(server.Locked());
    EXPECT_TRUE(WineServerRunning(root_.string()));
    EXPECT_EQ(reg.DeleteValue(RootKey::LocalMachine, run, "Adware"), RegStatus::AccessDenied);
    EXPECT_EQ(reg.SetValue(RootKey::LocalMachine, run, "Adware", MakeSz("x")),
              RegStatus::AccessDenied);
    EXPECT_EQ(reg.CreateKey(RootKey::CurrentUser, "Software\\New"), RegStatus::AccessDenied);
    EXPECT_EQ(reg.DeleteKeyTree(RootKey::CurrentUser, "Software\\Bad Toolbar"),
              RegStatus::AccessDenied);
    EXPECT_EQ(reg.OpenKey(RootKey::LocalMachine, run, kKeySetValue), RegStatus::AccessDenied);
    EXPECT_EQ(reg.OpenKey(RootKey::LocalMachine, run, kKeyRead), RegStatus::Ok);
    EXPECT_EQ(ReadFile(root_ / "system.reg"), kSystemReg);
    EXPECT_EQ(ReadFile(root_ / "user.reg"), kUserReg);
  }
  // The server has gone; its folder and lock file stay behind, as Wine leaves them.
  ASSERT_TRUE(fs::exists(serverDir / "lock"));
  EXPECT_FALSE(WineServerRunning(root_.string()));
  EXPECT_EQ(reg.OpenKey(RootKey::LocalMachine, run, kKeyAllAccess), RegStatus::Ok);
  EXPECT_EQ(reg.DeleteValue(RootKey::LocalMachine, run, "Adware"), RegStatus::Ok);
}

TEST_F(WineRegistryTest, MachineSettingsWaitWithoutWarningWhileAWineServerRuns) {
  // Start-up on a prefix in use: the machine settings cannot be written then, which is no
  // permission problem to warn the user about.
  WriteHives();
  WineRegistry reg(root_.string());
  fs::create_directories(root_ / "settings");
  IniSettingsStore user((root_ / "settings").string());
  test::TestHost host;
  MachineSettingsStore machine(reg, host, user, "Quill", "Quillonet");
  const std::string key = "SOFTWARE\\Quill\\Quillonet\\Settings";
  {
    LockHolder server((MakeServerDir() / "lock").string());
    ASSERT_TRUE(server.Locked());
    EXPECT_TRUE(reg.WritesHeldByRunningSystem(RootKey::LocalMachine, key));
    EXPECT_FALSE(machine.Write("Quillonet", "Settings", "FirstTime", "Yes"));
    EXPECT_TRUE(host.DialogsOf(test::DialogKind::MsgBox).empty());
    // A hive that could not be written anyway is still a real failure.
    WriteFile(root_ / "system.reg", kSystemReg + "[Broken\\Key\n\"v\"=hex(zz):garbage\n");
    EXPECT_FALSE(reg.WritesHeldByRunningSystem(RootKey::LocalMachine, key));
  }
  WriteFile(root_ / "system.reg", kSystemReg);
  EXPECT_FALSE(reg.WritesHeldByRunningSystem(RootKey::LocalMachine, key));
  EXPECT_TRUE(machine.Write("Quillonet", "Settings", "FirstTime", "Yes"));
  EXPECT_EQ(machine.Read("Quillonet", "Settings", "FirstTime", ""), "Yes");
}

TEST_F(WineRegistryTest, ServerFolderRecordedInThePrefixIsFound) {
  // Some Wine builds keep the server folder in a private temporary folder whose name the
  // prefix's "wineserver" file records.
  WriteHives();
  const std::string privateName = "quill-test-wine-" + std::to_string(std::random_device{}());
  WriteFile(root_ / "wineserver", privateName);
  const std::vector<std::string> dirs = WineServerDirs(root_.string());
  ASSERT_GE(dirs.size(), 2u);
  const fs::path dir = dirs.back();
  EXPECT_EQ(dir.parent_path(), fs::path("/tmp") / privateName);
  EXPECT_EQ(dir.filename().string().rfind("server-", 0), 0u);
  fs::create_directories(dir);
  serverDirs_.push_back(dir.parent_path());
  WineRegistry reg(root_.string());
  LockHolder server((dir / "lock").string());
  ASSERT_TRUE(server.Locked());
  EXPECT_EQ(reg.CreateKey(RootKey::LocalMachine, "Software\\New"), RegStatus::AccessDenied);
}

TEST_F(WineRegistryTest, HiveOrFolderWeMayNotWriteDeniesWriteAccess) {
  WriteHives();
  if (::geteuid() == 0) {
    // Permissions do not bind the superuser: look at the prefix as an ordinary user, from a
    // child process.
    fs::permissions(root_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    for (const char* name : {"user.reg", "system.reg", "userdef.reg"}) {
      fs::permissions(root_ / name, fs::perms::owner_read | fs::perms::owner_write |
                                        fs::perms::group_read | fs::perms::others_read);
    }
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(100);
      WineRegistry reg(root_.string());
      int failures = 0;
      if (reg.OpenKey(RootKey::CurrentUser, "Software", kKeyAllAccess) != RegStatus::AccessDenied)
        failures |= 1;
      if (reg.OpenKey(RootKey::CurrentUser, "Software", kKeyRead) != RegStatus::Ok) failures |= 2;
      if (reg.CreateKey(RootKey::CurrentUser, "Software\\New") != RegStatus::AccessDenied)
        failures |= 4;
      if (reg.SetValue(RootKey::LocalMachine, "Software\\Classes\\.txt", "", MakeSz("x")) !=
          RegStatus::AccessDenied)
        failures |= 8;
      ::_exit(failures);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "failed checks (bits): " << WEXITSTATUS(status);
  } else {
    WineRegistry reg(root_.string());
    fs::permissions(root_ / "user.reg", fs::perms::owner_read);
    EXPECT_EQ(reg.OpenKey(RootKey::CurrentUser, "Software", kKeyAllAccess),
              RegStatus::AccessDenied);
    EXPECT_EQ(reg.OpenKey(RootKey::CurrentUser, "Software", kKeyRead), RegStatus::Ok);
    EXPECT_EQ(reg.CreateKey(RootKey::CurrentUser, "Software\\New"), RegStatus::AccessDenied);
    fs::permissions(root_, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(reg.SetValue(RootKey::LocalMachine, "Software\\Classes\\.txt", "", MakeSz("x")),
              RegStatus::AccessDenied);
  }
  EXPECT_EQ(ReadFile(root_ / "user.reg"), kUserReg);
  EXPECT_EQ(ReadFile(root_ / "system.reg"), kSystemReg);
}

}  // namespace
}  // namespace quill::platform::posix
