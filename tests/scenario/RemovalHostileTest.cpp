// Hostile definitions and a hostile quarantine folder on a real wineboot prefix whose profile
// folders link to a home of the test's own holding the prefix as ".wine" (Wine's usual layout).
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include <gtest/gtest.h>

#include "base/Sha256.h"
#include "definitions/DefinitionCodec.h"
#include "platform/posix/WineRegistry.h"
#include "support/CliRunner.h"
#include "support/RealWinePrefix.h"
#include "support/TestPlatform.h"

namespace quill::test {
namespace {

namespace fs = std::filesystem;
using platform::RootKey;

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

class RemovalHostile : public ::testing::Test {
 protected:
  void SetUp() override {
    QUILL_REQUIRE_REAL_WINE();
    work_ = MakeTempFolder("hostile");
    prefix_ = RealWinePrefix::CopyTo(work_);
    ASSERT_FALSE(prefix_.empty());
    home_ = work_ + "/home";
    victim_ = work_ + "/victim";
    for (const char* name : {"/home/.ssh/id_rsa", "/home/.config/app", "/home/notes.txt",
                             "/victim/a.txt", "/victim/sub/b.txt"})
      Write(work_ + name, std::string("user's own ") + name);
    fs::create_directory_symlink(prefix_, home_ + "/.wine");
    for (const auto& user : fs::directory_iterator(prefix_ + "/drive_c/users")) {
      for (const auto& entry : fs::directory_iterator(user.path())) {
        if (!entry.is_symlink()) continue;
        fs::remove(entry.path());
        fs::create_directory_symlink(home_, entry.path());
        profile_ = user.path().filename().string();
      }
    }
    ASSERT_FALSE(profile_.empty());
    quarantine_ =
        prefix_ + "/drive_c/users/" + profile_ + "/AppData/Roaming/QuillonetDAT/quarantine";
  }
  void TearDown() override {
    if (std::error_code ec; !work_.empty()) fs::remove_all(work_, ec);
  }

  CliRunner::Outcome Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--prefix", prefix_});
    return cli_.Run(args);
  }
  // Files, folders and registry definitions; the other two name nothing that is there.
  void Stage(std::vector<std::vector<std::string>> defs) {
    defs.push_back({"quillonet-absent.exe=Absent|[progfil]QuillonetAbsent"});
    defs.push_back({"quillonet-absent.example"});
    const char* names[] = {"File", "Directory", "Registry", "Exe", "BlockedCookies"};
    for (size_t i = 0; i < defs.size(); ++i) {
      std::string text;
      for (const auto& line : defs[i]) text += EncodeLine(line) + "\r\n";
      Write(work_ + "/defs/" + names[i] + (i < 4 ? "Definition.dat" : ".dat"), text);
    }
    ASSERT_EQ(Cli({"stage-definitions", work_ + "/defs"}).status, 0);
  }
  // Host folders and the prefix beside its drive (hives included): bytes, or where links lead.
  std::map<std::string, std::string> Snapshot() {
    std::map<std::string, std::string> all;
    for (const std::string& top : {home_, victim_, prefix_}) {
      for (auto it = fs::recursive_directory_iterator(top); it != fs::end(it); ++it) {
        const std::string path = it->path().string();
        if (path == prefix_ + "/drive_c") it.disable_recursion_pending();
        if (path.find("/quillonet-") != std::string::npos) continue;
        all[path] = it->is_symlink()        ? "-> " + fs::read_symlink(it->path()).string()
                    : it->is_regular_file() ? CliRunner::ReadAll(it->path())
                                            : "folder";
      }
    }
    return all;
  }
  std::string ZPath(const std::string& host) { return "Z:" + text::ReplaceAll(host, "/", "\\"); }

