// Scans run through the main window on a temporary prefix with real files.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/DateTime.h"
#include "base/Text.h"
#include "definitions/ExclusionList.h"
#include "scenario/ScanScenarioSupport.h"
#include "support/StoredSettings.h"

namespace quill::test {
namespace {

// ---- Smart Scan: the definitions' own places -------------------------------------------------

TEST_F(ScanScenario, SmartScanFindsPlantedFilesButNotHiddenOnes) {
  WriteDefinitions({"evil.exe=Evil Threat|[progfil]EvilCo|Spyware",
                    ".hidden.exe=Hidden Threat|[progfil]EvilCo|Spyware",
                    "absent.exe=Absent Threat|[progfil]EvilCo|Spyware"},
                   {"EvilDir=Evil Folder|[progfil]EvilFolder|Adware", "NoLocation=Skipped Folder"});
  Plant("C:\\Program Files\\EvilCo\\evil.exe");
  Plant("C:\\Program Files\\EvilCo\\.hidden.exe");
  Plant("C:\\Program Files\\EvilFolder\\inside.txt");
  Start();
  Scan(0);

  ASSERT_EQ(ResultNames(), Names({"Evil Threat", "Evil Folder"}));
  const Finding file = Listed()[0];
  EXPECT_EQ(file.kind, FindingKind::File);
  EXPECT_TRUE(text::EqualsNoCase(file.location, "C:\\Program Files\\EvilCo\\evil.exe"));
  EXPECT_EQ(file.threatType, "Spyware");
  const Finding folder = Listed()[1];
  EXPECT_EQ(folder.kind, FindingKind::Folder);
  EXPECT_TRUE(text::EqualsNoCase(folder.location, "C:\\Program Files\\EvilFolder"));

  // Both wait for removal, under the threat name their rows are ticked by.
  ASSERT_EQ(fx.Pending().size(), 2u);
  EXPECT_EQ(fx.Pending()[0].threat, "Evil Threat");
  EXPECT_EQ(Main().lvwSpywareFound.Count(), 2);
  EXPECT_EQ(Main().lbltracesFound.Caption(), "2");
  EXPECT_EQ(Main().Scan().counters.TracesFound, 2);
  // Three file lines and the one folder line with a location were examined.
  EXPECT_EQ(Main().Scan().counters.FilesFoldersInspected, 4);
  EXPECT_EQ(Main().lblStatus[0].Caption(), App().Msg("MSG_SCAN_COMPLETED"));
}

TEST_F(ScanScenario, SmartScanCarriesTheTypeUntilAHitIsRecorded) {
  WriteDefinitions({"a.exe=A|[progfil]EvilCo|Adware", "b.exe=B|[progfil]EvilCo",
                    "c.exe=C|[progfil]EvilCo", "d.exe=D|[progfil]EvilCo|TYPE"});
  for (const char* name : {"b.exe", "c.exe", "d.exe"})
    Plant(std::string("C:\\Program Files\\EvilCo\\") + name);
  Start();
  Scan(0);
  ASSERT_EQ(ResultNames(), Names({"B", "C", "D"}));
  EXPECT_EQ(Listed()[0].threatType, "Adware");  // inherited from the line before
  EXPECT_EQ(Listed()[1].threatType, "");        // cleared by the hit before
  EXPECT_EQ(Listed()[2].threatType, "TYPE");    // kept as written
}

TEST_F(ScanScenario, MissingDefinitionsShowTheMessageAndScanNothing) {
  fx.WriteDefinitions("FileDefinition.dat", {"evil.exe=Evil|[progfil]EvilCo"});
  Plant("C:\\Program Files\\EvilCo\\evil.exe");
  Start();
  Scan(0);
  EXPECT_TRUE(ResultNames().empty());
  auto boxes = Host().DialogsOf(DialogKind::MsgBox);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, App().Msg("MSG_MISSING"));
  EXPECT_EQ(boxes.back().title, App().brand.programName);
  EXPECT_EQ(Main().lblStatus[0].Caption(), App().Msg("MSG_SCAN_COMPLETED"));
}

// ---- The walk --------------------------------------------------------------------------------

TEST_F(ScanScenario, ReadOnlyFolderIsNotEntered) {
  WriteDefinitions({"evil.exe=EvilRO|C:\\Scan\\ro", "evil.exe=EvilRW|C:\\Scan\\rw"});
  Plant("C:\\Scan\\ro\\evil.exe");
  Plant("C:\\Scan\\rw\\evil.exe");
  std::filesystem::permissions(fx.Prefix().Native("C:\\Scan\\ro"),
                               std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  Start();
  ScanFolder("C:\\Scan");
  EXPECT_EQ(ResultNames(), Names({"EvilRW"}));
  // The chosen folder, both subfolders and the one file inside the writable one.
  EXPECT_EQ(Main().Scan().counters.FilesFoldersInspected, 4);
}

TEST_F(ScanScenario, FileInTheSystemFolderNeedsADefinitionNamingItInFull) {
  WriteDefinitions({"evil.dll=EvilDrive|[drive]\\windows\\system32"});
  Plant("C:\\windows\\system32\\evil.dll");
  Start();
  Host().QueueOpenFile("C:\\windows\\system32\\evil.dll");
  Scan(2);
  EXPECT_TRUE(ResultNames().empty());
}

TEST_F(ScanScenario, FileInTheSystemFolderMatchesTheSystemFolderToken) {
  WriteDefinitions({"evil.dll=EvilDrive|[drive]\\windows\\system32", "evil.dll=EvilSys|[system]"});
  Plant("C:\\windows\\system32\\evil.dll");
  Start();
  Host().QueueOpenFile("C:\\windows\\system32\\evil.dll");
  Scan(2);
  EXPECT_EQ(ResultNames(), Names({"EvilSys"}));
  EXPECT_EQ(Main().Scan().counters.FilesFoldersInspected, 1);
}

TEST_F(ScanScenario, TwoTrailingFolderNamesMatchOnAnotherDrive) {
  MapDriveD();
  WriteDefinitions({"foo.exe=FooThreat|[progfil]\\Foo|Spyware"});
  Plant("D:\\Backup\\Program Files\\Foo\\foo.exe");
  Plant("D:\\Backup\\Foo\\foo.exe");  // only one folder name agrees
  Start();
  ScanFolder("D:\\Backup");
  ASSERT_EQ(ResultNames(), Names({"FooThreat"}));
  EXPECT_EQ(Listed()[0].location, "d:\\backup\\program files\\foo\\foo.exe");
  EXPECT_EQ(Listed()[0].threatType, "Spyware");
  EXPECT_EQ(fx.Pending().at(0).threat, "FooThreat");
}

TEST_F(ScanScenario, LongProgramNamesMatchAnywhere) {
  WriteDefinitions({"verylongprogramname.exe=LongThreat|[progfil]Elsewhere",
                    "short.exe=ShortThreat", "verylongnotaprogram.txt=LongText"});
  Plant("C:\\Scan\\deep\\er\\VeryLongProgramName.exe");
  Plant("C:\\Scan\\deep\\er\\short.exe");
  Plant("C:\\Scan\\deep\\er\\verylongnotaprogram.txt");
  Start();
  ScanFolder("C:\\Scan");
  EXPECT_EQ(ResultNames(), Names({"LongThreat"}));
}

TEST_F(ScanScenario, FoldersMatchByFullPathWithTheDriveOfTheMetFolder) {
  WriteDefinitions({}, {"Bad=Bad Folder|[drive]\\Scan\\Bad Stuff|Adware",
                        "Other=Other Folder|[drive]\\Elsewhere\\Bad Stuff"});
  Plant("C:\\Scan\\Bad Stuff\\x.txt");
  Start();
  ScanFolder("C:\\Scan");
  ASSERT_EQ(ResultNames(), Names({"Bad Folder Directory"}));
  const Finding folder = Listed()[0];
  EXPECT_EQ(folder.kind, FindingKind::WalkedFolder);
  EXPECT_EQ(folder.location, "c:\\scan\\bad stuff");
  EXPECT_EQ(folder.threatType, "Adware");
  EXPECT_EQ(Main().lvwSpywareFound.Item(0).smallIcon, kItemFile);
  EXPECT_EQ(fx.Pending().at(0).location, "c:\\scan\\bad stuff");
}

TEST_F(ScanScenario, ExcludedItemsGiveOneExcludedRowAndAreNotCounted) {
  WriteDefinitions({"evil.exe=Evil|C:\\Scan\\a"}, {"B=Bad Folder|[drive]\\Scan\\b"});
  Plant("C:\\Scan\\a\\evil.exe");
  Plant("C:\\Scan\\b\\keep.txt");
  Start();
  App().Exclusions().AddExclusion("C:\\Scan\\A\\evil.exe");
  App().Exclusions().AddExclusion("c:\\scan\\b");
  ScanFolder("C:\\Scan");
  EXPECT_TRUE(ResultNames().empty());
  const auto& progress = Main().lvwSpywareFound;
  ASSERT_EQ(progress.Count(), 2);
  for (const auto& row : progress.Items()) {
    EXPECT_EQ(row.text, "EXCLUDED");
    EXPECT_EQ(row.smallIcon, kItemExcluded);
  }
  // Both folders are examined before either is entered.
  EXPECT_EQ(progress.Item(0).SubItem(1), "c:\\scan\\b\\");
  EXPECT_EQ(progress.Item(1).SubItem(1), "c:\\scan\\a\\evil.exe");
  EXPECT_EQ(Main().Scan().counters.TracesFound, 0);
  EXPECT_EQ(Main().lbltracesFound.Caption(), "0");
  EXPECT_TRUE(fx.Pending().empty());
}

TEST_F(ScanScenario, EveryEntryOfAFolderComesBeforeItsSubfolders) {
  WriteDefinitions({"z.txt=Z|C:\\Scan\\top", "deep.txt=Deep|C:\\Scan\\top\\a"});
  Plant("C:\\Scan\\top\\a\\deep.txt");
  Plant("C:\\Scan\\top\\z.txt");
  Start();
  ScanFolder("C:\\Scan");
  // "a" is listed before "z.txt", yet it is entered only after z.txt was examined.
  EXPECT_EQ(ResultNames(), Names({"Z", "Deep"}));
  EXPECT_EQ(Main().Scan().counters.FilesFoldersInspected, 5);
}

// ---- Driver: stop, pause, dialogs, dates -----------------------------------------------------

TEST_F(ScanScenario, StopDuringFullSystemScanSkipsTheLaterStages) {
  UnmapDriveZ();
  MapDriveD();
  WriteDefinitions({"evil.exe=Evil|D:\\Late\\Sub"});
  for (int i = 0; i < 40; ++i) Plant("C:\\Filler\\f" + std::to_string(i) + ".txt");
  Plant("D:\\Late\\Sub\\evil.exe");
  Start();
  ASSERT_EQ(Main().lvwHardDrives.Count(), 2);
  Host().AtDoEvents(20, [&] {
    Host().QueueMsgBox(forms::MsgBoxResult::Yes);
    Main().cmdStop.Click();
  });
  Main().Scan().StageLabel.clear();
  Scan(1);

  EXPECT_TRUE(Main().Scan().StopRequested);
  EXPECT_TRUE(ResultNames().empty());       // D: was never walked
  EXPECT_EQ(Main().Scan().StageLabel, "");  // neither the process nor the registry stage ran
  EXPECT_EQ(Main().lblStatus[0].Caption(), App().Msg("MSG_SCAN_CANCELLED"));
  EXPECT_EQ(Main().lblPercentageCompleted.Caption(), "0% " + App().Msg("MSG_COMPLETED"));
  auto boxes = Host().DialogsOf(DialogKind::MsgBox);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, App().Msg("MSG_STOP"));
  EXPECT_EQ(boxes.back().buttons, forms::MsgBoxButtons::YesNo);
  // Back to idle.
  EXPECT_TRUE(Main().cmdScanNow.Enabled());
  EXPECT_FALSE(Main().cmdStop.Enabled());
  EXPECT_FALSE(Main().ScanInProgress());
}

TEST_F(ScanScenario, FullSystemScanWalksEveryDriveThenTheLaterStages) {
  UnmapDriveZ();
  MapDriveD();
  WriteDefinitions({"evil.exe=Evil|D:\\Late\\Sub"});
  Plant("D:\\Late\\Sub\\evil.exe");
  Start();
  // An unticked drive is walked all the same.
  Main().lvwHardDrives.SetChecked(1, false);
  Scan(1);
  EXPECT_EQ(ResultNames(), Names({"Evil"}));
  EXPECT_EQ(Main().Scan().StageLabel, App().Msg("MSG_REGISTRY") + ": ");
  EXPECT_EQ(Main().lblStatus[0].Caption(), App().Msg("MSG_SCAN_COMPLETED"));
  EXPECT_EQ(Main().pb2.Value(), 100);
}

TEST_F(ScanScenario, FullSystemScanSeesLinkedFoldersOnceAndTheMachineOnlyAsItsOwnDrives) {
  namespace fs = std::filesystem;
  UnmapDriveZ();
  const std::string host = MapDriveD();  // stands for the host seen through a drive
  const std::string name = "verylongadwareprogram.exe";
  WriteDefinitions({name + "=Long"});
  fs::create_directories(host + "/home/Docs");
  std::ofstream(host + "/home/Docs/" + name) << "x";
  Plant("C:\\Program Files\\Vendor\\" + name);
  // The profile folders lead into the host's home, as Wine links them (two into the same
  // folder when the home has no folder of that name); one folder there leads back up.
  const std::string profile = fx.Prefix().Native("C:\\users\\" + fx.Prefix().User());
  for (const char* folder : {"Desktop", "Documents"}) fs::remove_all(profile + "/" + folder);
  fs::create_directory_symlink(host + "/home", profile + "/Desktop");
  fs::create_directory_symlink(host + "/home/Docs", profile + "/Documents");
  fs::create_directory_symlink(host + "/home", host + "/home/Docs/up");
  // The prefix and drive C: are also reachable on D:, as they are through Z:.
  fs::create_directory_symlink(fx.Prefix().Root(), host + "/prefix");
  fs::create_directory_symlink(fx.Prefix().Root() + "/drive_c", host + "/cdrive");
  Start();
  Scan(1);

  const std::vector<Finding> listed = Listed();
  ASSERT_EQ(listed.size(), 2u) << ::testing::PrintToString(ResultNames());
  EXPECT_TRUE(text::StartsWith(text::ToLower(listed[0].location), "c:\\program files"));
  // Documents is met before the walk goes down into Desktop, whose Docs is then known.
  EXPECT_NE(text::ToLower(listed[1].location).find("\\documents\\" + name), std::string::npos)
      << listed[1].location;
}

TEST_F(ScanScenario, CancelledFileDialogStillStoresTheScanDates) {
  WriteDefinitions({});
  Start();
  Host().SetNow(datetime::LocalDateTime{2024, 5, 6, 14, 30, 15});
  Scan(2);  // the test host cancels the file dialog
  ASSERT_EQ(Host().DialogsOf(DialogKind::OpenFile).size(), 1u);
  EXPECT_EQ(GetSetting(App(), "Settings", "lblLastScan", ""), "5/6/2024 2:30:15 PM");
  EXPECT_EQ(GetSetting(App(), "Settings", "lblLastFullScan", ""), "");
  EXPECT_EQ(Main().lblLastScan.Caption(), "5/6/2024 2:30:15 PM");
  EXPECT_EQ(Main().lblStatus[0].Caption(), App().Msg("MSG_SCAN_COMPLETED"));
  EXPECT_TRUE(ResultNames().empty());

  // With "Complete System Scan" chosen the finish counts as a complete scan too.
  Main().optScanAllSelectedHardDrive.SetValue(true);
  Scan(3);  // the folder chooser is cancelled as well
  EXPECT_EQ(GetSetting(App(), "Settings", "lblLastFullScan", ""), "5/6/2024 2:30:15 PM");
}

TEST_F(ScanScenario, PauseHoldsTheStageUntilTheBoxCloses) {
  WriteDefinitions({});
  for (int i = 0; i < 60; ++i) Plant("C:\\Scan\\f" + std::to_string(i) + ".txt");
  Start();
  struct Seen {
    bool asked = false, scanning = false, pauseEnabled = true, stopEnabled = true;
    int inspected = -1;
  } seen;
  int inspectedAfterBox = -1;
  bool pauseBackAfterBox = false;
  Host().OnMsgBox([&](const DialogRecord& box) {
    seen.asked = box.text == App().Msg("MSG_PAUSED") && box.title == App().brand.programName;
    seen.scanning = Main().ScanInProgress();
    seen.pauseEnabled = Main().cmdPause.Enabled();
    seen.stopEnabled = Main().cmdStop.Enabled();
    seen.inspected = Main().Scan().counters.FilesFoldersInspected;
    return forms::MsgBoxResult::Ok;
  });
  Host().AtDoEvents(30, [&] { Main().cmdPause.Click(); });
  Host().AtDoEvents(31, [&] {
    pauseBackAfterBox = Main().cmdPause.Enabled();
    inspectedAfterBox = Main().Scan().counters.FilesFoldersInspected;
  });
  ScanFolder("C:\\Scan");

  EXPECT_TRUE(seen.asked);
  EXPECT_TRUE(seen.scanning);
  EXPECT_FALSE(seen.pauseEnabled);
  EXPECT_FALSE(seen.stopEnabled);
  // The walk resumes right where it was held.
  EXPECT_GE(inspectedAfterBox, seen.inspected);
  EXPECT_LE(inspectedAfterBox, seen.inspected + 1);
  EXPECT_TRUE(pauseBackAfterBox);
  // The scan went on to the end after the box closed.
  EXPECT_GT(Main().Scan().counters.FilesFoldersInspected, seen.inspected);
  EXPECT_EQ(Main().Scan().counters.FilesFoldersInspected, 61);
  EXPECT_EQ(Main().lblStatus[0].Caption(), App().Msg("MSG_SCAN_COMPLETED"));
}

TEST_F(ScanScenario, ProgressIsShownOnEvery25thReportThroughTheWordFilter) {
  WriteDefinitions({});
  for (int i = 0; i < 30; ++i) Plant("C:\\Scan\\Documents\\f" + std::to_string(i) + ".txt");
  Start();
  std::vector<std::string> captions;
  Main().lblStatus[0].Changed().Subscribe(
      [&] { captions.push_back(Main().lblStatus[0].Caption()); });
  ScanFolder("C:\\Scan");
  // The chosen folder, Documents and 30 files make 32 reports: the 25th alone is shown.
  std::vector<std::string> shown;
  for (const auto& caption : captions) {
    EXPECT_EQ(caption.find("Documents"), std::string::npos) << caption;
    if (text::StartsWith(caption, "Scanning: ")) shown.push_back(caption);
  }
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("C:\\Scan\\Doents\\\r\n"), std::string::npos) << shown[0];
}

