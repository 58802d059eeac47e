// Whole removal runs on a temporary prefix: real files, folders, hive values and keys and
// cookies, removed through "Repair Now" and kept in the quarantine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/frmDelete.h"
#include "base/Text.h"
#include "platform/Registry.h"
#include "removal/RemovalTestSupport.h"
#include "support/StoredSettings.h"

namespace quill {
namespace {

using platform::RootKey;
using test::AppFixture;

const std::string kDir = "C:\\Program Files\\QuillTest";

class RemovalScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    test::StartAt(f);
    q = f.DataFolder() + "\\quarantine";
  }
  FrmMain& Main() { return f.Main(); }
  platform::Registry& Reg() { return f.App().Registry(); }
  std::string Log() { return test::Read(f, q + "\\QuarantineLog.txt").value_or("<none>"); }
  frmDelete& Failed() { return f.App().DeleteFailed(); }
  std::string Cookie(const std::string& name) {
    return "C:\\users\\" + f.Prefix().User() + "\\Cookies\\" + name;
  }

  AppFixture f;
  std::string q;
};

TEST_F(RemovalScenario, FullRemovalQuarantinesEverythingAndRecordsIt) {
  ASSERT_TRUE(f.Prefix().WriteFile(kDir + "\\tracker.exe", "exe bytes"));
  ASSERT_TRUE(f.Prefix().WriteFile(kDir + "\\hook.dll", "dll bytes"));
  ASSERT_TRUE(f.Prefix().WriteFile(kDir + "\\readme.txt", "text bytes"));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\QuillFolder\\a.txt", "folder a"));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\QuillFolder\\sub\\b.txt", "folder b"));
  ASSERT_TRUE(f.Prefix().WriteFile(Cookie("user@ads.example[1].txt"), "cookie bytes"));
  ASSERT_EQ(Reg().CreateKey(RootKey::CurrentUser, "Software\\QuillTest"), platform::RegStatus::Ok);
  ASSERT_EQ(Reg().SetValue(RootKey::CurrentUser, "Software\\QuillTest", "RunMe",
                           platform::MakeSz("C:\\x \"y\".exe")),
            platform::RegStatus::Ok);
  ASSERT_EQ(Reg().SetValue(RootKey::CurrentUser, "Software\\QuillTest", "Keep",
                           platform::MakeSz("stays")),
            platform::RegStatus::Ok);
  ASSERT_EQ(Reg().CreateKey(RootKey::LocalMachine, "Software\\QuillTestKey\\Sub"),
            platform::RegStatus::Ok);
  ASSERT_EQ(Reg().SetValue(RootKey::LocalMachine, "Software\\QuillTestKey", "",
                           platform::MakeSz("default")),
            platform::RegStatus::Ok);
  ASSERT_EQ(Reg().SetValue(RootKey::LocalMachine, "Software\\QuillTestKey\\Sub", "x",
                           platform::MakeDword(7)),
            platform::RegStatus::Ok);
  ASSERT_EQ(Reg().SetValue(RootKey::LocalMachine, "Software\\QuillTestKey\\Sub", "s",
                           platform::MakeSz("sub text")),
            platform::RegStatus::Ok);

  test::AddFileHit(Main(), kDir + "\\tracker.exe", "Tracker");
  test::AddFileHit(Main(), kDir + "\\hook.dll", "Hook");
  test::AddFileHit(Main(), kDir + "\\readme.txt", "Readme");
  test::AddFileHit(Main(), "C:\\QuillFolder", "QuillFolder", true);
  test::AddRegistryHit(Main(), RootKey::CurrentUser, "Software\\QuillTest", "RunMe", "RunMe");
  test::AddRegistryHit(Main(), RootKey::LocalMachine, "Software\\QuillTestKey", "", "KeyHit");
  test::AddCookieHit(Main(), Cookie("user@ads.example[1].txt"));
  Main().cmdSelectAll_Click();
  test::RepairNow(f);

  // Gone from disk and hive.
  for (const auto& path : {kDir + "\\tracker.exe", kDir + "\\hook.dll", kDir + "\\readme.txt",
                           std::string("C:\\QuillFolder"), Cookie("user@ads.example[1].txt")})
    EXPECT_FALSE(test::Exists(f, path)) << path;
  EXPECT_FALSE(Reg().QueryValue(RootKey::CurrentUser, "Software\\QuillTest", "RunMe"));
  EXPECT_TRUE(Reg().QueryValue(RootKey::CurrentUser, "Software\\QuillTest", "Keep"));
  EXPECT_EQ(Reg().OpenKey(RootKey::LocalMachine, "Software\\QuillTestKey", platform::kKeyRead),
            platform::RegStatus::NotFound);

  // Kept in the quarantine.
  EXPECT_EQ(test::Read(f, q + "\\tracker.exe"), "exe bytes");
  EXPECT_EQ(test::Read(f, q + "\\hook.dll"), "dll bytes");
  EXPECT_EQ(test::Read(f, q + "\\readme.txt"), "text bytes");
  EXPECT_EQ(test::Read(f, q + "\\QuillFolder\\a.txt"), "folder a");
  EXPECT_EQ(test::Read(f, q + "\\QuillFolder\\sub\\b.txt"), "folder b");
  EXPECT_EQ(test::Read(f, q + "\\user@ads.example[1].txt"), "cookie bytes");
  EXPECT_EQ(test::Read(f, q + "\\HKEY_CURRENT_USERSoftwareQuillTestRunMe.reg"),
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\QuillTest]"
            "\r\n\"RunMe\"=\"C:\\\\x \\\"y\\\".exe\"\r\n");
  // The default value goes first, into an export of its own; the whole key keeps every
  // value of its tree, of every type, in one export.
  EXPECT_EQ(test::Read(f, q + "\\HKEY_LOCAL_MACHINESoftwareQuillTestKey(Default).reg"),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\QuillTestKey]\r\n@=\"default\"\r\n");
  EXPECT_EQ(test::Read(f, q + "\\HKEY_LOCAL_MACHINESoftwareQuillTestKey.reg"),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\QuillTestKey]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\QuillTestKey\\Sub]\r\n"
            "\"x\"=dword:00000007\r\n\"s\"=\"sub text\"\r\n");
  EXPECT_FALSE(test::Exists(f, q + "\\HKEY_LOCAL_MACHINESoftwareQuillTestKeySubs.reg"));
  EXPECT_FALSE(test::Exists(f, q + "\\HKEY_LOCAL_MACHINESoftwareQuillTestKeySubx.reg"));

  // One record per item, in pass order; none for the folder and none from the retry pass.
  EXPECT_EQ(Log(),
            test::FileRecord("tracker.exe", kDir + "\\tracker.exe") +
                test::FileRecord("hook.dll", kDir + "\\hook.dll") +
                test::FileRecord("readme.txt", kDir + "\\readme.txt") +
                test::RegistryRecord("HKEY_CURRENT_USER\\Software\\QuillTest", "RunMe") +
                test::RegistryRecord("-2147483646\\Software\\QuillTestKey", "All Values") +
                test::FileRecord("user@ads.example[1].txt", Cookie("user@ads.example[1].txt")));

  // Lists cleaned, nothing failed, total counted.
  EXPECT_EQ(Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 0);
  EXPECT_TRUE(f.Pending().empty());
  for (const Finding& hit : Main().Findings().Items())
    EXPECT_EQ(hit.state, FindingState::Removed) << hit.location;
  EXPECT_EQ(Failed().lstProblem.Count(), 0);
  EXPECT_FALSE(Failed().Visible());
  // Every item removed counts once: seven results rows.
  const long long expectedTotal = 7;
  EXPECT_EQ(GetSetting(f.App(), "Settings", "lblDefRemoved", ""), std::to_string(expectedTotal));
  EXPECT_EQ(Main().lblDefRemoved.Caption(), std::to_string(expectedTotal));
}

