// Automatic removal from the command line against hostile definitions, large removals and a
// quarantine that cannot be written, on real prefixes.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/Text.h"
#include "definitions/DefinitionCodec.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/WineRegistry.h"
#include "support/CliRunner.h"
#include "support/RealWinePrefix.h"
#include "support/TempPrefix.h"
#include "support/TestPlatform.h"

namespace quill::test {
namespace {

namespace fs = std::filesystem;
using platform::RegStatus;
using platform::RootKey;

struct Definitions {
  std::vector<std::string> files, folders, registry;
};

/// Encoded definition files (the five a scan needs) in a new folder.
std::string WriteDefinitions(const Definitions& d) {
  const std::string folder = MakeTempFolder("defs");
  auto write = [&](const char* name, const std::vector<std::string>& lines) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    for (const auto& line : lines) out << EncodeLine(line) << "\r\n";
  };
  write("FileDefinition.dat", d.files);
  write("DirectoryDefinition.dat", d.folders);
  write("RegistryDefinition.dat", d.registry);
  write("ExeDefinition.dat", {"quillonet-absent.exe=Absent|[progfil]QuillonetAbsent"});
  write("BlockedCookies.dat", {"quillonet-absent.example"});
  return folder;
}

CliRunner::Outcome RunCli(const CliRunner& cli, const std::string& prefix,
                          std::vector<std::string> args) {
  args.insert(args.begin(), {"--prefix", prefix});
  return cli.Run(args);
}

bool KeyExists(platform::Registry& reg, RootKey root, const std::string& key) {
  return reg.OpenKey(root, key, platform::kKeyRead) == RegStatus::Ok;
}

TEST(RemovalSafetyCli, HostileDefinitionsAreListedAsProtectedAndTheMachineStays) {
  QUILL_REQUIRE_REAL_WINE();
  const std::string work = MakeTempFolder("attack");
  const std::string prefix = RealWinePrefix::CopyTo(work);
  ASSERT_FALSE(prefix.empty());
  platform::posix::PosixFileSystem files(prefix);
  const std::string evil = "C:\\windows\\system32\\quillonet-evil.dll";
  ASSERT_TRUE(files.WriteFile(evil, "evil"));
  {
    platform::posix::WineRegistry reg(prefix);
    ASSERT_EQ(reg.CreateKey(RootKey::CurrentUser, "Software\\QuillonetVendor"), RegStatus::Ok);
    ASSERT_EQ(reg.SetValue(RootKey::CurrentUser, "Software\\QuillonetVendor", "Toolbar",
                           platform::MakeSz("on")),
              RegStatus::Ok);
  }
  CliRunner cli;
  const std::string defs = WriteDefinitions(
      {{"quillonet-evil.dll=Evil Library|[system]|Adware"},
       {"WinDot=Windows Dot|[windir].|Adware", "SysUp=System Up|[system]..|Adware"},
       {"1^\\Software^=User Software|Adware", "2^ SOFTWARE^=Machine Software|Adware",
        "1^Software\\QuillonetVendor^=Vendor Key|Adware"}});
  ASSERT_EQ(RunCli(cli, prefix, {"stage-definitions", defs}).status, 0);

  const auto o = RunCli(cli, prefix, {"scan", "--remove"});
  EXPECT_EQ(o.status, 0) << o.out << o.err;
  for (const char* line : {"Protected: C:\\windows\\.\n", "Protected: C:\\windows\\system32\\..\n",
                           "Protected: HKEY_CURRENT_USER\\\\Software\n",
                           "Protected: HKEY_LOCAL_MACHINE\\ SOFTWARE\n", "Removed: 2\n"})
    EXPECT_NE(o.out.find(line), std::string::npos) << line << "\n" << o.out;

  // The containers stay; the spyware inside them went.
  EXPECT_TRUE(files.Attributes("C:\\windows\\system32\\kernel32.dll"));
  EXPECT_FALSE(files.Attributes(evil));
  platform::posix::WineRegistry reg(prefix);
  EXPECT_TRUE(KeyExists(reg, RootKey::CurrentUser, "Software\\Wine"));
  EXPECT_TRUE(KeyExists(reg, RootKey::LocalMachine, "Software\\Microsoft\\Windows"));
  EXPECT_FALSE(KeyExists(reg, RootKey::CurrentUser, "Software\\QuillonetVendor"));
  std::error_code ec;
  fs::remove_all(work, ec);
  fs::remove_all(defs, ec);
}

class RemovalSafetyTempCli : public ::testing::Test {
 protected:
  RemovalSafetyTempCli() : files_(prefix_.Root()), reg_(prefix_.Root()) {}
  ~RemovalSafetyTempCli() override {
    std::error_code ec;
    fs::remove_all(defs_, ec);
  }
  void Stage(const Definitions& d) {
    defs_ = WriteDefinitions(d);
    ASSERT_EQ(RunCli(cli_, prefix_.Root(), {"stage-definitions", defs_}).status, 0);
  }
  CliRunner::Outcome Remove(std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"scan", "--remove"};
    args.insert(args.end(), more.begin(), more.end());
    return RunCli(cli_, prefix_.Root(), args);
  }
  std::string DataFolder() {
    return "C:\\users\\" + prefix_.User() + "\\AppData\\Roaming\\QuillonetDAT";
  }

  TempPrefix prefix_;
  platform::posix::PosixFileSystem files_;
  platform::posix::WineRegistry reg_;
  CliRunner cli_;
  std::string defs_;
};

