// The Options page: the check boxes and option buttons that save their own settings.
#include "app/FrmMain.h"

#include <functional>
#include <optional>
#include <vector>

#include "app/Application.h"
#include "app/MachineSettingsStore.h"
#include "app/ProtectionAlerts.h"
#include "app/Translation.h"
#include "app/clsTray.h"
#include "app/frmDelete.h"
#include "app/frmDownload.h"
#include "app/frmLanguage.h"
#include "app/frmMenuPopUp.h"
#include "app/frmQuarantine.h"
#include "app/frmSignatureUpdated.h"
#include "core/Settings.h"
#include "core/UpdateServer.h"
#include "definitions/DefinitionSet.h"
#include "definitions/ExclusionList.h"
#include "definitions/SelfHostedSite.h"
#include "localization/MessageCatalog.h"
#include "protection/Protection.h"

namespace quill {

namespace {
constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
}  // namespace

// ---- Option handlers ------------------------------------------------------------------------

void FrmMain::chkSweepMemory_Click() {
  SaveBox(settings::SweepMemory, chkSweepMemory);
}
void FrmMain::chkScanRegistry_Click() {
  SaveBox(settings::ScanRegistry, chkScanRegistry);
}
void FrmMain::chkScanCookies_Click() {
  SaveBox(settings::ScanCookies, chkScanCookies);
}
void FrmMain::chkMakeLog_Click() {
  SaveBox(settings::MakeLog, chkMakeLog);
}
void FrmMain::chkAutomaticUpdate_Click() {
  SaveBox(settings::AutomaticUpdate, chkAutomaticUpdate);
}

// The check boxes save their own key when the user clicks them. While the window loads they
// are being filled from the settings, so they save nothing: a default shown ticked on a first
// start is not stored until the user changes it.
void FrmMain::SaveBox(const settings::Flag& setting, const forms::CheckBox& box) {
  if (Loading) return;
  settings::Write(app_.Settings(), setting, box.Value() != 0);
}

void FrmMain::chkRunAtStartup_Click() {
  ApplyRunAtStartup();
}

void FrmMain::ApplyRunAtStartup() {
  if (Loading) return;
  settings::Write(app_.Settings(), settings::RunAtStartup, chkRunAtStartup.Value() != 0);
  const bool run = settings::ReadIfStored(app_.Settings(), settings::RunAtStartup).value_or(true);
  if (WriteRunValue(run) || !run) return;
  // A ticked box would promise a start that will not happen: say so and clear it (which
  // saves "0" and removes any entry through this handler).
  GetHost().MsgBox(app_.Catalog().getMessages("MSG_RUN_AT_STARTUP"), forms::MsgBoxButtons::OkOnly,
                   forms::MsgBoxIcon::Exclamation, app_.brand.programName);
  chkRunAtStartup.SetValue(0);
}

bool FrmMain::WriteRunValue(bool run) {
  const auto& id = app_.Identity();
  auto& reg = app_.Registry();
  // The user's own Run key: a start at sign-in is the user's choice, and a user without
  // administrator rights can write it.
  auto root = platform::RootKey::CurrentUser;
  if (!run) {
    reg.DeleteValue(root, kRunKey, id.exeName);
    // An entry an earlier version made for the whole machine goes too.
    reg.DeleteValue(platform::RootKey::LocalMachine, kRunKey, id.exeName);
    return true;
  }
  // The machine decides what it can start: the program's path on Windows, a command Wine
  // can start in a prefix.
  const std::optional<std::string> command = app_.System().StartupCommand();
  if (!command) return false;
  if (reg.OpenKey(root, kRunKey, platform::kKeyQueryValue) != platform::RegStatus::Ok)
    reg.CreateKey(root, kRunKey);
  return reg.SetValue(root, kRunKey, id.exeName, platform::MakeSz(*command)) ==
         platform::RegStatus::Ok;
}

void FrmMain::chkHomePage_Click() {
  SwitchHomePageShield();
}

void FrmMain::SwitchHomePageShield() {
  bool on = chkHomePage.Value() == 1;
  tmrCheckHomePage.Enable(on);
  optAlwaysnotifybeforerestoring.SetEnabled(on);
  optRestoredefaultwithoutnotification.SetEnabled(on);
  optIEHomePageSheildOn.SetValue(on);
  optIEHomePageSheildOff.SetValue(!on);
}

void FrmMain::chkAutoProtect_Click() {
  SwitchProcessShield();
}

void FrmMain::SwitchProcessShield() {
  bool on = chkAutoProtect.Value() == 1;
  tmrMemoryInspected.Enable(on);
  optMemorySheildOn.SetValue(on);
  optMemorySheildOff.SetValue(!on);
}

void FrmMain::optIEHomePageSheildOn_Click() {
  SaveHomePageShield(true);
}

void FrmMain::optIEHomePageSheildOff_Click() {
  SaveHomePageShield(false);
}

void FrmMain::SaveHomePageShield(bool on) {
  settings::Write(app_.Settings(), settings::HomePageShieldOn, optIEHomePageSheildOn.Value());
  settings::Write(app_.Settings(), settings::HomePageShieldOff, optIEHomePageSheildOff.Value());
  tmrCheckHomePage.Enable(on);
  optAlwaysnotifybeforerestoring.SetEnabled(on);
  optRestoredefaultwithoutnotification.SetEnabled(on);
}

void FrmMain::optAlwaysnotifybeforerestoring_Click() {
  SaveHomePageReaction();
}

void FrmMain::optRestoredefaultwithoutnotification_Click() {
  SaveHomePageReaction();
}

void FrmMain::SaveHomePageReaction() {
  settings::Write(app_.Settings(), settings::NotifyBeforeRestoring,
                  optAlwaysnotifybeforerestoring.Value());
  settings::Write(app_.Settings(), settings::RestoreWithoutNotification,
                  optRestoredefaultwithoutnotification.Value());
}

void FrmMain::optMemorySheildOn_Click() {
  SaveProcessShield(true);
}

void FrmMain::optMemorySheildOff_Click() {
  SaveProcessShield(false);
}

void FrmMain::SaveProcessShield(bool on) {
  settings::Write(app_.Settings(), settings::MemoryShieldOn, optMemorySheildOn.Value());
  settings::Write(app_.Settings(), settings::MemoryShieldOff, optMemorySheildOff.Value());
  tmrMemoryInspected.Enable(on);
}

void FrmMain::optScanAllSelectedHardDrive_Click() {
  SaveScanExtent(true);
}

void FrmMain::optScanOnlyKnownSoftwares_Click() {
  SaveScanExtent(false);
}

void FrmMain::SaveScanExtent(bool allDrives) {
  settings::Write(app_.Settings(), settings::ScanAllSelectedDrives,
                  optScanAllSelectedHardDrive.Value());
  settings::Write(app_.Settings(), settings::ScanOnlyKnownSoftware,
                  optScanOnlyKnownSoftwares.Value());
  lvwHardDrives.SetVisible(allDrives);
}

}  // namespace quill