TEST_F(RemovalScenario, TwoFilesOfTheSameNameAreBothRecoverable) {
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\One\\dup.exe", "first"));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Two\\dup.exe", "second"));
  ASSERT_TRUE(f.Prefix().WriteFile(Cookie("c.txt"), "cookie one"));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Elsewhere\\c.txt", "cookie two"));
  // Something of the same name kept by an earlier run stays as it was.
  ASSERT_TRUE(f.Prefix().WriteFile(q + "\\c.txt", "older"));
  test::AddFileHit(Main(), "C:\\One\\dup.exe", "Dup");
  test::AddFileHit(Main(), "C:\\Two\\dup.exe", "Dup");
  test::AddCookieHit(Main(), Cookie("c.txt"));
  test::AddCookieHit(Main(), "C:\\Elsewhere\\c.txt");
  Main().cmdSelectAll_Click();
  test::RepairNow(f);

  EXPECT_FALSE(test::Exists(f, "C:\\One\\dup.exe"));
  EXPECT_FALSE(test::Exists(f, "C:\\Two\\dup.exe"));
  EXPECT_EQ(test::Read(f, q + "\\dup.exe"), "first");
  EXPECT_EQ(test::Read(f, q + "\\dup (2).exe"), "second");
  EXPECT_EQ(test::Read(f, q + "\\c.txt"), "older");
  EXPECT_EQ(test::Read(f, q + "\\c (2).txt"), "cookie one");
  EXPECT_EQ(test::Read(f, q + "\\c (3).txt"), "cookie two");
  EXPECT_EQ(Log(), test::FileRecord("dup.exe", "C:\\One\\dup.exe") +
                       test::FileRecord("dup (2).exe", "C:\\Two\\dup.exe") +
                       test::FileRecord("c (2).txt", Cookie("c.txt")) +
                       test::FileRecord("c (3).txt", "C:\\Elsewhere\\c.txt"));
}

