#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainScanView.h"
#include "app/TrayMainWindow.h"
#include "core/Settings.h"
#include "definitions/ExclusionList.h"
#include "definitions/LiveUpdate.h"
#include "forms/Control.h"
#include "forms/Form.h"
#include "forms/ListView.h"
#include "forms/Timer.h"
#include "removal/RemovalRun.h"
#include "removal/RemovalWindow.h"
#include "results/ItemKind.h"
#include "scan/ScanRun.h"
#include "scan/ScanWindow.h"

namespace quill {

class Application;
class frmDelete;
class Protection;
class ProtectionPort;
class ShieldAlerts;

/// The main window: Home, Scan, Results and Options pages, the result lists and the hidden
/// work lists that hand over from scanning to removal, and the background timers.
///
/// The window's handlers live here in app/, one file per page or command group; the work
/// they start belongs to the subsystems (scanners in scan/, removal in removal/, the report
/// in reports/, the shields and the scheduler in protection/), which see the window only
/// through the narrow interfaces they declare (ScanWindow, RemovalWindow, ProtectionPort); the
/// tray menu sees it as a TrayMainWindow.
class FrmMain : public forms::Form, public TrayMainWindow, public ScanWindow, public RemovalWindow {
 public:
  explicit FrmMain(Application& app);
  ~FrmMain() override;

  Application& App() { return app_; }

  // ---- Navigation -----------------------------------------------------------------------
  forms::CommandButton cmdStatus{*this, "cmdStatus", "Status"};
  forms::CommandButton cmdScan{*this, "cmdScan", "Scan"};
  forms::CommandButton cmdResults{*this, "cmdResults", "Results/Removal"};
  forms::CommandButton cmdSettings{*this, "cmdSettings", "Options"};
  forms::CommandButton cmdUpdate{*this, "cmdUpdate", "Update Now"};
  forms::CommandButton cmdLog{*this, "cmdLog", "Log File"};
  forms::CommandButton Command5{*this, "Command5", "Minimize"};
  forms::CommandButton cmdWebsite{*this, "cmdWebsite", "Visit [Website]"};
  forms::CommandButton cmdHijack{*this, "cmdHijack", ""};
  forms::Label lblResult{*this, "lblResult", "Result"};
  forms::Label lblOptions{*this, "lblOptions", "Options"};
  forms::Shape shpCircle{*this, "shpCircle"};

  // ---- Home page ------------------------------------------------------------------------
  forms::Frame fraHome{*this, "fraHome", "Status"};
  forms::PictureBox PicStartUp{*this, "PicStartUp"};
  forms::Label Label22{*this, "Label22", "Welcome"};
  forms::Label Label1{*this, "Label1", "Definitions:"};
  forms::Label lblDefCount{*this, "lblDefCount", "0"};
  forms::Label Label2{*this, "Label2", "Program version:"};
  forms::Label lblVersion{*this, "lblVersion", ""};
  forms::Label Label3{*this, "Label3", "Definition date:"};
  forms::Label lblDefVersion{*this, "lblDefVersion", ""};
  forms::Label Label4{*this, "Label4", "Items removed:"};
  forms::Label lblDefRemoved{*this, "lblDefRemoved", "0"};
  forms::Label Label5{*this, "Label5", "Last scan:"};
  forms::Label lblLastScan{*this, "lblLastScan", "Never"};
  forms::Label Label6{*this, "Label6", "Last complete scan:"};
  forms::Label lblLastFullScan{*this, "lblLastFullScan", "Never"};
  forms::CommandButton Command1{*this, "Command1", "Scan Now"};