  std::string work_, prefix_, home_, victim_, profile_, quarantine_;
  CliRunner cli_;
};

TEST_F(RemovalHostile, DefinitionsReachNothingOutsideTheContract) {
  Stage({{"system.reg=Hive|[personl].wine|Adware", "user.reg=Hive|[personl]..\\Downloads\\.wine",
          "id_rsa=Key|[comdesk].ssh|Adware"},
         {"Devices=Devices|[personl].wine\\dosdevices|Adware", "Ssh=Ssh|[personl].ssh|Adware",
          "Config=Config|[comdesk].config|Adware", "Victim=Victim|" + ZPath(victim_) + "|Adware",
          "Docs=Docs|[personl]|Adware", "Downloads=Downloads|[personl]..\\Downloads|Adware",
          "Low=Low|[appdata]..\\LocalLow|Adware", "Games=Games|[personl]..\\Saved Games|Adware"},
         {"0^Wow6432Node\\CLSID^=Wow Classes|Adware"}});
  const auto before = Snapshot();
  const auto o = Cli({"scan", "--remove"});
  EXPECT_EQ(o.status, 1) << o.out << o.err;
  // Each attack reached the removal and was refused there, by name.
  for (const std::string& refused : {std::string("\\.wine\\system.reg: leads to the machine's own"),
                                     std::string("\\.ssh: the hidden entry .ssh inside the linked"),
                                     ZPath(victim_) + ": a folder reached through drive Z:"})
    EXPECT_NE(o.err.find(refused), std::string::npos) << refused << "\n" << o.err;
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(RemovalHostile, PlantedLinksTamperedManifestAndBusyLockAreRefusedAndTheRealItemsComeBack) {
  const std::string dll = prefix_ + "/drive_c/windows/system32/quillonet-spy.dll";
  Write(dll, "spyware");
  Write(home_ + "/quillonet-doc.txt", "matched document");
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  ASSERT_EQ(platform::posix::WineRegistry(prefix_).SetValue(
                RootKey::CurrentUser, run, "QuillonetSpy", platform::MakeSz("spy.exe")),
            platform::RegStatus::Ok);
  Stage({{"quillonet-spy.dll=Spy|[system]|Adware", "quillonet-doc.txt=Doc|[personl]|Adware"},
         {},
         {"1^" + run + "^QuillonetSpy=Spy Run|Adware"}});
  // Links planted where the quarantine writes: the log, a copy's and an export's name.
  fs::create_directories(quarantine_);
  fs::create_symlink(victim_ + "/a.txt", quarantine_ + "/QuarantineLog.txt");
  fs::create_symlink(victim_ + "/a.txt", quarantine_ + "/quillonet-spy.dll");
  fs::create_symlink(victim_ + "/sub", quarantine_ + "/planted");
  // A manifest edited by someone else, every hash made to match what it points at.
  const std::string host = "host file";
  const std::string evil =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\"
      "Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n\"Evil\"=\"x\"\r\n";
  Write(quarantine_ + "/evil.reg", evil);
  Write(quarantine_ + "/plain.txt", host);
  auto line = [](int id, const char* kind, const std::string& original, const std::string& copy,
                 const std::string& bytes) {
    return std::to_string(id) + "\t2024-01-01 00:00:00\t" + kind + "\tsaved\t" +
           text::ReplaceAll(original, "\\", "\\\\") + "\t" + text::ReplaceAll(copy, "\\", "\\\\") +
           "\t" + std::to_string(bytes.size()) + "\t" + Sha256::Hex(bytes) + "\t\r\n";
  };
  Write(quarantine_ + "/QuarantineManifest.txt",
        "# Quillonet quarantine manifest 1\r\n" +
            line(999999999, "file", "C:\\users\\Public\\x.txt", "plain.txt", host) +
            line(90, "file", "C:\\users\\Public\\a.txt",
                 "..\\..\\..\\..\\..\\..\\..\\victim\\a.txt", host) +
            line(91, "file", "C:\\users\\Public\\b.txt", "quillonet-spy.dll", host) +
            line(92, "file", "C:\\windows\\..\\..\\..\\x.txt", "plain.txt", host) +
            line(93, "folder", ZPath(victim_), "planted", "") +
            line(94, "registry", "HKEY_CURRENT_USER\\Software\\QuillonetVendor", "evil.reg", evil) +
            line(95, "file", ZPath(victim_) + "\\sub\\b.txt", "plain.txt", host));
  const auto before = Snapshot();
  const auto removed = Cli({"scan", "--remove"});
  EXPECT_EQ(removed.status, 0) << removed.out << removed.err;
  EXPECT_FALSE(fs::exists(dll));
  EXPECT_FALSE(fs::exists(home_ + "/quillonet-doc.txt"));
  // The next ids are the lowest free ones, not past what the manifest can hold.
  EXPECT_NE(Cli({"quarantine", "list"}).out.find("\n3\t"), std::string::npos);

  // A second program while this one holds the lock is refused.
  const int held = ::open((quarantine_ + "/../ChangeLock.lock").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  const auto busy = Cli({"quarantine", "restore", "--all"});
  EXPECT_EQ(busy.status, 2);
  EXPECT_NE(busy.err.find("another program is removing"), std::string::npos) << busy.err;
  EXPECT_EQ(Cli({"scan", "--remove"}).status, 2);
  ::close(held);

  const auto restored = Cli({"quarantine", "restore", "--all"});
  EXPECT_EQ(restored.status, 1) << restored.out << restored.err;
  for (int id = 90; id <= 95; ++id)
    EXPECT_NE(restored.err.find("Not restored " + std::to_string(id) + ": "), std::string::npos)
        << restored.err;
  EXPECT_NE(restored.err.find("QuillonetVendor: its export writes outside"), std::string::npos);
  EXPECT_EQ(CliRunner::ReadAll(dll), "spyware");
  EXPECT_EQ(CliRunner::ReadAll(home_ + "/quillonet-doc.txt"), "matched document");
  platform::posix::WineRegistry reg(prefix_);
  EXPECT_TRUE(reg.QueryValue(RootKey::CurrentUser, run, "QuillonetSpy"));
  EXPECT_FALSE(reg.QueryValue(RootKey::LocalMachine, run, "Evil"));
  // The hives changed with the Run value (checked above); nothing else outside the drive did.
  auto after = Snapshot();
  for (const char* hive : {"/user.reg", "/system.reg"})
    after[prefix_ + hive] = before.at(prefix_ + hive);
  EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace quill::test
