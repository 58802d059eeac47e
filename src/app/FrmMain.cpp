#include "app/FrmMain.h"

#include <functional>
#include <iterator>
#include <vector>

#include "app/Application.h"
#include "app/Form8.h"
#include "app/MachineSettingsStore.h"
#include "app/ProtectionAlerts.h"
#include "app/Translation.h"
#include "app/clsTray.h"
#include "app/frmAbout.h"
#include "app/frmDelete.h"
#include "app/frmDownload.h"
#include "app/frmHidden.h"
#include "app/frmLanguage.h"
#include "app/frmMenuPopUp.h"
#include "app/frmPrefix.h"
#include "app/frmQuarantine.h"
#include "app/frmReport.h"
#include "app/frmSignatureUpdated.h"
#include "app/frmSplash.h"
#include "base/Text.h"
#include "core/Settings.h"
#include "core/UpdateServer.h"
#include "definitions/DefinitionSet.h"
#include "definitions/ExclusionList.h"
#include "definitions/SelfHostedSite.h"
#include "localization/MessageCatalog.h"
#include "program/ProgramStart.h"
#include "protection/Protection.h"

namespace quill {

FrmMain::FrmMain(Application& app)
    : Form(app.Host(), "FrmMain", "[ProgramName]"), app_(app), scanRun_(app, *this, scanView_) {
  for (const char* day : {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday",
                          "Sunday", "Daily", "Date & Time", "Never"})
    cmbDays.AddItem(day);
  // Design-time states.
  optScan[0].SetValue(true);  // Smart Scan
  cmdHijack.SetVisible(false);
  cmdStop.SetEnabled(false);
  cmdPause.SetEnabled(false);
  pbgMain.SetVisible(false);
  cmdRemove.SetVisible(false);
  shpStageMarker.SetVisible(false);
  for (auto* list :
       {&lvwFilesToBeDeleted, &lvwRegistryToBeDeleted, &lvwCookiesToDelete, &lvwFileNotFounds})
    list->SetVisible(false);
  pgbDeleteSpywaresFound.SetVisible(false);
  lblDeletingPercentageCompleted.SetVisible(false);
  lblDeletingCaption.SetVisible(false);
  lvwHardDrives.SetVisible(false);
  // "Scan Results" in the File menu has no action: it is shown, but cannot be chosen.
  mnuFileItem[1].SetEnabled(false);
  // Only a machine held in a Wine prefix has others to choose from.
  mnuSettingsItem[kWinePrefixItem].SetVisible(!app_.Platform().nativePrefix.empty());
  // The test menu is part of the menu bar only in a build for developers.
  mnuDebug.SetVisible(QUILL_DEVELOPER_MENU != 0);
  for (auto& item : mnuDebugItem) item->SetVisible(QUILL_DEVELOPER_MENU != 0);
  Wire();
}

frmDelete& FrmMain::DeleteFailed() {
  return app_.DeleteFailed();
}

// ---- Start-up -------------------------------------------------------------------------------

void FrmMain::Form_Load() {
  StartupSequence();
}

void FrmMain::StartupSequence() {
  auto& app = app_;
  const std::string& company = app.brand.companyName;
  const auto& id = app.Identity();
  const settings::Store companion(*app.Platform().settings, app.brand.companionSettingsApp);
  const settings::Store ours(*app.Platform().settings, id.productName + "2");

  // 1-2. Companion entries.
  std::string hijackName = settings::Read(companion, settings::CompanionName(company));
  if (!hijackName.empty()) {
    cmdHijack.SetCaption(hijackName);
    cmdHijack.SetVisible(true);
  }
  settings::Write(ours, settings::CompanionName(company), id.productName);
  settings::Write(ours, settings::CompanionFile(company),
                  id.programFolder + "\\" + id.exeName + ".exe");

  // 3. The data folder. We create it when missing: every later file operation needs it.
  OpenDataFolder(app);
  Loading = true;

  // 5. The message catalogue and the saved language.
  const bool firstRun =
      settings::ReadIfStored(app.Settings(), settings::Language).value_or("").empty();
  const std::string language = settings::Read(app.Settings(), settings::Language);
  LoadBuiltInTexts(app.Catalog());
  ChangeLanguage(app.Catalog(), *this, language);
  ApplyMessageTexts();

  // 6. First run: the language chooser, before the window can be used.
  if (firstRun && AsksFirstRunQuestions) {
    settings::Write(app.Settings(), settings::Language, "English");
    app.Language().Load();
    app.Language().Show(true);
  }

  // 7. A second copy ends at once, without touching the first.
  singleInstance_ = app.System().AcquireSingleInstance();
  if (!singleInstance_) {
    app.End();
    return;
  }

  PromoteStagedDefinitions(app);                           // 8
  app.Exclusions().LoadExclusions();                       // 9
  DefinitionCount = app.Definitions().CountDefinitions();  // 10
  RefreshHomePage();                                       // 11
  app.Exclusions().LoadExclusions();                       // 12

  // 13. Only the Home page, captioned with the product name.
  ShowPage(0);
  // The language's own words for it when it has them.
  const std::string homeCaption = app.Catalog().getCaption(Name() + "_" + fraHome.Name());
  fraHome.SetCaption(homeCaption.empty() ? app.brand.programName + " Status" : homeCaption);
  pgbDeleteSpywaresFound.SetVisible(false);
  lblDeletingPercentageCompleted.SetVisible(false);
  lblDeletingCaption.SetVisible(false);

  RunStartupSteps();
}

// 14. From here on every step runs with its errors ignored.
void FrmMain::RunStartupSteps() {
  auto& app = app_;
  if (!singleInstance_) {
    app.End();
    return;
  }
  RunStep("status", [&] { RecordRunning(app, true); });
  RunStep("hidden window", [&] { app.Hidden().Load(); });
  RunStep("captions", [&] {
    SetCaption(app.Msg("MSG_CAPTION"));
    cmdWebsite.SetCaption(app.Msg("MSG_WEBSITE"));
    shpCircle.SetVisible(false);
    SetShowInTaskbar(false);
  });
  RunStep("options", [&] {
    ApplyTimerState(false);
    LoadSchedule();
    FillDriveList();
    LoadOptions();
  });
  RunStep("start page", [&] {
    PicStartUp.SetVisible(true);
    PicOptions.SetVisible(false);
    PicResults.SetVisible(false);
    PicSweepNow.SetVisible(false);
    tmrScroll.Enable(false);
  });
  RunStep("timers", [&] {
    ApplyTimerState(true);
    tmrScroll.Enable(false);
    app.DeleteFailed().Load();
  });
  RunStep("welcome", [&] { Label22.SetCaption(app.Msg("MSG_CAPTION2")); });
  RunStep("help", [&] {
    if (settings::Read(app.Settings(), settings::ShowHelp)) {
      auto& help = app.HelpLauncher();
      help.Load();
      help.Show();
      GetHost().DoEvents();
      help.Unload();
      settings::Write(app.Settings(), settings::ShowHelp, false);
    }
  });
  RunStep("automatic update", [&] {
    // Only once the box has been saved ticked: the box shows ticked on a first start, but the
    // timer waits for the user's own choice.
    if (settings::ReadIfStored(app.Settings(), settings::AutomaticUpdate).value_or(false))
      timUpdate.Enable(true);
  });
  RunStep("tray", [&] {
    if (settings::Read(app.Settings(), settings::Minimized))
      MinimizeToTray();
    else if (app.brand.trayWhenRunAtStartup && chkRunAtStartup.Value() == 1)
      MinimizeToTray();
  });
  RunStep("first run", [&] {
    // Asked once per user. The answer is kept in the per-user store, which can always be
    // written; the machine-wide store cannot be while a wineserver holds the prefix's hives,
    // and the question would then come back at every start.
    if (AsksFirstRunQuestions && settings::Read(app.Settings(), settings::FirstTime).empty()) {
      settings::Write(app.Settings(), settings::FirstTime, "Yes");
      std::string text = app.Msg("MSG_THANK1") + "\r\n\r\n" + app.Msg("MSG_THANK2") + "\r\n\r\n" +
                         app.Msg("MSG_THANK3");
      if (GetHost().MsgBox(text, forms::MsgBoxButtons::YesNo, forms::MsgBoxIcon::None,
                           app.Msg("MSG_THANK4")) == forms::MsgBoxResult::Yes)
        cmdUpdate_Click();
    }
  });
  Loading = false;
}

void FrmMain::LoadOptions() {
  auto& app = app_;
  const settings::Store& store = app.Settings();
  const auto check = [&](const settings::Flag& flag) {
    return settings::Read(store, flag) ? 1 : 0;
  };
  settings::Write(store, settings::ShowUpdated, true);
  optIEHomePageSheildOn.SetValue(settings::Read(store, settings::HomePageShieldOn));
  chkHomePage.SetValue(optIEHomePageSheildOn.Value() ? 1 : 0);
  chkMakeLog.SetValue(check(settings::MakeLog));
  optIEHomePageSheildOff.SetValue(settings::Read(store, settings::HomePageShieldOff));
  optAlwaysnotifybeforerestoring.SetValue(settings::Read(store, settings::NotifyBeforeRestoring));
  optRestoredefaultwithoutnotification.SetValue(
      settings::Read(store, settings::RestoreWithoutNotification));
  optMemorySheildOn.SetValue(settings::Read(store, settings::MemoryShieldOn));
  chkAutoProtect.SetValue(optMemorySheildOn.Value() ? 1 : 0);
  optMemorySheildOff.SetValue(settings::Read(store, settings::MemoryShieldOff));
  optScanAllSelectedHardDrive.SetValue(settings::Read(store, settings::ScanAllSelectedDrives));
  // Every start begins in Quick Scan mode, whatever was stored.
  optScanOnlyKnownSoftwares.SetValue(true);
  // The edition that runs at startup ticks the box on its first run, unless the user's own
  // choice is stored.
  if (app.brand.runAtStartupOnFirstRun && !settings::Read(store, settings::RanOneTime)) {
    chkRunAtStartup.SetValue(
        settings::ReadIfStored(store, settings::RunAtStartup).value_or(true) ? 1 : 0);
    settings::Write(store, settings::RanOneTime, true);
  } else {
    chkRunAtStartup.SetValue(check(settings::RunAtStartup));
  }
  chkSweepMemory.SetValue(check(settings::SweepMemory));
  chkScanRegistry.SetValue(check(settings::ScanRegistry));
  chkScanCookies.SetValue(check(settings::ScanCookies));
  chkSendData.SetValue(check(settings::SendData));
  ShowLastUpdate();
  const bool scheduled = settings::Read(store, settings::AutomaticScan);
  chkAutomaticScanYesOrNo.SetValue(scheduled ? 1 : 0);
  for (forms::Control* c : std::initializer_list<forms::Control*>{
           &dtpScheduleDate, &dtpScheduleTime, &tmrScheduler, &cmbDays})
    c->SetEnabled(scheduled);
  chkAutomaticUpdate.SetValue(check(settings::AutomaticUpdate));
  for (int i = 0; i < lvwHardDrives.Count(); ++i)
    lvwHardDrives.SetChecked(i, settings::Read(store, settings::Drive(lvwHardDrives.Item(i).text)));
  auto& results = lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  for (int n = 1; n <= results.ColumnCount(); ++n)
    results.SetColumnWidth(n,
                           static_cast<int>(settings::Read(store, settings::FoundColumnWidth(n))));
  if (settings::Read(store, settings::Maximized)) SetState(forms::WindowState::Maximized);
  GetHost().SetMousePointer(forms::MousePointer::Default);
}

void FrmMain::RefreshHomePage() {
  auto& app = app_;
  lblDefCount.SetCaption(text::WithThousands(DefinitionCount));
  lblVersion.SetCaption(std::to_string(app.Identity().versionMajor) + "." +
                        std::to_string(app.Identity().versionMinor));
  lblDefVersion.SetCaption(app.Definitions().ReadDefinitionDate() + " PST");
  lblDefRemoved.SetCaption(std::to_string(settings::Read(app.Settings(), settings::RemovedTotal)));
  lblLastScan.SetCaption(ScanDateCaption(settings::LastScan));
  lblLastFullScan.SetCaption(ScanDateCaption(settings::LastFullScan));
}

std::string FrmMain::ScanDateCaption(const settings::Text& date) {
  // "Never" is what the user reads before the first scan: in the user's language.
  const std::string stored = settings::Read(app_.Settings(), date);
  return stored.empty() ? app_.Msg("MSG_NEVER") : stored;
}

void FrmMain::ApplyTimerState(bool on) {
  // Off holds the background timers while other work runs; on lets them go on in their own
  // rhythm (one that fell due meanwhile fires once), or starts afresh one that was off, as the
  // settings say. Restarting the countdowns here would keep a slower timer from ever firing.
  if (!on) {
    tmrCheckHomePage.Hold();
    tmrMemoryInspected.Hold();
    tmrScheduler.Hold();
    return;
  }
  const auto resume = [](forms::Timer& timer, bool wanted) {
    if (wanted && timer.Held())
      timer.Release();
    else
      timer.Enable(wanted);
  };
  resume(tmrScheduler, settings::Read(app_.Settings(), settings::AutomaticScan));
  resume(tmrCheckHomePage, settings::Read(app_.Settings(), settings::HomePageShieldOn));
  resume(tmrMemoryInspected, settings::Read(app_.Settings(), settings::MemoryShieldOn));
}

void FrmMain::MinimizeToTray() {
  SetState(forms::WindowState::Minimized);
  Hide();
  auto& tray = app_.Tray();
  tray.EnableRestoreEntry();
  tray.ShowIcon(*this);
  tray.ChangeToolTip(*this, app_.brand.programName);
  settings::Write(app_.Settings(), settings::Minimized, true);
}

void FrmMain::RestoreFromTray() {
  SetState(forms::WindowState::Normal);
  Show();
  // The state change came while the window was still hidden, so the resize handler did not
  // record it: store the state the window now has.
  settings::Write(app_.Settings(), settings::Minimized, false);
}

void FrmMain::LoadEveryWindow() {
  // Every window a user can meet, also those opened only on request, as the shipped English
  // group has them.
  for (forms::Form* form : std::vector<forms::Form*>{
           &app_.Language(), &app_.Report(), &app_.About(), &app_.DeleteFailed(), &app_.Download(),
           &app_.HomePageAlert(), &app_.MenuPopUp(), &app_.SignatureUpdated(), &app_.ProcessAlert(),
           &app_.QuarantineWindow()})
    form->Load();
}

std::string FrmMain::LanguageTemplate() {
  LoadEveryWindow();
  std::vector<forms::Form*> loaded;
  // The splash is gone before anyone could read a translation of it.
  for (forms::Form* form : app_.Windows())
    if (form->Loaded() && form != &app_.Splash()) loaded.push_back(form);
  return LocalizationFileText(app_.Catalog(), loaded);
}

void FrmMain::ExitFromTray() {
  LeaveTray();
  Unload();
}

void FrmMain::LeaveTray() {
  RecordRunning(app_, false);
  app_.Tray().RemoveIcon(*this);
}

void FrmMain::cmdHijack_Click() {
  StartCompanionProgram();
}

void FrmMain::StartCompanionProgram() {
  const settings::Store companion(*app_.Platform().settings, app_.brand.companionSettingsApp);
  std::string file = settings::Read(companion, settings::CompanionFile(app_.brand.companyName));
  auto attrs = file.empty() ? std::nullopt : app_.Files().Attributes(file);
  if (attrs && !(*attrs & platform::kAttrDirectory)) {
    app_.Shell().Execute("\"" + file + "\"", platform::ShowStyle::NormalFocus);
    return;
  }
  GetHost().MsgBox("Sorry, the following file no longer exists: \r\n" + file,
                   forms::MsgBoxButtons::OkOnly, forms::MsgBoxIcon::None, app_.brand.programName);
}

void FrmMain::cmdWebsite_Click() {
  OpenWebsite();
}

void FrmMain::OpenWebsite() {
  std::string site = app_.brand.website;
  if (!text::StartsWithNoCase(site, "http")) site = "http://" + site;
  app_.Shell().OpenDocument(site, platform::ShowStyle::NormalFocus);
}

void FrmMain::ShowPage(int page) {
  page_ = page;
  fraHome.SetVisible(page == 0);
  fraScan.SetVisible(page == 1);
  frmResults.SetVisible(page == 2);
  fraOptions.SetVisible(page == 3);
}

void FrmMain::cmdStatus_Click() {
  ShowHomePage();
}

void FrmMain::ShowHomePage() {
  RefreshHomePage();
  ShowPage(0);
}

void FrmMain::cmdSettings_Click() {
  ShowPage(3);
}

void FrmMain::TabStrip1_Click() {}

void FrmMain::ApplyLanguage(const std::string& language) {
  std::vector<forms::Control*> figures = {&lblDefCount,
                                          &lblVersion,
                                          &lblDefVersion,
                                          &lblDefRemoved,
                                          &lblLastScan,
                                          &lblLastFullScan,
                                          &lblStatus[0],
                                          &lblStatus[1],
                                          &lblPercentageCompleted,
                                          &lblMemoryInspected,
                                          &lblRegistryInspected,
                                          &lblFilesFolderInspected,
                                          &lblTotalNoOfRunningItems,
                                          &lblSoftwareFound,
                                          &lbltracesFound,
                                          &lblRemovePicSoftwareFound,
                                          &lblDeletingPercentageCompleted,
                                          &lblDeletingCaption,
                                          &fraHome,
                                          &cmdHijack};
  std::vector<std::string> kept;
  for (auto* c : figures) kept.push_back(c->Caption());
  const std::vector<std::string> types = ResultTypesInEnglish();
  ChangeLanguage(app_.Catalog(), *this, language);
  for (size_t i = 0; i < figures.size(); ++i) figures[i]->SetCaption(kept[i]);
  // A date not yet stored reads "Never" in the new language; a stored one stays as shown.
  for (const auto& [label, date] : {std::pair{&lblLastScan, &settings::LastScan},
                                    std::pair{&lblLastFullScan, &settings::LastFullScan}})
    if (settings::Read(app_.Settings(), *date).empty()) label->SetCaption(app_.Msg("MSG_NEVER"));
  ShowLastUpdate();
  ApplyMessageTexts();
  RefillCategories(types);
  // The quarantine window stays loaded while hidden: it would show the old language when
  // it comes back.
  if (auto* quarantine = app_.FindWindow<frmQuarantine>()) quarantine->ApplyLanguage();
}

void FrmMain::ShowLastUpdate() {
  lblLastUpdate.SetCaption(app_.Msg("MSG_LAST_UPDATED") + " " +
                           app_.Definitions().ReadDefinitionDate() + " PST");
}

void FrmMain::ApplyMessageTexts() {
  const char* days[] = {"MSG_DAY_MONDAY",   "MSG_DAY_TUESDAY", "MSG_DAY_WEDNESDAY",
                        "MSG_DAY_THURSDAY", "MSG_DAY_FRIDAY",  "MSG_DAY_SATURDAY",
                        "MSG_DAY_SUNDAY",   "MSG_DAY_DAILY",   "MSG_DAY_DATE_TIME",
                        "MSG_NEVER"};
  for (int i = 0; i < cmbDays.ListCount() && i < static_cast<int>(std::size(days)); ++i) {
    const std::string text = app_.Msg(days[i]);
    if (!text.empty()) cmbDays.SetList(i, text);
  }
  const std::string none = app_.Msg("MSG_NO_DATE");
  if (none.empty()) return;
  dtpScheduleDate.SetNoneText(none);
  dtpScheduleTime.SetNoneText(none);
}

void FrmMain::tmrScroll_Timer() {
  GetHost().DoEvents();
}

// ---- Window events ------------------------------------------------------------------------

void FrmMain::Form_Resize() {
  FollowWindowState();
}

void FrmMain::FollowWindowState() {
  if (State() == forms::WindowState::Normal) {
    tmrScroll.Enable(true);
    // The scheduler follows its own setting, not the window's state.
    tmrMemoryInspected.Enable(false);
    SetShowInTaskbar(true);
    if (Visible()) settings::Write(app_.Settings(), settings::Minimized, false);
    return;
  }
  SetShowInTaskbar(false);
}

bool FrmMain::Form_QueryUnload() {
  return HoldClose();
}

bool FrmMain::HoldClose() {
  // Nothing holds the window open; before it closes, the program stops counting as running.
  LeaveTray();
  return false;
}

void FrmMain::Form_Unload() {
  EndProgram();
}

void FrmMain::EndProgram() {
  auto& results = lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  for (int n = 1; n <= results.ColumnCount(); ++n)
    settings::Write(app_.Settings(), settings::FoundColumnWidth(n), results.Column(n).width);
  settings::Write(app_.Settings(), settings::Maximized, State() == forms::WindowState::Maximized);
  SetState(forms::WindowState::Minimized);
  Hide();
  for (forms::Form* f : app_.Windows())
    if (f != this && f->Loaded()) f->Unload();
  app_.End();
}

void FrmMain::Form_MouseMove(int x, int /*y*/) {
  TrackMouse(x);
}

void FrmMain::TrackMouse(int x) {
  auto screen = GetHost().Screen();
  int code = screen.twipsPerPixelX ? x / screen.twipsPerPixelX : 0;
  auto& tray = app_.Tray();
  if (code == 513 || code == 516) {
    tray.ShowMenu();
  } else if (code == 515 || code == 518) {
    RestoreFromTray();
    tray.HideMenu();
  }
  // Pointer feedback for the skinned scan controls.
  for (forms::SkinLabel* l : {&lblStart, &lblPause, &lblStop}) {
    auto font = l->Font();
    font.italic = false;
    l->SetFont(font);
  }
  GetHost().SetMousePointer(ScanInProgress() ? forms::MousePointer::Hourglass
                                             : forms::MousePointer::Default);
}

// ---- Menu bar ------------------------------------------------------------------------------

void FrmMain::MenuClick(const std::string& menu, int index) {
  if (menu == "File") {
    switch (index) {
      case 0:
        cmdScan_Click();
        break;
      case 1:
        break;  // "Scan Results" has no action
      case 2:
        cmdLog_Click();
        break;
      case 3:
        cmdUpdate_Click();
        break;
      case 4:
        MinimizeToTray();
        break;
      case 6:
        Unload();
        break;
      default:
        break;
    }
  } else if (menu == "Settings" && index == kWinePrefixItem) {
    app_.PrefixWindow().Show(true);
  } else if (menu == "Settings") {
    ShowPage(3);
    TabStrip1.SelectTab(index + 1);
  } else if (menu == "Quarantine") {
    if (index == 0)
      ViewQuarantine();
    else
      ViewExclusions();
  } else if (menu == "Languages") {
    app_.Language().Show(true);
  } else if (menu == "Help") {
    app_.HelpLauncher().Load();
    app_.HelpLauncher().Show();
    GetHost().DoEvents();
    app_.HelpLauncher().Unload();
  } else if (menu == "About") {
    app_.About().Show(true);
  } else if (menu == "Debug") {
    // The test menu: the two shield alerts and the definitions notice, shown on demand.
    forms::Form* alert = nullptr;
    if (index == 0) alert = &app_.HomePageAlert();
    if (index == 2) alert = &app_.ProcessAlert();
    if (!alert) {
      app_.Tray().ShowDebugWindow(index);
      return;
    }
    alert->Load();
    alert->Show();
  }
}

}  // namespace quill