  // ---- Scan page ------------------------------------------------------------------------
  forms::Frame fraScan{*this, "fraScan", "Scan"};
  forms::PictureBox PicSweepNow{*this, "PicSweepNow"};
  forms::ControlArray<forms::OptionButton> optScan{
      *this,
      "optScan",
      {"Smart Scan", "Full System Scan", "File Scan", "Folder Scan"},
      std::string("ScanMode")};
  forms::CommandButton Command3{*this, "Command3", "Smart Scan"};
  forms::CommandButton cmdMainScan1{*this, "cmdMainScan1", "Full System Scan"};
  forms::CommandButton Command6{*this, "Command6", "File Scan"};
  forms::CommandButton Command7{*this, "Command7", "Directory Scan"};
  forms::CommandButton cmdScanNow{*this, "cmdScanNow", "Start"};
  forms::CommandButton cmdPause{*this, "cmdPause", "Pause"};
  forms::CommandButton cmdStop{*this, "cmdStop", "Stop"};
  forms::SkinLabel lblStart{*this, "lblStart", "Start"};
  forms::SkinLabel lblPause{*this, "lblPause", "Pause"};
  forms::SkinLabel lblStop{*this, "lblStop", "Stop"};
  forms::ControlArray<forms::Label> lblStatus{*this, "lblStatus", {"", ""}};
  forms::Label lblPercentageCompleted{*this, "lblPercentageCompleted", ""};
  forms::Shape shpStageMarker{*this, "shpStageMarker"};
  forms::Label Label7{*this, "Label7", "Section Progress:"};
  forms::ProgressBar pb1{*this, "pb1"};
  forms::Label Label8{*this, "Label8", "Overall Progress:"};
  forms::ProgressBar pb2{*this, "pb2"};
  forms::ProgressBar pbgMain{*this, "pbgMain"};
  forms::Label Label9{*this, "Label9", "Memory:"};
  forms::Label lblMemoryInspected{*this, "lblMemoryInspected", "0"};
  forms::Label Label10{*this, "Label10", "Registry:"};
  forms::Label lblRegistryInspected{*this, "lblRegistryInspected", "0"};
  forms::Label Label11{*this, "Label11", "Files:"};
  forms::Label lblFilesFolderInspected{*this, "lblFilesFolderInspected", "0"};
  forms::Label Label12{*this, "Label12", "Running programs:"};
  forms::Label lblTotalNoOfRunningItems{*this, "lblTotalNoOfRunningItems", "0"};
  forms::Label Label13{*this, "Label13", "Threats found:"};
  forms::Label lblSoftwareFound{*this, "lblSoftwareFound", "0"};
  forms::ListView lvwSpywareFound{*this, "lvwSpywareFound", {"Name", "Details"}};
  forms::CommandButton cmdRemove{*this, "cmdRemove", "Continue to Overview"};

  // ---- Results page ---------------------------------------------------------------------
  forms::Frame frmResults{*this, "frmResults", "Results"};
  forms::PictureBox PicResults{*this, "PicResults"};
  forms::Label Label14{*this, "Label14", "Traces found :"};
  forms::Label lbltracesFound{*this, "lbltracesFound", "0"};
  forms::Label lblRemovePicSoftwareFound{*this, "lblRemovePicSoftwareFound", "0"};
  forms::ListView lvwPicRemoveListOfSpywareFoundAndToBeRemoved{
      *this,
      "lvwPicRemoveListOfSpywareFoundAndToBeRemoved",
      {"File", "Location", "Type", "Risk", "Details"},
      true};
  forms::Label Label15{*this, "Label15",
                       "You may also double-click any item to browse its containing folder"};
  forms::CommandButton cmdSelectAll{*this, "cmdSelectAll", "Select All"};
  forms::CommandButton cmdBrowse{*this, "cmdBrowse", "Browse"};
  forms::CommandButton cmdExclude{*this, "cmdExclude", "Exclude"};
  forms::CommandButton cmdFalsePos{*this, "cmdFalsePos", "False positive"};
  forms::CommandButton Command4{*this, "Command4", "Repair Now"};
  forms::SkinLabel lblRemove{*this, "lblRemove", "Remove"};
  forms::SkinLabel lblViewLogFile{*this, "lblViewLogFile", "Show Report"};
  forms::Label Label16{*this, "Label16", "Submit a file name for analysis:"};
  forms::TextBox txtFilename{*this, "txtFilename"};
  forms::CommandButton cmdSubmit{*this, "cmdSubmit", "Submit"};
  forms::Label Label26{*this, "Label26", "Results:"};
  forms::ProgressBar pgbDeleteSpywaresFound{*this, "pgbDeleteSpywaresFound"};
  forms::Label lblDeletingPercentageCompleted{*this, "lblDeletingPercentageCompleted", ""};
  forms::Label lblDeletingCaption{*this, "lblDeletingCaption", ""};

