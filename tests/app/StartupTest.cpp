// Start-up, settings and shutdown of the main window, on a temporary prefix.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/MachineSettingsStore.h"
#include "app/frmLanguage.h"
#include "app/frmSplash.h"
#include "base/Text.h"
#include "definitions/DefinitionSet.h"
#include "platform/posix/PosixSystem.h"
#include "support/AppFixture.h"
#include "support/StoredSettings.h"

namespace quill {
namespace {

using test::AppFixture;
using test::DialogKind;

std::string Setting(AppFixture& f, const std::string& section, const std::string& key) {
  return GetSetting(f.App(), section, key, "<absent>");
}

TEST(Startup, FirstRunAsksForLanguageThenOffersLiveUpdateOncePerUser) {
  AppFixture f({.firstRun = true});
  bool mainUsableWhenChooserShown = true;
  f.Host().OnModal("frmLanguage", [&](forms::Form& form) {
    mainUsableWhenChooserShown = !f.Main().Loading;
    form.Hide();  // the user closes the chooser without choosing
  });
  f.Start();
  EXPECT_FALSE(mainUsableWhenChooserShown);
  EXPECT_EQ(Setting(f, "Settings", "Language"), "English");
  auto boxes = f.Host().DialogsOf(DialogKind::MsgBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Update Now?");
  EXPECT_EQ(boxes[0].buttons, forms::MsgBoxButtons::YesNo);
  EXPECT_EQ(boxes[0].text,
            "Thank you for using Quillonet!\r\n\r\nBecause this is the first time you have used "
            "Quillonet we recommend running Live Update now to download the most recent adware "
            "and spyware definitions.\r\n\r\nWould you like to run Live Update now?");
  // Both first-run records are the user's own: a machine store that cannot be written
  // (a running wineserver holds the hives) does not bring them back.
  EXPECT_EQ(Setting(f, "Settings", "FirstTime"), "Yes");
  EXPECT_EQ(Setting(f, "Settings", "showHelp"), "0");
  EXPECT_EQ(f.App().MachineSettings().Read("Quillonet", "Settings", "FirstTime", ""), "");
}

TEST(Startup, SecondCopyEndsSilently) {
  AppFixture first;
  first.Start();
  ASSERT_FALSE(first.App().Ended());

  // A second program on the same machine: its own host and settings, the same prefix.
  test::TestHost host;
  platform::PlatformOptions po;
  po.prefix = first.Prefix().Root();
  po.settingsFolder = first.SettingsFolder();
  po.programFolder = first.ProgramFolder();
  auto platform = platform::CreatePlatform(po);
  Application second(host, platform);
  second.Main().Load();
  EXPECT_TRUE(second.Ended());
  EXPECT_TRUE(host.QuitRequested());
  EXPECT_TRUE(host.Dialogs().empty());
  EXPECT_EQ(second.Main().lblDefCount.Caption(), "0");  // stopped before counting
}

TEST(Startup, StoredCompleteSystemScanStillStartsInQuickScan) {
  AppFixture f;
  SaveSetting(f.App(), "OptionAndSettings", "optScanAllSelectedHardDrive", "True");
  SaveSetting(f.App(), "OptionAndSettings", "optScanOnlyKnownSoftwares", "False");
  f.Start();
  EXPECT_TRUE(f.Main().optScanOnlyKnownSoftwares.Value());
  EXPECT_TRUE(f.Main().optScan[0].Value());  // Smart Scan selected
  EXPECT_FALSE(f.Main().optScan[1].Value());
  EXPECT_FALSE(f.Main().optScanAllSelectedHardDrive.Value());
  EXPECT_FALSE(f.Main().lvwHardDrives.Visible());
  EXPECT_EQ(Setting(f, "OptionAndSettings", "optScanOnlyKnownSoftwares"), "True");
}

TEST(Startup, MinimizedAtLastExitStartsInTheNotificationArea) {
  AppFixture f;
  SaveSetting(f.App(), "Settings", "Minimized", "Yes");
  f.Start();
  EXPECT_FALSE(f.Main().Visible());
  EXPECT_EQ(f.Main().State(), forms::WindowState::Minimized);
  EXPECT_TRUE(f.Host().TrayPresent("FrmMain"));
  EXPECT_EQ(f.Host().TrayTip("FrmMain"), "Quillonet");
}

TEST(Startup, StagedDefinitionsReplaceLiveFilesAndHomePageShowsCounts) {
  AppFixture f;
  f.WriteDataFile("FileDefinition.dat", "old\r\n");
  std::string many;
  for (int i = 0; i < 1234; ++i) many += "line\r\n";
  f.WriteDataFile("DLFileDefinition.dat", many);
  f.WriteDataFile("DLBlockedCookies.dat", "a\r\nb\r\n");
  f.Start();
  auto& fs = f.App().Files();
  EXPECT_FALSE(fs.Attributes(f.DataFolder() + "\\DLFileDefinition.dat"));
  EXPECT_EQ(fs.ReadFile(f.DataFolder() + "\\FileDefinition.dat").value_or(""), many);
  EXPECT_EQ(f.Main().lblDefCount.Caption(), "1,236");
  EXPECT_EQ(f.Main().lblDefVersion.Caption(), "3/16/2006 12:00:00 AM PST");
  EXPECT_EQ(f.Main().lblVersion.Caption(), "1.0");
  EXPECT_EQ(f.Main().lblLastScan.Caption(), "Never");
  EXPECT_EQ(f.Main().Caption(), "Quillonet by Quillonet Software");
  EXPECT_EQ(f.Main().Label22.Caption(), "Welcome to Quillonet");
  EXPECT_EQ(f.Main().fraHome.Caption(), "Quillonet Status");
  EXPECT_TRUE(f.Main().fraHome.Visible());
  EXPECT_FALSE(f.Main().fraScan.Visible());
}

TEST(Startup, DefinitionDateFromFile) {
  AppFixture f;
  f.WriteDataFile("date.dat", "11/30/2026 4:05:06 PM\r\n");
  f.Start();
  EXPECT_EQ(f.Main().lblDefVersion.Caption(), "11/30/2026 4:05:06 PM PST");
  EXPECT_EQ(f.Main().lblLastUpdate.Caption(),
            "Signatures Last Updated On 11/30/2026 4:05:06 PM PST");
}

TEST(Startup, AutomaticUpdateTimerWaitsUntilTheBoxWasSaved) {
  AppFixture f;
  f.Start();
  EXPECT_EQ(f.Main().chkAutomaticUpdate.Value(), 1);  // shown ticked on a first start
  EXPECT_FALSE(f.Main().timUpdate.IsEnabled());

  AppFixture g;
  SaveSetting(g.App(), "OptionAndSettings", "chkAutomaticUpdate", "1");
  g.Start();
  EXPECT_TRUE(g.Main().timUpdate.IsEnabled());
}

TEST(Startup, TimersFollowTheirSettingsAfterStart) {
  AppFixture f;
  SaveSetting(f.App(), "OptionAndSettings", "optMemorySheildOn", "False");
  SaveSetting(f.App(), "OptionAndSettings", "optMemorySheildOff", "True");
  f.Start();
  EXPECT_FALSE(f.Main().tmrMemoryInspected.IsEnabled());
  EXPECT_TRUE(f.Main().tmrCheckHomePage.IsEnabled());
  EXPECT_FALSE(f.Main().tmrScheduler.IsEnabled());
  EXPECT_FALSE(f.Main().tmrScroll.IsEnabled());
  EXPECT_EQ(f.Main().chkAutoProtect.Value(), 0);
  EXPECT_EQ(Setting(f, "OptionAndSettings", "STATUS"), "RUNNING");
}

TEST(Startup, CompanionEntriesAndHijackButton) {
  AppFixture f;
  auto& settings = *f.Platform().settings;
  settings.Save("Tarnwick2", "Quillonet Software", "Name", "Hijack Guard");
  settings.Save("Tarnwick2", "Quillonet Software", "File", "C:\\missing\\guard.exe");
  f.Start();
  EXPECT_TRUE(f.Main().cmdHijack.Visible());
  EXPECT_EQ(f.Main().cmdHijack.Caption(), "Hijack Guard");
  EXPECT_EQ(settings.Get("Quillonet2", "Quillonet Software", "Name", ""), "Quillonet");
  f.Main().cmdHijack.Click();
  auto boxes = f.Host().DialogsOf(DialogKind::MsgBox);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text,
            "Sorry, the following file no longer exists: \r\nC:\\missing\\guard.exe");
  EXPECT_TRUE(f.Started().empty());

  f.Prefix().WriteFile("C:\\guard\\guard.exe", "MZ");
  settings.Save("Tarnwick2", "Quillonet Software", "File", "C:\\guard\\guard.exe");
  f.Main().cmdHijack.Click();
  ASSERT_EQ(f.Started().size(), 1u);
  EXPECT_EQ(f.Started()[0], "\"C:\\guard\\guard.exe\"");
}

TEST(Shutdown, UnloadSavesColumnWidthsAndWindowState) {
  AppFixture f;
  f.Start();
  auto& results = f.Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  results.SetColumnWidth(1, 2345);
  results.SetColumnWidth(5, 999);
  f.Main().SetState(forms::WindowState::Maximized);
  f.Main().Unload();
  EXPECT_EQ(Setting(f, "Settings", "FoundCol21"), "2345");
  EXPECT_EQ(Setting(f, "Settings", "FoundCol22"), "1400");
  EXPECT_EQ(Setting(f, "Settings", "FoundCol25"), "999");
  EXPECT_EQ(Setting(f, "Settings", "Max"), "1");
  EXPECT_EQ(Setting(f, "OptionAndSettings", "STATUS"), "STOPPED");
  EXPECT_EQ(Setting(f, "OptionAndSettings", "RESTART"), "False");
  EXPECT_TRUE(f.App().Ended());
}

TEST(Startup, RestoredWindowsAndColumnWidthsComeBack) {
  AppFixture f;
  SaveSetting(f.App(), "Settings", "FoundCol23", "3000");
  SaveSetting(f.App(), "Settings", "Max", "1");
  f.Start();
  EXPECT_EQ(f.Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Column(3).width, 3000);
  EXPECT_EQ(f.Main().State(), forms::WindowState::Maximized);
}

TEST(Options, RunAtStartupRegistersWhatWineCanStartAndSaysWhenItCannot) {
  AppFixture f;
  f.Start();
  auto& reg = f.App().Registry();
  auto& box = f.Main().chkRunAtStartup;
  const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  const auto entry = [&] {
    return reg.QueryValue(platform::RootKey::CurrentUser, key, "Quillonet");
  };

  // In a prefix the entry starts this very program through Z: and names the prefix.
  box.UserToggle();
  ASSERT_TRUE(entry());
  const std::string prefix = std::filesystem::canonical(f.Prefix().Root()).string();
  const std::string self = std::filesystem::canonical("/proc/self/exe").string();
  EXPECT_EQ(entry()->data, "Z:" + text::ReplaceAll(self, "/", "\\") + " --prefix " + prefix);
  EXPECT_EQ(Setting(f, "OptionAndSettings", "chkRunAtStartup"), "1");
  // Cleared, it also takes away a machine-wide entry an earlier version made.
  reg.CreateKey(platform::RootKey::LocalMachine, key);
  reg.SetValue(platform::RootKey::LocalMachine, key, "Quillonet", platform::MakeSz("old"));
  box.UserToggle();
  EXPECT_FALSE(entry());
  EXPECT_FALSE(reg.QueryValue(platform::RootKey::LocalMachine, key, "Quillonet"));
  EXPECT_EQ(Setting(f, "OptionAndSettings", "chkRunAtStartup"), "0");
  EXPECT_TRUE(f.Host().DialogsOf(DialogKind::MsgBox).empty());

  // A program no drive can name (or that cannot run) is not promised a start.
  f.Platform().system = std::make_unique<platform::posix::PosixSystem>(
      f.Prefix().Root(), *f.Platform().files, f.ProgramFolder(), "/nonexistent/quillonet");
  box.UserToggle();
  EXPECT_FALSE(entry());
  EXPECT_EQ(box.Value(), 0);
  EXPECT_EQ(Setting(f, "OptionAndSettings", "chkRunAtStartup"), "0");
  const auto boxes = f.Host().DialogsOf(DialogKind::MsgBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Quillonet could not be set to run when Windows starts.");
}

TEST(Options, PairedOptionsStoreBothKeysAndSwitchTheirTimers) {
  AppFixture f;
  f.Start();
  auto& m = f.Main();
  m.optIEHomePageSheildOff.UserSelect();
  EXPECT_EQ(Setting(f, "OptionAndSettings", "optIEHomePageSheildOn"), "False");
  EXPECT_EQ(Setting(f, "OptionAndSettings", "optIEHomePageSheildOff"), "True");
  EXPECT_FALSE(m.tmrCheckHomePage.IsEnabled());
  EXPECT_FALSE(m.optAlwaysnotifybeforerestoring.Enabled());
  m.chkAutoProtect.UserToggle();
  EXPECT_FALSE(m.tmrMemoryInspected.IsEnabled());
  EXPECT_EQ(Setting(f, "OptionAndSettings", "optMemorySheildOn"), "False");
  m.optScanAllSelectedHardDrive.UserSelect();
  EXPECT_TRUE(m.lvwHardDrives.Visible());
  EXPECT_EQ(Setting(f, "OptionAndSettings", "optScanAllSelectedHardDrive"), "True");
  m.chkMakeLog.UserToggle();
  EXPECT_EQ(Setting(f, "OptionAndSettings", "chkMakeLog"), "0");
}

TEST(WindowEvents, RestoringStopsTheShieldButNotTheSchedulerUntilTimersAreApplied) {
  AppFixture f;
  SaveSetting(f.App(), "OptionAndSettings", "chkAutomaticScanYesOrNo", "1");
  f.Start();
  auto& m = f.Main();
  m.ApplyTimerState(true);
  ASSERT_TRUE(m.tmrScheduler.IsEnabled());
  m.MinimizeToTray();
  EXPECT_EQ(Setting(f, "Settings", "Minimized"), "Yes");
  EXPECT_FALSE(m.ShowInTaskbar());
  m.SetState(forms::WindowState::Normal);
  m.Show();
  EXPECT_TRUE(m.tmrScheduler.IsEnabled()) << "the scheduler follows its own setting";
  EXPECT_FALSE(m.tmrMemoryInspected.IsEnabled());
  EXPECT_TRUE(m.ShowInTaskbar());
  m.SetState(forms::WindowState::Maximized);
  EXPECT_FALSE(m.ShowInTaskbar());
  m.ApplyTimerState(true);
  EXPECT_TRUE(m.tmrScheduler.IsEnabled());
}

TEST(MachineSettings, EmptyNamesRaiseTheirErrors) {
  AppFixture f;
  auto& machine = f.App().MachineSettings();
  try {
    machine.Read("", "Settings", "FirstTime", "");
    FAIL() << "no error";
  } catch (const SettingsError& e) {
    EXPECT_STREQ(e.what(), "AppName may not be empty");
    EXPECT_EQ(e.Number(), MachineSettingsStore::kObjectError + 1000);
  }
  EXPECT_THROW(machine.Read("Quillonet", "", "x", ""), SettingsError);
  EXPECT_THROW(machine.Read("Quillonet", "Settings", "", ""), SettingsError);
  EXPECT_EQ(machine.Read("Quillonet", "Nothing", "x", "dflt"), "dflt");
}

}  // namespace
}  // namespace quill

namespace quill {
namespace {

TEST(Splash, OpensTheMainWindowOnTheSeventyFifthTick) {
  test::AppFixture f;
  auto& splash = f.App().Splash();
  splash.Show();
  EXPECT_EQ(f.App().brand.programName, "Quillonet");
  f.Host().Advance(2 * 74);
  EXPECT_FALSE(f.Main().Loaded());
  EXPECT_EQ(splash.Counter(), 148);
  f.Host().Advance(2);
  EXPECT_TRUE(f.Main().Loaded());
  EXPECT_TRUE(f.Main().Visible());
  EXPECT_FALSE(splash.Visible());
  EXPECT_FALSE(splash.Timer2.IsEnabled());
}

TEST(MachineSettings, WriteFailureAsksAbortRetryIgnoreAndIgnoreIsRemembered) {
  test::AppFixture f;
  // A hive that cannot be read completely is never rewritten, so every write fails.
  std::string hive = f.Prefix().Root() + "/system.reg";
  {
    FILE* out = std::fopen(hive.c_str(), "ab");
    ASSERT_NE(out, nullptr);
    std::fputs("[Broken\\Key\n\"v\"=hex(zz):garbage\n", out);
    std::fclose(out);
  }
  auto& machine = f.App().MachineSettings();
  f.Host().QueueMsgBox(forms::MsgBoxResult::Retry);
  f.Host().QueueMsgBox(forms::MsgBoxResult::Ignore);
  EXPECT_FALSE(machine.Write("Quillonet", "Settings", "FirstTime", "Yes"));
  auto boxes = f.Host().DialogsOf(test::DialogKind::MsgBox);
  ASSERT_EQ(boxes.size(), 2u);  // asked again after Retry
  EXPECT_EQ(boxes[0].title, "Permission Denied");
  EXPECT_EQ(boxes[0].buttons, forms::MsgBoxButtons::AbortRetryIgnore);
  EXPECT_EQ(boxes[0].text.rfind(
                "Quillonet requires read/write access to the system registry and hard drive", 0),
            0u);
  EXPECT_NE(boxes[0].text.find("\r\n\r\nIf you would like to prevent this error message"),
            std::string::npos);
  EXPECT_EQ(GetSetting(f.App(), "Settings", "IgnorePermissionDeniedError", "0"), "1");
  // Once ignored, the question is not asked again.
  EXPECT_FALSE(machine.Write("Quillonet", "Settings", "showHelp", "0"));
  EXPECT_EQ(f.Host().DialogsOf(test::DialogKind::MsgBox).size(), 2u);
}

}  // namespace
}  // namespace quill

namespace quill {
namespace {

TEST(Language, SwitchingLanguageKeepsTheLiveFigures) {
  test::AppFixture f({.withLanguageFile = true});
  f.WriteDataFile("FileDefinition.dat", "a\r\nb\r\nc\r\n");
  f.WriteDataFile("date.dat", "12/1/2026\r\n");
  f.Start();
  auto& m = f.Main();
  ASSERT_EQ(m.lblDefCount.Caption(), "3");
  m.lbltracesFound.SetCaption("7");
  const std::string englishStart = m.cmdScanNow.Caption();
  auto& chooser = f.App().Language();
  chooser.Show();
  int german = -1;
  for (int i = 0; i < chooser.Combo1.ListCount(); ++i)
    if (chooser.Combo1.List(i) == "Deutsch") german = i;
  ASSERT_GE(german, 0);
  chooser.Combo1.SetListIndex(german);
  EXPECT_NE(m.cmdScanNow.Caption(), englishStart);  // the captions follow the language
  EXPECT_EQ(m.lblDefCount.Caption(), "3");          // the figures stay
  EXPECT_EQ(m.lblDefVersion.Caption(), "12/1/2026 PST");
  EXPECT_EQ(m.lbltracesFound.Caption(), "7");
  EXPECT_EQ(m.lblLastScan.Caption(), "Nie");  // no scan yet: said in the new language
}

}  // namespace
}  // namespace quill
