// What a removal refuses, asks about and admits to: the protected floor at removal time, the
// large-share question, items that stay, and what counts as removed.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>

#include "app/Application.h"
#include "app/frmDelete.h"
#include "base/Text.h"
#include "definitions/DefinitionSet.h"
#include "removal/RemovalRun.h"
#include "removal/RemovalTestSupport.h"
#include "removal/RemovalWindow.h"
#include "scan/FileScan.h"
#include "scan/ScanInputs.h"
#include "support/StoredSettings.h"
#include "support/TestPlatform.h"

namespace quill {
namespace {

using platform::RootKey;
using test::AppFixture;

class RemovalSafety : public ::testing::Test {
 protected:
  RemovalSafety() { test::StartAt(f); }
  FrmMain& Main() { return f.Main(); }
  platform::Registry& Reg() { return f.App().Registry(); }
  forms::ListView& Problems() { return f.App().DeleteFailed().lstProblem; }
  std::string Log() {
    return test::Read(f, f.DataFolder() + "\\quarantine\\QuarantineLog.txt").value_or("");
  }
  AppFixture f;
};

TEST_F(RemovalSafety, ProtectedPlacesStayAreListedAndOnlyWhatWentIsCounted) {
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Spy\\spy.txt", "spy"));
  ASSERT_EQ(Reg().CreateKey(RootKey::CurrentUser, "Software\\Keep"), platform::RegStatus::Ok);
  // Work rows that name the machine itself, however they reached the lists.
  test::AddFileHit(Main(), "C:\\windows\\system32\\..", "WinAttack", true);
  test::AddRegistryHit(Main(), RootKey::CurrentUser, "\\Software", "", "SoftAttack");
  test::AddFileHit(Main(), "C:\\Spy\\spy.txt", "Spy");
  Main().cmdSelectAll_Click();
  test::RepairNow(f);

  EXPECT_TRUE(test::Exists(f, "C:\\windows\\system32"));
  EXPECT_EQ(Reg().OpenKey(RootKey::CurrentUser, "Software\\Keep", platform::kKeyRead),
            platform::RegStatus::Ok);
  EXPECT_FALSE(test::Exists(f, "C:\\Spy\\spy.txt"));
  ASSERT_EQ(Problems().Count(), 2);
  EXPECT_EQ(Problems().Item(0).text, "C:\\windows\\system32\\..");
  EXPECT_EQ(Problems().Item(1).text, "HKEY_CURRENT_USER\\Software");
  // Each refused place shows why, in a column there only while a row has a reason.
  ASSERT_EQ(Problems().ColumnCount(), 2);
  EXPECT_EQ(Problems().Column(2).text, "Reason");
  EXPECT_EQ(Problems().Item(0).SubItem(1),
            "C:\\windows: a protected folder of the machine (or one that holds one)");
  EXPECT_NE(Problems().Item(1).SubItem(1).find("HKEY_CURRENT_USER\\Software"), std::string::npos);
  const auto& results = Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  ASSERT_EQ(results.Count(), 2);
  EXPECT_EQ(results.Item(0).text, "WinAttack");
  EXPECT_EQ(results.Item(1).text, "SoftAttack");
  EXPECT_EQ(GetSetting(f.App(), "Settings", "lblDefRemoved", ""), "1");
}

TEST_F(RemovalSafety, LibraryRecordIsWrittenOnlyOnceItsDeleteSucceeded) {
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Spy\\stuck.dll", "stuck"));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Spy\\gone.dll", "gone"));
  ASSERT_EQ(::chmod(f.Prefix().Native("C:\\Spy\\stuck.dll").c_str(), 0444), 0);
  test::AddFileHit(Main(), "C:\\Spy\\stuck.dll", "Stuck");
  test::AddFileHit(Main(), "C:\\Spy\\gone.dll", "Gone");
  Main().cmdSelectAll_Click();
  test::RepairNow(f);

  EXPECT_TRUE(test::Exists(f, "C:\\Spy\\stuck.dll"));
  EXPECT_FALSE(test::Exists(f, "C:\\Spy\\gone.dll"));
  EXPECT_EQ(Log(), test::FileRecord("gone.dll", "C:\\Spy\\gone.dll"));
  ASSERT_EQ(Problems().Count(), 1);
  EXPECT_EQ(Problems().Item(0).text, "C:\\Spy\\stuck.dll");
  EXPECT_EQ(Problems().ColumnCount(), 1);
}