  // Hidden work lists: the hand-over from scanning to removal.
  forms::ListView lvwFilesToBeDeleted{*this, "lvwFilesToBeDeleted", {"File", "Link"}, true};
  forms::ListView lvwRegistryToBeDeleted{
      *this, "lvwRegistryToBeDeleted", {"Main Key", "KeyValue", "Value", "SpywareName"}, true};
  forms::ListView lvwCookiesToDelete{
      *this, "lvwCookiesToDelete", {"Cookie Name", "CookieLocation"}, true};
  forms::ListView lvwFileNotFounds{*this, "lvwFileNotFounds", {"File"}};

  // ---- Options page ---------------------------------------------------------------------
  forms::Frame fraOptions{*this, "fraOptions", "Options"};
  forms::PictureBox PicOptions{*this, "PicOptions"};
  forms::TabStrip TabStrip1{
      *this, "TabStrip1", {"Scan Options", "Proactive Protection", "Schedule", "Auto Update"}};
  // Scan options
  forms::Frame Frame1{*this, "Frame1", "Scan Options"};
  forms::CheckBox chkSweepMemory{*this, "chkSweepMemory", "Scan Proccesses and Files"};
  forms::CheckBox chkScanRegistry{*this, "chkScanRegistry", "Scan Windows Registry"};
  forms::CheckBox chkScanCookies{*this, "chkScanCookies", "Scan Internet Cookies"};
  forms::CheckBox chkMakeLog{*this, "chkMakeLog", "Save scan results to log"};
  forms::CheckBox chkSendData{*this, "chkSendData",
                              "Send anonymous data to help identify unknown spyware"};
  forms::CheckBox chkRunAtStartup{*this, "chkRunAtStartup",
                                  "Run [ProgramName] when Windows starts"};
  forms::Frame Frame2{*this, "Frame2", "Scan extent"};
  forms::OptionButton optScanOnlyKnownSoftwares{
      *this, "optScanOnlyKnownSoftwares", "Quick Scan", {}, "ScanExtent"};
  forms::OptionButton optScanAllSelectedHardDrive{
      *this, "optScanAllSelectedHardDrive", "Complete System Scan", {}, "ScanExtent"};
  forms::ListView lvwHardDrives{*this, "lvwHardDrives", {"Drive"}, true};
  // Proactive protection
  forms::Frame Frame3{*this, "Frame3", "Home Page Shield"};
  forms::CheckBox chkHomePage{*this, "chkHomePage", "Protect my browser home page"};
  forms::OptionButton optIEHomePageSheildOn{
      *this, "optIEHomePageSheildOn", "Enabled", {}, "HomePageShield"};
  forms::OptionButton optIEHomePageSheildOff{
      *this, "optIEHomePageSheildOff", "Disabled", {}, "HomePageShield"};
  forms::OptionButton optAlwaysnotifybeforerestoring{*this,
                                                     "optAlwaysnotifybeforerestoring",
                                                     "Ask me what I would like to do",
                                                     {},
                                                     "HomePageReaction"};
  forms::OptionButton optRestoredefaultwithoutnotification{*this,
                                                           "optRestoredefaultwithoutnotification",
                                                           "Silently restore my original home page",
                                                           {},
                                                           "HomePageReaction"};
  forms::Frame Frame4{*this, "Frame4", "Process Shield"};
  forms::CheckBox chkAutoProtect{*this, "chkAutoProtect", "Watch running programs"};
  forms::OptionButton optMemorySheildOn{*this, "optMemorySheildOn", "Enabled", {}, "MemoryShield"};
  forms::OptionButton optMemorySheildOff{
      *this, "optMemorySheildOff", "Disabled", {}, "MemoryShield"};
  // Schedule
  forms::Frame Frame5{*this, "Frame5", "Schedule"};
  forms::CheckBox chkAutomaticScanYesOrNo{*this, "chkAutomaticScanYesOrNo",
                                          "Enable Scheduled Scans"};
  forms::Label Label17{*this, "Label17", "Scan on:"};
  forms::ComboBox cmbDays{*this, "cmbDays"};
  forms::Label Label18{*this, "Label18", "Date:"};
  forms::DTPicker dtpScheduleDate{*this, "dtpScheduleDate", "dd/MM/yyyy"};
  forms::Label Label19{*this, "Label19", "Time:"};
  forms::DTPicker dtpScheduleTime{*this, "dtpScheduleTime", "hh:mm:ss"};
  forms::CheckBox chkAutoDel{*this, "chkAutoDel",
                             "Delete spyware automatically after scheduled scan"};
  forms::CommandButton CmdProceed{*this, "CmdProceed", "Apply"};
  forms::CommandButton cmdDefaultSetting{*this, "cmdDefaultSetting", "Reset"};
  // Auto update
  forms::Frame Frame6{*this, "Frame6", "Live Update"};
  forms::CheckBox chkAutomaticUpdate{*this, "chkAutomaticUpdate",
                                     "Enable automatic Live update (recommended)"};
  forms::Label lblLastUpdate{*this, "lblLastUpdate", ""};
  forms::CommandButton cmdLiveUpdate{*this, "cmdLiveUpdate", "Run Live Update Now"};

