// "Repair Now": kinds, captions, questions and restore points.
#include "removal/Removal.h"

#include <gtest/gtest.h>

#include "app/frmDelete.h"
#include "app/frmQuarantine.h"
#include "removal/RemovalTestSupport.h"
#include "support/StoredSettings.h"

namespace quill {
namespace {

using test::AppFixture;
using test::DialogKind;

const char* const kConfirm =
    "Are you sure you want to delete the selected files?\r\n\r\nDeleted files will be backed "
    "up in the following folder in case you need to recover them:\r\n\r\n";
const char* const kRestoreParagraph =
    "\r\n\r\nIn addition, a System Restore Point will be created using Windows System "
    "Restore, accessible through:\r\n\r\nStart > Programs > Accessories > System Tools > "
    "System Restore";

TEST(RemovalKindTest, ExtensionAfterTheLastDotDecides) {
  EXPECT_EQ(KindOfPath("C:\\a\\b.exe"), RemovalKind::Executable);
  EXPECT_EQ(KindOfPath("C:\\a\\B.EXE "), RemovalKind::Executable);
  EXPECT_EQ(KindOfPath("C:\\a\\b.Dll"), RemovalKind::Library);
  EXPECT_EQ(KindOfPath("C:\\a\\b.ocx"), RemovalKind::Library);
  EXPECT_EQ(KindOfPath("C:\\a.exe\\b"), RemovalKind::Other);    // a "\" after the dot
  EXPECT_EQ(KindOfPath("C:\\a\\b.exe:x"), RemovalKind::Other);  // a ":" after the dot
  EXPECT_EQ(KindOfPath("C:\\a\\b.exe.txt"), RemovalKind::Other);
  EXPECT_EQ(KindOfPath("C:\\a\\folder"), RemovalKind::Other);
}

TEST(RemovalCaptionTest, PercentRoundsHalvesToEven) {
  AppFixture f;
  f.Start();
  EXPECT_EQ(RemovingCaption(RemovalInputsOf(f.App()), 9, 20), "Removing : 45% Completed.");
  EXPECT_EQ(RemovingCaption(RemovalInputsOf(f.App()), 1, 8), "Removing : 12% Completed.");  // 12.5
  EXPECT_EQ(RemovingCaption(RemovalInputsOf(f.App()), 3, 8), "Removing : 38% Completed.");  // 37.5
  EXPECT_EQ(RemovingCaption(RemovalInputsOf(f.App()), 1, 3), "Removing : 33% Completed.");
  EXPECT_EQ(RemovingCaption(RemovalInputsOf(f.App()), 20, 20), "Removing : 100% Completed.");
}

TEST(RestorePointTest, VersionRuleAndSystemRestorePresence) {
  AppFixture f;
  f.Start();
  // A Wine prefix has no System Restore.
  EXPECT_FALSE(RestorePointsSupported(f.App().System()));
  auto& system = test::InstallRestoreCapableSystem(f);
  struct Case {
    platform::OsVersion v;
    bool supported;
  };
  for (const auto& c : {Case{{1, 4, 90}, true}, Case{{1, 4, 10}, false}, Case{{2, 5, 1}, true},
                        Case{{2, 5, 0}, false}, Case{{2, 5, 2}, false}, Case{{2, 6, 0}, true},
                        Case{{2, 10, 0}, true}, Case{{3, 6, 0}, false}}) {
    system.version = c.v;
    EXPECT_EQ(RestorePointsSupported(f.App().System()), c.supported)
        << c.v.platformId << " " << c.v.major << "." << c.v.minor;
  }
  system.version = {2, 6, 1};
  system.hasRestore = false;
  EXPECT_FALSE(RestorePointsSupported(f.App().System()));
}

TEST(RestorePointTest, SecondBeginFailsUntilTheFirstIsEnded) {
  AppFixture f;
  f.Start();
  auto& system = test::InstallRestoreCapableSystem(f);
  RestorePoint point(f.App().System());
  EXPECT_FALSE(point.BeginRestorePoint("one", 6));
  EXPECT_EQ(point.Sequence(), 42);
  auto error = point.BeginRestorePoint("two", 6);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->number, 100001);
  EXPECT_EQ(error->description, "You must End the previous restore point first.");
  point.EndRestorePoint();
  EXPECT_EQ(point.Sequence(), 0);
  EXPECT_EQ(system.ended, std::vector<int64_t>{42});
  system.beginSucceeds = false;
  EXPECT_TRUE(point.BeginRestorePoint("three", 6));
  EXPECT_EQ(point.Sequence(), 0);
}

TEST(RepairNowTest, NothingTickedShowsTheMessageOrNothingInAutomaticMode) {
  AppFixture f;
  test::StartAt(f);
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Bad\\keep.txt", "x"));
  test::AddFileHit(f.Main(), "C:\\Bad\\keep.txt", "Keep");
  f.Main().Command4_Click();
  auto boxes = f.Host().DialogsOf(DialogKind::MsgBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "No entries are selected.  You must check the box next to at least one item in the "
            "list.");
  EXPECT_EQ(boxes[0].icon, forms::MsgBoxIcon::Information);
  EXPECT_EQ(boxes[0].title, "Quillonet");
  EXPECT_TRUE(test::Exists(f, "C:\\Bad\\keep.txt"));
  EXPECT_FALSE(test::Exists(f, f.DataFolder() + "\\quarantine"));

  f.Host().ClearDialogs();
  f.Main().SetAutomaticRemoval(true);
  f.Main().Command4_Click();
  EXPECT_TRUE(f.Host().Dialogs().empty());
  EXPECT_EQ(f.Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 1);
}

TEST(RepairNowTest, ConfirmationWithoutRestorePointAndAnswerNoStops) {
  AppFixture f;
  test::StartAt(f);
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Bad\\a.txt", "x"));
  test::AddFileHit(f.Main(), "C:\\Bad\\a.txt", "Bad");
  f.Main().cmdSelectAll_Click();
  f.Host().QueueMsgBox(forms::MsgBoxResult::No);
  const int yieldsBefore = f.Host().DoEventsCount();
  f.Main().Command4_Click();
  auto boxes = f.Host().DialogsOf(DialogKind::MsgBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kConfirm + f.DataFolder() + "\\quarantine");
  EXPECT_EQ(boxes[0].title, "Really Delete?");
  EXPECT_EQ(boxes[0].buttons, forms::MsgBoxButtons::YesNo);
  EXPECT_TRUE(test::Exists(f, "C:\\Bad\\a.txt"));
  EXPECT_EQ(f.Host().DoEventsCount(), yieldsBefore);
}

TEST(RepairNowTest, RestorePointIsOpenedAndClosedAroundBothPasses) {
  AppFixture f;
  test::StartAt(f);
  auto& system = test::InstallRestoreCapableSystem(f);
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Bad\\a.ocx", "lib"));
  test::AddFileHit(f.Main(), "C:\\Bad\\a.ocx", "Bad");
  f.Main().cmdSelectAll_Click();

  std::vector<std::string> captions;
  f.Main().lblDeletingPercentageCompleted.Changed().Subscribe(
      [&] { captions.push_back(f.Main().lblDeletingPercentageCompleted.Caption()); });
  test::RepairNow(f);

  auto boxes = f.Host().DialogsOf(DialogKind::MsgBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kConfirm + f.DataFolder() + "\\quarantine" + kRestoreParagraph);
  EXPECT_EQ(system.begun, std::vector<std::string>{"Quillonet Restore Point " +
                                                   std::string(test::kStamp) + "|6"});
  EXPECT_EQ(system.ended, std::vector<int64_t>{42});
  EXPECT_NE(std::find(captions.begin(), captions.end(), "Creating Restore Point..."),
            captions.end());
  EXPECT_NE(std::find(captions.begin(), captions.end(), "Gathering information..."),
            captions.end());
  EXPECT_NE(std::find(captions.begin(), captions.end(), "Removing : 100% Completed."),
            captions.end());
  EXPECT_EQ(captions.back(), "100% Complete");  // messages start with a capital
  // Libraries are unregistered before they go (twice per pass: the list step and the
  // library routine).
  ASSERT_FALSE(system.registrations.empty());
  EXPECT_EQ(system.registrations.front(), "unregister C:\\Bad\\a.ocx");
  EXPECT_FALSE(test::Exists(f, "C:\\Bad\\a.ocx"));
  EXPECT_EQ(test::Read(f, f.DataFolder() + "\\quarantine\\a.ocx"), "lib");
}

TEST(RepairNowTest, RunPausesTurnsTimersOffAndRestoresTheLabel) {
  AppFixture f;
  test::StartAt(f);
  SaveSetting(f.App(), "OptionAndSettings", "chkAutomaticScanYesOrNo", "1");
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Bad\\a.txt", "x"));
  test::AddFileHit(f.Main(), "C:\\Bad\\a.txt", "Bad");
  f.Main().cmdSelectAll_Click();
  bool timersOffDuringRun = true;
  bool labelDisabledDuringRun = true;
  f.Host().AtDoEvents(5, [&] {
    auto& m = f.Main();
    timersOffDuringRun = !m.tmrScheduler.Enabled() && !m.tmrCheckHomePage.Enabled() &&
                         !m.tmrMemoryInspected.Enabled();
    labelDisabledDuringRun = !m.lblRemove.Enabled();
  });
  const int before = f.Host().DoEventsCount();
  test::RepairNow(f);
  EXPECT_TRUE(timersOffDuringRun);
  EXPECT_TRUE(labelDisabledDuringRun);
  EXPECT_GE(f.Host().DoEventsCount() - before, 20001);
  EXPECT_TRUE(f.Main().lblRemove.Enabled());
  EXPECT_TRUE(f.Main().tmrScheduler.Enabled());
  EXPECT_FALSE(f.Main().pgbDeleteSpywaresFound.Visible());
  EXPECT_FALSE(f.Main().lblDeletingPercentageCompleted.Visible());
  EXPECT_EQ(f.Main().CurrentPage(), 2);
}

TEST(DeleteFailedWindowTest, CopyListPutsEveryPathWithCrLfOnTheClipboard) {
  AppFixture f;
  f.Start();
  auto& window = f.App().DeleteFailed();
  EXPECT_EQ(window.Caption(), "Delete Failed");
  window.lstProblem.Add("C:\\a.exe");
  window.lstProblem.Add("C:\\b\\c.dll");
  window.Show();
  window.cmdCopy.Click();
  EXPECT_EQ(f.Host().Clipboard(), "C:\\a.exe\r\nC:\\b\\c.dll\r\n");
  window.cmdOk.Click();
  EXPECT_FALSE(window.Visible());
}

TEST(ViewQuarantineTest, CreatesTheFolderAndOpensIt) {
  AppFixture f;
  test::StartAt(f);
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Bad\\a.txt", "a"));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Bad\\b.txt", "b"));
  test::AddFileHit(f.Main(), "C:\\Bad\\a.txt", "A");
  test::AddFileHit(f.Main(), "C:\\Bad\\b.txt", "B");
  f.Main().cmdSelectAll_Click();
  test::RepairNow(f);
  f.Main().MenuClick("Quarantine", 0);
  const std::string folder = f.DataFolder() + "\\quarantine";
  EXPECT_TRUE(test::Exists(f, folder));
  auto& window = f.App().QuarantineWindow();
  EXPECT_TRUE(window.Visible());
  ASSERT_EQ(window.lvwQuarantine.Count(), 2);
  EXPECT_EQ(window.lvwQuarantine.Item(0).SubItem(3), "C:\\Bad\\a.txt");
  EXPECT_EQ(window.lvwQuarantine.Item(0).SubItem(5), "Saved");

  // "Open Folder" is the explorer command on the quarantine folder.
  window.cmdOpenFolder.Click();
  ASSERT_FALSE(f.Started().empty());
  EXPECT_EQ(f.Started().back(), "explorer " + folder);

  // "Restore" puts the ticked item back; "Delete" asks, then takes the other one for good.
  window.lvwQuarantine.UserCheck(0, true);
  window.cmdRestore.Click();
  EXPECT_EQ(test::Read(f, "C:\\Bad\\a.txt"), "a");
  EXPECT_EQ(window.lvwQuarantine.Item(0).SubItem(5), "Restored to C:\\Bad\\a.txt");
  window.lvwQuarantine.UserCheck(1, true);
  f.Host().QueueMsgBox(forms::MsgBoxResult::Yes);
  window.cmdDelete.Click();
  EXPECT_EQ(window.lvwQuarantine.Count(), 1);
  EXPECT_FALSE(test::Exists(f, folder + "\\b.txt"));
  EXPECT_FALSE(test::Exists(f, "C:\\Bad\\b.txt"));
}

}  // namespace
}  // namespace quill