TEST_F(RemovalSafety, RunWithoutAWindowRemovesFindingsAndTellsWhatStayedAndWhy) {
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Spy\\spy.txt", "spy"));
  FindingList findings;
  for (const auto& [path, kind] : {std::pair{"C:\\Spy\\spy.txt", FindingKind::File},
                                   std::pair{"C:\\windows\\system32\\..", FindingKind::Folder}}) {
    Finding hit;
    hit.kind = kind;
    hit.name = hit.threat = path;
    hit.location = path;
    findings.Add(hit);
  }
  RemovalRequest request = RequestForAll(findings);
  request.automatic = true;
  RemovalWindow nobody;
  const RemovalResult result = RemovalRun(f.App(), request, nobody);

  EXPECT_TRUE(result.ran);
  EXPECT_FALSE(test::Exists(f, "C:\\Spy\\spy.txt"));
  EXPECT_TRUE(test::Exists(f, "C:\\windows\\system32"));
  EXPECT_EQ(Log(), test::FileRecord("spy.txt", "C:\\Spy\\spy.txt"));
  EXPECT_EQ(findings.At(0).state, FindingState::Removed);
  EXPECT_EQ(findings.At(1).state, FindingState::Failed);
  ASSERT_EQ(result.problems.size(), 1u);
  EXPECT_EQ(result.problems[0].place, "C:\\windows\\system32\\..");
  ASSERT_EQ(result.refusals.size(), 1u);
  EXPECT_EQ(result.problems[0].reason, result.refusals[0]);
  // The main window saw none of it.
  EXPECT_EQ(Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 0);
  EXPECT_EQ(Problems().Count(), 0);
}

TEST_F(RemovalSafety, LargeShareOfADriveAsksAndAutomaticRemovalNeedsForce) {
  // Measured against what the machine holds, not the host's volume: 2 of 3 MiB.
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Spy\\big.bin", std::string(2 << 20, 'x')));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Other\\keep.bin", std::string(1 << 20, 'k')));
  test::AddFileHit(Main(), "C:\\Spy\\big.bin", "Big");
  Main().cmdSelectAll_Click();

  f.Host().QueueMsgBox(forms::MsgBoxResult::Yes);  // "Really Delete?"
  f.Host().QueueMsgBox(forms::MsgBoxResult::No);   // the share question
  Main().Command4_Click();
  const auto& asked = f.Host().Dialogs().back();
  EXPECT_EQ(asked.text,
            "The selected items make up 66% of C:\\. Removing that much at once can damage your "
            "computer, and a faulty definition may be the cause. Are you sure you want to "
            "remove them?");
  EXPECT_EQ(asked.icon, forms::MsgBoxIcon::Exclamation);
  EXPECT_TRUE(test::Exists(f, "C:\\Spy\\big.bin"));
  EXPECT_EQ(f.Pending().size(), 1u);
  EXPECT_TRUE(Main().lblRemove.Enabled());
  EXPECT_FALSE(Main().pgbDeleteSpywaresFound.Visible());

  // Asking nothing, the automatic removal refuses it, unless told to go ahead.
  Main().SetAutomaticRemoval(true);
  Main().Command4_Click();
  EXPECT_EQ(Main().LastRemoval().refusedShare, "66% of C:\\");
  EXPECT_FALSE(Main().LastRemoval().ran);
  EXPECT_TRUE(test::Exists(f, "C:\\Spy\\big.bin"));
  Main().SetAutomaticRemoval(true, true);
  Main().Command4_Click();
  EXPECT_TRUE(Main().LastRemoval().refusedShare.empty());
  EXPECT_FALSE(test::Exists(f, "C:\\Spy\\big.bin"));

  // A share below the limit is not asked about.
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Other\\more.bin", std::string(12 << 20, 'k')));
  Main().SetAutomaticRemoval(false);
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Spy\\big2.bin", std::string(2 << 20, 'x')));
  test::AddFileHit(Main(), "C:\\Spy\\big2.bin", "Big2");
  Main().cmdSelectAll_Click();
  test::RepairNow(f);
  EXPECT_FALSE(test::Exists(f, "C:\\Spy\\big2.bin"));
}

TEST_F(RemovalSafety, NoScanDuringARemovalAndNoScanOfTheProgramsOwnFolders) {
  test::AddFileHit(Main(), "C:\\Spy\\spy.txt", "Spy");
  Main().lblRemove.SetEnabled(false);  // as while a removal runs
  Main().cmdScanNow_Click();
  EXPECT_EQ(f.Pending().size(), 1u);
  Main().lblRemove.SetEnabled(true);

  const std::string name = "quillonet-spyware-test-program.exe";
  const std::string documents = "C:\\users\\" + f.Prefix().User() + "\\Documents\\";
  ASSERT_TRUE(f.Prefix().WriteFile(documents + name, "spy"));
  ASSERT_TRUE(f.Prefix().WriteFile(f.DataFolder() + "\\quarantine\\" + name, "saved copy"));
  f.WriteDefinitions(definition_files::kFile, {name + "=Spy Program|"});
  Main().Findings().Clear();
  Main().lvwSpywareFound.Clear();
  f.App().Definitions().LoadDefinitionSet();
  f.App().RefreshFloor();
  ScanFolderTree(ScanInputsOf(f.App()), Main(), "C:\\users\\" + f.Prefix().User() + "\\");
  ASSERT_EQ(f.Pending().size(), 1u);
  EXPECT_EQ(text::ToLower(f.Pending()[0].location), text::ToLower(documents + name));
  // A scan of the data folder itself, or of one file in it, finds nothing there.
  ScanFolderTree(ScanInputsOf(f.App()), Main(), f.DataFolder() + "\\");
  CheckFoundFile(ScanInputsOf(f.App()), Main(), f.DataFolder() + "\\quarantine\\" + name);
  EXPECT_EQ(f.Pending().size(), 1u);
  EXPECT_EQ(Main().lvwSpywareFound.Count(), 1);
}

}  // namespace
}  // namespace quill