  // ---- Menu bar -------------------------------------------------------------------------
  forms::Menu mnuFile{*this, "mnuFile", "File"};
  forms::ControlArray<forms::Menu> mnuFileItem{
      *this,
      "mnuFileItem",
      {"Scan Now", "Scan Results", "View Log", "Run Live Update", "Minimize to Tray", "-", "Exit"},
      std::string("mnuFile")};
  forms::Menu mnuSettings{*this, "mnuSettings", "Settings"};
  /// The Settings menu's last item chooses the Wine prefix; the others open the options' tabs.
  static constexpr int kWinePrefixItem = 4;
  forms::ControlArray<forms::Menu> mnuSettingsItem{
      *this,
      "mnuSettingsItem",
      {"Scan Options", "Proactive Protection", "Schedule", "Auto Update", "Wine Prefix..."},
      std::string("mnuSettings")};
  forms::Menu mnuQuarantine{*this, "mnuQuarantine", "Quarantine"};
  forms::ControlArray<forms::Menu> mnuQuarantineItem{*this,
                                                     "mnuQuarantineItem",
                                                     {"View Quarantine", "View Exclusions"},
                                                     std::string("mnuQuarantine")};
  forms::Menu mnuLanguages{*this, "mnuLanguages", "Languages"};
  forms::ControlArray<forms::Menu> mnuLanguagesItem{
      *this, "mnuLanguagesItem", {"Change Language"}, std::string("mnuLanguages")};
  forms::Menu mnuHelp{*this, "mnuHelp", "Help"};
  forms::ControlArray<forms::Menu> mnuHelpItem{
      *this, "mnuHelpItem", {"View Help"}, std::string("mnuHelp")};
  forms::Menu mnuAbout{*this, "mnuAbout", "About"};
  forms::ControlArray<forms::Menu> mnuAboutItem{
      *this, "mnuAboutItem", {"About this software"}, std::string("mnuAbout")};
  forms::Menu mnuDebug{*this, "mnuDebug", "Debug"};
  forms::ControlArray<forms::Menu> mnuDebugItem{
      *this,
      "mnuDebugItem",
      {"Show Homepage Changed", "Show SignatureUpdated", "Show SpywareFound"},
      std::string("mnuDebug")};