TEST_F(RemovalScenario, FolderOfATakenNameIsSavedBesideTheOlderOne) {
  ASSERT_TRUE(f.Prefix().WriteFile(q + "\\Bundle\\a.txt", "older copy"));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Apps\\Bundle\\a.txt", "new a"));
  test::AddFileHit(Main(), "C:\\Apps\\Bundle", "Bundle", true);
  Main().cmdSelectAll_Click();
  test::RepairNow(f);
  EXPECT_FALSE(test::Exists(f, "C:\\Apps\\Bundle"));
  EXPECT_EQ(test::Read(f, q + "\\Bundle\\a.txt"), "older copy");
  EXPECT_EQ(test::Read(f, q + "\\Bundle (2)\\a.txt"), "new a");
  EXPECT_EQ(Log(), "<none>");  // folders get no record
}

TEST_F(RemovalScenario, QuarantineThatIsAFileKeepsEverythingAndListsEachItemOnce) {
  ASSERT_TRUE(f.Prefix().WriteFile(q, "in the way"));
  ASSERT_TRUE(f.Prefix().WriteFile(kDir + "\\tracker.exe", "exe"));
  ASSERT_TRUE(f.Prefix().WriteFile(kDir + "\\plain.txt", "txt"));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\QuillFolder\\a.txt", "a"));
  ASSERT_TRUE(f.Prefix().WriteFile(Cookie("k.txt"), "cookie"));
  ASSERT_EQ(Reg().CreateKey(RootKey::CurrentUser, "Software\\QuillTest"), platform::RegStatus::Ok);
  ASSERT_EQ(Reg().SetValue(RootKey::CurrentUser, "Software\\QuillTest", "RunMe",
                           platform::MakeSz("data")),
            platform::RegStatus::Ok);
  test::AddFileHit(Main(), kDir + "\\tracker.exe", "Tracker");
  test::AddFileHit(Main(), kDir + "\\plain.txt", "Plain");
  // The same file found under a second threat name is still listed once.
  test::AddFileHit(Main(), kDir + "\\plain.txt", "Plain again");
  test::AddFileHit(Main(), "C:\\QuillFolder", "QuillFolder", true);
  test::AddRegistryHit(Main(), RootKey::CurrentUser, "Software\\QuillTest", "RunMe", "RunMe");
  test::AddCookieHit(Main(), Cookie("k.txt"));
  Main().cmdSelectAll_Click();
  test::RepairNow(f);

  for (const auto& path : {kDir + "\\tracker.exe", kDir + "\\plain.txt",
                           std::string("C:\\QuillFolder\\a.txt"), Cookie("k.txt")})
    EXPECT_TRUE(test::Exists(f, path)) << path;
  EXPECT_TRUE(Reg().QueryValue(RootKey::CurrentUser, "Software\\QuillTest", "RunMe"));
  EXPECT_EQ(test::Read(f, q), "in the way");

  // Every item that stayed is reported, whatever its kind, each once; the window is shown
  // and "Copy List" works.
  auto& problems = Failed().lstProblem;
  const std::vector<std::string> stayed = {
      kDir + "\\tracker.exe", kDir + "\\plain.txt", "C:\\QuillFolder",
      "HKEY_CURRENT_USER\\Software\\QuillTest\\RunMe", Cookie("k.txt")};
  ASSERT_EQ(problems.Count(), static_cast<int>(stayed.size()));
  std::string copied;
  for (size_t i = 0; i < stayed.size(); ++i) {
    EXPECT_EQ(problems.Item(static_cast<int>(i)).text, stayed[i]);
    copied += stayed[i] + "\r\n";
  }
  EXPECT_TRUE(Failed().Visible());
  Failed().cmdCopy.Click();
  EXPECT_EQ(f.Host().Clipboard(), copied);

  // Every row stays listed and unticked, and nothing counts as removed.
  auto& results = Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  ASSERT_EQ(results.Count(), 6);
  for (const auto& row : results.Items()) EXPECT_FALSE(row.checked) << row.text;
  ASSERT_EQ(f.Pending().size(), 6u);
  for (const Finding& hit : f.Pending()) {
    EXPECT_FALSE(hit.ticked) << hit.location;
    EXPECT_EQ(hit.state, FindingState::Failed) << hit.location;
  }
  EXPECT_EQ(Main().lvwFilesToBeDeleted.Count(), 4);  // the hidden lists show them still
  EXPECT_EQ(GetSetting(f.App(), "Settings", "lblDefRemoved", "0"), "0");
}