TEST_F(ScanScenario, ShortcutButtonsSelectTheModeAndStart) {
  WriteDefinitions({"evil.exe=Evil|C:\\Scan\\x"});
  Plant("C:\\Scan\\x\\evil.exe");
  Start();
  Host().QueueFolder("C:\\Scan");
  Main().Command7.Click();
  EXPECT_TRUE(Main().optScan[3].Value());
  EXPECT_EQ(ResultNames(), Names({"Evil"}));
  // A start request while a scan runs does not start a second scan inside it.
  int nested = 0;
  Host().EveryDoEvents([&] {
    if (nested++ == 0) Main().Command3_Click();
  });
  Host().QueueFolder("C:\\Scan");
  Main().Command7.Click();
  EXPECT_TRUE(Main().optScan[3].Value());
  EXPECT_EQ(ResultNames(), Names({"Evil"}));
  EXPECT_EQ(Host().DialogsOf(DialogKind::ChooseFolder).size(), 2u);
}

TEST_F(ScanScenario, DriveTicksAreStored) {
  UnmapDriveZ();
  MapDriveD();
  WriteDefinitions({});
  Start();
  ASSERT_EQ(Main().lvwHardDrives.Count(), 2);
  EXPECT_EQ(Main().lvwHardDrives.Item(0).text, "C");
  EXPECT_EQ(Main().lvwHardDrives.Item(1).text, "D");
  Main().lvwHardDrives.UserCheck(1, false);
  EXPECT_EQ(GetSetting(App(), "Drives", "D", ""), "False");
  EXPECT_EQ(GetSetting(App(), "Drives", "C", ""), "True");
}

}  // namespace
}  // namespace quill::test