  // ---- Timers ---------------------------------------------------------------------------
  forms::Timer tmrCheckHomePage{*this, "tmrCheckHomePage", 5000, true};
  forms::Timer tmrMemoryInspected{*this, "tmrMemoryInspected", 2000, true};
  // Once a second is enough: the scheduler fires for a moment that passed between two checks.
  forms::Timer tmrScheduler{*this, "tmrScheduler", 1000, true};
  forms::Timer timUpdate{*this, "timUpdate", 1000, false};
  forms::Timer tmrScroll{*this, "tmrScroll", 200, true};

  // ---- Run state ------------------------------------------------------------------------
  /// True from the start of the window's load until its last step.
  bool Loading = false;
  /// False for a load no one watches (the language export): a first run then asks neither
  /// for the language nor about Live Update, and stores no answer.
  bool AsksFirstRunQuestions = true;
  /// Total definition lines (Home page figure).
  long long DefinitionCount = 0;
  /// Idle ticks of the automatic update.
  int UpdateIdleTicks = 0;

  /// The scan run of this window's scan page (the command line runs its scans here too).
  ScanRun& Scanner() { return scanRun_; }
  bool ScanInProgress() const override { return scanRun_.Running(); }
  /// A removal is in progress exactly while the Remove label is disabled.
  bool RemovalInProgress() const { return !lblRemove.Enabled(); }

  // ---- Start-up, settings, window events (app/) -------------------------------------------
  void Form_Load();
  void StartupSequence();
  void LoadOptions();
  /// Home page figures: definition count, version, date, removed total, last scans.
  void RefreshHomePage();
  /// A stored scan date as the Home page shows it.
  std::string ScanDateCaption(const settings::Text& date);
  void ApplyTimerState(bool on);
  void MinimizeToTray();
  // The tray menu's view of this window.
  bool ExitAllowed() const override { return lblResult.Enabled() || lblOptions.Enabled(); }
  bool WindowShown() const override { return Visible(); }
  /// Normal state, shown, and "Minimized" = "No": the next start opens the window too.
  void RestoreFromTray() override;
  void ExitFromTray() override;
  /// A fresh English language file: every window that has captions is loaded first (the
  /// delete-failed list, the download window, both alerts, the tray menu, the notice).
  std::string LanguageTemplate();
  /// Loads every window that has captions, also those opened only on request.
  void LoadEveryWindow();
  void Command5_Click() { MinimizeToTray(); }
  void cmdHijack_Click();
  void cmdWebsite_Click();
  void cmdStatus_Click();
  void cmdSettings_Click();
  /// Shows one page (0 Home, 1 Scan, 2 Results, 3 Options) and hides the others.
  void ShowPage(int page);
  int CurrentPage() const { return page_; }
  void Form_Resize();
  bool Form_QueryUnload();
  void Form_Unload();
  void Form_MouseMove(int x, int y);
  void tmrScroll_Timer();
  /// Writes or deletes the start entry; false when the entry could not be written.
  bool WriteRunValue(bool run);
  // Option handlers
  void chkSweepMemory_Click();
  void chkScanRegistry_Click();
  void chkScanCookies_Click();
  void chkMakeLog_Click();
  void chkRunAtStartup_Click();
  /// Stores the box and writes or deletes the start entry; a ticked box whose entry cannot
  /// be written is cleared, with a message.
  void ApplyRunAtStartup();
  void chkAutomaticUpdate_Click();
  void chkHomePage_Click();
  void chkAutoProtect_Click();
  void optIEHomePageSheildOn_Click();
  void optIEHomePageSheildOff_Click();
  void optAlwaysnotifybeforerestoring_Click();
  void optRestoredefaultwithoutnotification_Click();
  void optMemorySheildOn_Click();
  void optMemorySheildOff_Click();
  void optScanAllSelectedHardDrive_Click();
  void optScanOnlyKnownSoftwares_Click();
  void TabStrip1_Click();
  /// Applies a language chosen while the program runs. The labels that show live figures
  /// (counts, dates, progress) keep their values: the language file only knows the texts
  /// they had when it was written.
  void ApplyLanguage(const std::string& language);
  /// The texts of the window that come from messages rather than control captions: the
  /// schedule's day list and the empty date and time fields.
  void ApplyMessageTexts();
  /// "Signatures Last Updated On" and the date of the definitions, in the current language.
  void ShowLastUpdate();
  void MenuClick(const std::string& menu, int index);