TEST_F(RemovalScenario, OnlyTheFileWhoseCopyFailedStaysAndIsListedOnce) {
  ASSERT_TRUE(f.Prefix().WriteFile(kDir + "\\first.txt", "first"));
  ASSERT_TRUE(f.Prefix().WriteFile(kDir + "\\second.txt", "second"));
  test::AddFileHit(Main(), kDir + "\\first.txt", "First");
  test::AddFileHit(Main(), kDir + "\\second.txt", "Second");
  Main().cmdSelectAll_Click();
  // The quarantine becomes unusable (moved away, a file in its place) once the first file
  // is safe in it and gone.
  bool sabotaged = false;
  f.Host().EveryDoEvents([&] {
    if (sabotaged || test::Exists(f, kDir + "\\first.txt")) return;
    sabotaged = true;
    ASSERT_TRUE(f.App().Files().Rename(q, q + "-moved"));
    ASSERT_TRUE(f.Prefix().WriteFile(q, "in the way"));
  });
  test::RepairNow(f);
  ASSERT_TRUE(sabotaged);
  EXPECT_FALSE(test::Exists(f, kDir + "\\first.txt"));
  EXPECT_EQ(test::Read(f, q + "-moved\\first.txt"), "first");
  EXPECT_EQ(test::Read(f, kDir + "\\second.txt"), "second");
  ASSERT_EQ(Failed().lstProblem.Count(), 1);
  EXPECT_EQ(Failed().lstProblem.Item(0).text, kDir + "\\second.txt");
  Failed().cmdCopy.Click();
  EXPECT_EQ(f.Host().Clipboard(), kDir + "\\second.txt\r\n");
  auto& results = Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  ASSERT_EQ(results.Count(), 1);
  EXPECT_EQ(results.Item(0).text, "Second");
  EXPECT_FALSE(results.Item(0).checked);
  // What became of each finding: the first is removed, the second stayed.
  EXPECT_EQ(Main().Findings().At(0).state, FindingState::Removed);
  EXPECT_EQ(Main().Findings().At(1).state, FindingState::Failed);
}