TEST_F(RemovalSafetyTempCli, LargeShareOfAHiveIsRefusedUnlessForced) {
  ASSERT_EQ(reg_.CreateKey(RootKey::CurrentUser, "Software\\QuillonetBig"), RegStatus::Ok);
  for (int i = 0; i < 150; ++i)
    ASSERT_EQ(reg_.SetValue(RootKey::CurrentUser, "Software\\QuillonetBig", "v" + std::to_string(i),
                            platform::MakeSz("x")),
              RegStatus::Ok);
  Stage({{}, {}, {"1^Software\\QuillonetBig^=Big Key|Adware"}});

  auto refused = Remove();
  EXPECT_EQ(refused.status, 1) << refused.out << refused.err;
  EXPECT_NE(refused.err.find("Removal refused: the items found make up "), std::string::npos)
      << refused.err;
  EXPECT_NE(refused.err.find("% of HKEY_CURRENT_USER (more than 20%); nothing was removed. Use "
                             "--force to remove them anyway.\n"),
            std::string::npos)
      << refused.err;
  EXPECT_NE(refused.out.find("Big Key\t"), std::string::npos);  // still listed
  EXPECT_NE(refused.out.find("Removed: 0\n"), std::string::npos);
  EXPECT_TRUE(KeyExists(reg_, RootKey::CurrentUser, "Software\\QuillonetBig"));

  EXPECT_EQ(RunCli(cli_, prefix_.Root(), {"scan", "--force"}).status, 2);
  auto forced = Remove({"--force"});
  EXPECT_EQ(forced.status, 0) << forced.out << forced.err;
  EXPECT_NE(forced.out.find("Removed: 1\n"), std::string::npos) << forced.out;
  platform::posix::WineRegistry after(prefix_.Root());
  EXPECT_FALSE(KeyExists(after, RootKey::CurrentUser, "Software\\QuillonetBig"));
}

TEST_F(RemovalSafetyTempCli, UnwritableQuarantineKeepsEveryItemAndSaysSo) {
  const std::string document = "C:\\users\\" + prefix_.User() + "\\Documents\\quillonet-spy.txt";
  const std::string folder = "C:\\Program Files\\QuillonetSpyFolder";
  ASSERT_TRUE(prefix_.WriteFile(document, "spy"));
  ASSERT_TRUE(prefix_.WriteFile(folder + "\\inside.txt", "inside"));
  ASSERT_EQ(reg_.CreateKey(RootKey::CurrentUser, "Software\\QuillonetSpy"), RegStatus::Ok);
  ASSERT_EQ(
      reg_.SetValue(RootKey::CurrentUser, "Software\\QuillonetSpy", "Run", platform::MakeSz("spy")),
      RegStatus::Ok);
  Stage({{"quillonet-spy.txt=Spy File|[personl]|Adware"},
         {"SpyFolder=Spy Folder|[progfil]QuillonetSpyFolder|Adware"},
         {"1^Software\\QuillonetSpy^Run=Spy Value|Adware",
          "1^Software\\QuillonetSpy^=Spy Key|Adware"}});

  // The quarantine is made unwritable the strongest way this account can: a full small
  // disk, an immutable folder, a folder without write permission; a file in its place
  // otherwise. Every way must keep every item.
  const std::string quarantine = prefix_.Native(DataFolder() + "\\quarantine");
  fs::create_directories(quarantine);
  const std::string q = "'" + quarantine + "'";
  std::string how;
  if (::geteuid() == 0 &&
      std::system(("mount -t tmpfs -o size=64k tmpfs " + q + " 2>/dev/null").c_str()) == 0) {
    how = "full tmpfs";
    std::system(("dd if=/dev/zero of=" + q + "/fill bs=4k 2>/dev/null").c_str());
  } else if (std::system(("chattr +i " + q + " 2>/dev/null").c_str()) == 0) {
    how = "immutable folder";
  } else if (::geteuid() != 0) {
    how = "read-only folder";
    fs::permissions(quarantine, fs::perms::owner_read | fs::perms::owner_exec);
  } else {
    how = "file in the way";
    fs::remove(quarantine);
    std::ofstream(quarantine) << "in the way";
  }
  RecordProperty("unwritable_quarantine", how);

  auto o = Remove();
  EXPECT_EQ(o.status, 1) << how << "\n" << o.out << o.err;
  EXPECT_NE(o.out.find("Removed: 0\n"), std::string::npos) << how << "\n" << o.out;
  for (const std::string& item :
       {document, folder, std::string("HKEY_CURRENT_USER\\Software\\QuillonetSpy\\Run"),
        std::string("HKEY_CURRENT_USER\\Software\\QuillonetSpy")})
    EXPECT_NE(o.err.find("Could not delete: " + item + "\n"), std::string::npos)
        << how << ": " << item << "\n"
        << o.err;
  EXPECT_EQ(files_.ReadFile(document), "spy");
  EXPECT_EQ(files_.ReadFile(folder + "\\inside.txt"), "inside");
  platform::posix::WineRegistry after(prefix_.Root());
  EXPECT_TRUE(after.QueryValue(RootKey::CurrentUser, "Software\\QuillonetSpy", "Run"));

  if (how == "full tmpfs") std::system(("umount " + q).c_str());
  if (how == "immutable folder") std::system(("chattr -i " + q).c_str());
  if (how == "read-only folder") fs::permissions(quarantine, fs::perms::owner_all);
}

}  // namespace
}  // namespace quill::test