  // ---- What the scanners and the removal see (ScanWindow, RemovalWindow) -----------------
  forms::ListView& ResultsList() { return lvwPicRemoveListOfSpywareFoundAndToBeRemoved; }
  ScanState& Scan() override { return scanRun_.State(); }
  void ShowRunningCount(int count) override {
    lblTotalNoOfRunningItems.SetCaption(std::to_string(count));
  }
  FindingList& Findings() override { return findings_; }
  void RemovalStarted() override;
  void ShowRemovalProgress() override;
  void ShowRemovalPercentage(const std::string& line) override;
  void ShowRemovalItem(const std::string& item) override;
  void SetRemovalBarEnd(int64_t end) override;
  void SetRemovalBar(int64_t value) override;
  bool AgreesToLargeRemoval(const std::string& question) override;
  void ShowRemovalRefused(const std::string& why) override;
  frmDelete& DeleteFailed();

  // ---- Results list (FrmMainResults.cpp) --------------------------------------------------
  /// Writes each row's risk and details from the category table, and its type, risk and
  /// details in the current language.
  void FillCategories();
  /// A type as the category table names it, from the table's name or the current language's
  /// words for it (any other text as it is).
  std::string EnglishType(const std::string& shown);
  /// A type of the table in the current language's words (any other text as it is).
  std::string TypeWords(const std::string& type);
  /// The rows' types as the category table names them, read back from the current
  /// language's words: a language switch writes them again in the new language.
  std::vector<std::string> ResultTypesInEnglish();
  /// Writes the types back (as ResultTypesInEnglish gave them) and fills the rows whose
  /// categories were filled before, in the current language.
  void RefillCategories(const std::vector<std::string>& englishTypes);
  bool EnhListView_SortColumns(forms::ListView& list, int column, bool showErrors);
  void lvwPicRemoveListOfSpywareFoundAndToBeRemoved_ItemCheck(int row);
  void PropagateCheck(int row);
  void lvwPicRemoveListOfSpywareFoundAndToBeRemoved_DblClick(int row);
  void cmdSelectAll_Click();
  void cmdBrowse_Click();
  /// Opens the folder of every ticked row, asking once before the sixth.
  void BrowseTickedRows();
  /// The double-click action for one results row; returns whether a window was opened (never
  /// for a row that is not in the list).
  bool BrowseRow(int row, bool minimized);
  /// Writes a new finding to the lists that show it: the hidden list of the pending findings
  /// of its kind, the scan-progress list and the results list (each row tagged with it).
  void ShowFinding(int index);
  void ShowPending(int index);
  /// Fills the hidden lists again from the pending findings, ticked as they are.
  void ShowPendingFindings();
  /// The findings the results list shows, by their index, in its order.
  std::vector<int> ShownFindings() const;
  /// Records what became of the findings of the results rows that pred picks.
  void SetShownState(const std::function<bool(const forms::ListItem&)>& pred, FindingState state);
  /// Adds n to the number shown by lbltracesFound.
  void BumpTracesLabel(int n = 1);

  // ---- Scan driver (FrmMainScan.cpp)
  // ------------------------------------------------------------------
  void cmdScanNow_Click();
  void lblStart_Click();
  void cmdScan_Click();
  void Command1_Click();
  void Command3_Click();
  void cmdMainScan1_Click();
  void Command6_Click();
  void Command7_Click();
  void cmdPause_Click();
  void lblPause_Click();
  void cmdStop_Click();
  void lblStop_Click();
  void FillDriveList();
  void lvwHardDrives_ItemCheck(int row);
  void ReportProgress(const std::string& text, int stage, int overall) override;
  void RefreshCounters();
  /// The selected scan mode of optScan (Smart when none is selected).
  ScanMode SelectedScanMode() const;
  /// Selects a scan mode as the user would.
  void SelectScanMode(ScanMode mode) { optScan[static_cast<int>(mode)].SetValue(true); }