TEST_F(RemovalScenario, UnopenableLogAndVanishedPathsDoNotStopTheRun) {
  ASSERT_TRUE(f.Prefix().WriteFile(kDir + "\\ok.txt", "ok"));
  ASSERT_TRUE(f.Prefix().MakeFolder(q + "\\QuarantineLog.txt"));  // cannot be opened
  test::AddFileHit(Main(), "C:\\Vanished\\gone.exe", "Gone");     // deleted since the scan
  test::AddFileHit(Main(), "C:\\Vanished\\gone.txt", "Gone too");
  test::AddFileHit(Main(), "C:\\Vanished\\Folder", "Gone folder", true);
  test::AddCookieHit(Main(), Cookie("vanished.txt"));
  test::AddFileHit(Main(), kDir + "\\ok.txt", "Ok");
  Main().cmdSelectAll_Click();
  test::RepairNow(f);
  EXPECT_FALSE(test::Exists(f, kDir + "\\ok.txt"));
  EXPECT_EQ(test::Read(f, q + "\\ok.txt"), "ok");
  EXPECT_EQ(Failed().lstProblem.Count(), 0);
  EXPECT_FALSE(Failed().Visible());
  EXPECT_EQ(Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 0);
  EXPECT_TRUE(f.Host().Failures().empty());
}

TEST_F(RemovalScenario, EmptyValueNameRemovesTheDefaultValueAndTheWholeTree) {
  ASSERT_EQ(Reg().CreateKey(RootKey::CurrentUser, "Software\\Whole\\Deep\\Deeper"),
            platform::RegStatus::Ok);
  ASSERT_EQ(Reg().SetValue(RootKey::CurrentUser, "Software\\Whole", "", platform::MakeSz("d")),
            platform::RegStatus::Ok);
  ASSERT_EQ(
      Reg().SetValue(RootKey::CurrentUser, "Software\\Whole\\Deep", "v", platform::MakeSz("v")),
      platform::RegStatus::Ok);
  test::AddRegistryHit(Main(), RootKey::CurrentUser, "Software\\Whole", "", "Whole");
  Main().cmdSelectAll_Click();
  test::RepairNow(f);
  EXPECT_EQ(Reg().OpenKey(RootKey::CurrentUser, "Software\\Whole", platform::kKeyRead),
            platform::RegStatus::NotFound);
  EXPECT_EQ(Reg().OpenKey(RootKey::CurrentUser, "Software", platform::kKeyRead),
            platform::RegStatus::Ok);
  EXPECT_EQ(Log(), test::RegistryRecord("-2147483647\\Software\\Whole", "All Values"));
}

TEST_F(RemovalScenario, KeyThatCannotBeDeletedIsNotRecordedAndTheRunGoesOn) {
  // This machine has no HKEY_DYN_DATA: nothing there can be deleted.
  test::AddRegistryHit(Main(), RootKey::DynData, "Config\\Bad", "", "DynKey");
  test::AddRegistryHit(Main(), RootKey::CurrentUser, "Software\\NoSuchKey", "GoneValue", "Gone");
  ASSERT_TRUE(f.Prefix().WriteFile(Cookie("after.txt"), "c"));
  test::AddCookieHit(Main(), Cookie("after.txt"));
  Main().cmdSelectAll_Click();
  test::RepairNow(f);
  // A value's record is written even when it was already gone; a key's only when deleted.
  EXPECT_EQ(Log(), test::RegistryRecord("HKEY_CURRENT_USER\\Software\\NoSuchKey", "GoneValue") +
                       test::FileRecord("after.txt", Cookie("after.txt")));
  EXPECT_FALSE(test::Exists(f, Cookie("after.txt")));
  EXPECT_EQ(Failed().lstProblem.Count(), 0);
  EXPECT_EQ(Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 0);
}

TEST_F(RemovalScenario, UntickedRowsAreLeftAloneAndNotReported) {
  ASSERT_TRUE(f.Prefix().WriteFile(kDir + "\\keep.txt", "keep"));
  ASSERT_TRUE(f.Prefix().WriteFile(kDir + "\\drop.txt", "drop"));
  test::AddFileHit(Main(), kDir + "\\keep.txt", "Keep");
  test::AddFileHit(Main(), kDir + "\\drop.txt", "Drop");
  Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.UserCheck(1, true);
  test::RepairNow(f);
  EXPECT_TRUE(test::Exists(f, kDir + "\\keep.txt"));
  EXPECT_FALSE(test::Exists(f, kDir + "\\drop.txt"));
  EXPECT_EQ(Failed().lstProblem.Count(), 0);
  ASSERT_EQ(Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 1);
  EXPECT_EQ(Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Item(0).text, "Keep");
}

}  // namespace
}  // namespace quill