  // ---- Removal (FrmMainRemoval.cpp)
  // -------------------------------------------------------------------
  void Command4_Click();
  void lblRemove_Click();
  /// "Repair Now": asks (unless the removal is automatic), shows the progress display and
  /// removes the ticked items.
  void RepairTickedItems();
  /// One removal run over the ticked pending findings, and what it did shown.
  void RemoveTickedItems();
  /// What a removal run did, on the results page and in "Delete Failed"; returns how many
  /// results rows went (-1 when the run did nothing).
  int ShowRemovalDone(const RemovalResult& result);
  /// The removed total and the anonymous data, then FinishRemovalDisplay.
  void EndRemoval(int removed);
  /// The Home page's figures; the progress display goes away.
  void FinishRemovalDisplay();
  void HideRemovalProgress();
  /// Removals then ask nothing and show no message: a scheduled scan with "Delete spyware
  /// automatically", the command line's scan --remove. allowLarge lets such a removal take a
  /// large share of a drive or hive (--force).
  void SetAutomaticRemoval(bool on, bool allowLarge = false);
  bool AutomaticRemoval() const { return autoRemove_; }
  /// The results page, every row ticked, "Repair Now": the removal at the end of a scan that
  /// asks nothing (RemoveListedFindings).
  void RemoveAllFound();
  /// The pending findings, ticked as they are, as a removal's targets.
  RemovalRequest RemovalRequestFromFindings();
  /// What the last removal run did.
  const RemovalResult& LastRemoval() const { return lastRemoval_; }
  void ShowDeleteFailed(const RemovalResult& result);
  /// Unticks the rows of what stayed and takes every row still ticked off the lists; returns
  /// how many results rows went.
  int RemoveWhatWent(const RemovalResult& result);
  void cmdRemove_Click();
  void cmdResults_Click();
  void ViewQuarantine();

  // ---- Report and exclusions (FrmMainReport.cpp, FrmMainExclusions.cpp)
  // ---------------------------------------------------
  void MakeReport();
  void cmdLog_Click();
  void lblViewLogFile_Click();
  /// The report window, modal; the Show Report label is disabled meanwhile. A failure is
  /// reported under the handler's name.
  void ShowReportWindow(const char* handler, bool loadFirst);
  void cmdExclude_Click();
  /// Adds the ticked results rows to the exclusions, after asking, and takes them off the
  /// lists once every entry was written.
  void ExcludeTickedRows();
  void ViewExclusions();
  void cmdFalsePos_Click();
  void cmdSubmit_Click();
  void txtFilename_KeyPress(int keyAscii);
  void chkSendData_MouseUp();
  void SendAnonymousData();

  // ---- Background protection (FrmMainProtection.cpp)
  // ------------------------------------------------
  void tmrCheckHomePage_Timer();
  void tmrMemoryInspected_Timer();
  void tmrScheduler_Timer();
  void LoadSchedule();
  void SaveSchedule();
  void CmdProceed_Click();
  void cmdDefaultSetting_Click();
  void chkAutomaticScanYesOrNo_Click();
  /// The scheduler on or off as the box says, with the schedule fields usable to match.
  void SwitchSchedule();
  void cmbDays_Click();
  void dtpScheduleDate_Change();
  void dtpScheduleTime_Click();
  void chkAutoDel_Click();
  /// The date and time fields made usable as the day list's entry asks.
  void StartDateTimePickers(int dayIndex);
  /// Called by the process check for a match outside a scan; returns after the answer.
  void RaiseProcessAlert(const std::string& fileName, const std::string& publisher,
                         uint32_t pid) override;
  /// The shields and the scheduler (made on first use).
  Protection& Shields();

  // ---- Live Update (FrmMainLiveUpdate.cpp)
  // -----------------------------------------------------------
  /// "Update Now"; shift holds the keys held with the click (Shift lists the definition site).
  void cmdUpdate_Click(int shift = 0);
  /// Live Update, after listing what a self-hosted definition site serves when asked.
  void UpdateNow(bool listSiteFirst);
  void cmdLiveUpdate_Click();
  void timUpdate_Timer();
  /// Counts the idle ticks of the automatic update and runs it, once, when they are up.
  void UpdateOnceIdle();
  void LiveUpdate();
  /// One Live Update run through the program's update view; refused while a scan, a removal
  /// or another run is in progress.
  LiveUpdateResult RunLiveUpdate();

 private:
  FindingList findings_;
  bool autoRemove_ = false;
  bool allowLargeRemoval_ = false;
  RemovalResult lastRemoval_;
  void Wire();
  void WireNavigation();
  void WireScanPage();
  void WireResultsPage();
  void WireOptionsPage();
  void WireMenusAndTimers();
  void RunStartupSteps();
  /// Runs the companion program the companion's settings name, or says it is gone.
  void StartCompanionProgram();
  void OpenWebsite();
  void ShowHomePage();
  /// The taskbar entry and the timers that follow the window's state (normal or not).
  void FollowWindowState();
  void LeaveTray();
  /// Whether the window is held open when it is closed: never; it leaves the tray first.
  bool HoldClose();
  /// Stores the layout, closes every other window and ends the program.
  void EndProgram();
  /// The tray icon's mouse messages (coded in x) and the pointer over the scan controls.
  void TrackMouse(int x);
  // Helpers of the handlers, by page (FrmMain*.cpp).
  /// The scan the page asks for: its mode, the listed drives and the options.
  ScanOptions PageScanOptions();
  /// Runs a scan unless a scan, a removal or a definition merge is in progress.
  void StartScan();
  /// The scan page, and a scan started there while Start can be pressed.
  void StartScanOnScanPage();
  void StartScanWithMode(ScanMode mode);
  /// Holds the scan behind a modal message; the two controls are unusable meanwhile.
  void PauseScan(forms::Control& pause, forms::Control& stop);
  void StopAfterQuestion(const char* message);
  void SaveDriveChoices();
  /// Ticks every results row, and the work rows each stands for.
  void TickAllResults();
  /// The results page; with nothing found, the anonymous data goes out if the user agreed.
  void ShowResultsPage();
  void ReportFalsePositive();
  /// Sends the typed file name and shows the answer; the field empties after a send.
  void SubmitTypedFileName();
  /// Asks before the anonymous data box is cleared, and stores what the user kept.
  void ConfirmSendData();
  /// Stores a ticked or cleared box, except while the window is filling it.
  void SaveBox(const settings::Flag& setting, const forms::CheckBox& box);
  /// The home page shield's timer and options as its box says.
  void SwitchHomePageShield();
  /// The process shield's timer and options as its box says.
  void SwitchProcessShield();
  void SaveHomePageShield(bool on);
  void SaveHomePageReaction();
  void SaveProcessShield(bool on);
  /// Stores the scan extent; the drive list shows for a scan of all selected drives.
  void SaveScanExtent(bool allDrives);
  /// Stores the schedule and reads it back, as the scheduler will use it.
  void ApplySchedule();
  void ResetSchedule();
  /// The date and time fields as the chosen day asks; Apply becomes usable.
  void FollowScheduleDay();
  // Exclusion helpers (FrmMainExclusions.cpp).
  bool AgreesToExclude();
  std::vector<ExcludedItem> TickedItems() const;
  void TakeOffExcludedRows();
  Application& app_;
  std::unique_ptr<ProtectionPort> protectionPort_;
  std::unique_ptr<ShieldAlerts> shieldAlerts_;
  std::unique_ptr<Protection> protection_;
  int page_ = 0;
  bool singleInstance_ = false;
  MainScanView scanView_{*this};
  ScanRun scanRun_;
};

}  // namespace quill
