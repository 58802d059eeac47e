// The main window's side of background protection: its timers hand over to Protection, which
// sees the window only through MainProtectionPort; the Schedule page shows and edits the
// schedule Protection stores and follows.
#include "app/Application.h"
#include "app/FrmMain.h"
#include "app/ProtectionAlerts.h"
#include "definitions/LiveUpdate.h"
#include "protection/Protection.h"
#include "scan/ProcessScan.h"
#include "scan/ScanInputs.h"

namespace quill {

class MainProtectionPort : public ProtectionPort {
 public:
  explicit MainProtectionPort(FrmMain& main) : main_(main) {}
  void ApplyTimerState(bool on) override { main_.ApplyTimerState(on); }
  void RunProcessCheck() override { ProcessCheck(ScanInputsOf(main_.App()), main_); }
  void StartScan(bool removeFound) override {
    // Only this scan removes without asking, however it ends.
    struct Reset {
      FrmMain& main;
      ~Reset() { main.SetAutomaticRemoval(false); }
    } reset{main_};
    main_.SetAutomaticRemoval(removeFound);
    main_.lblStart_Click();
  }
  bool OtherWorkRunning() override {
    return main_.ScanInProgress() || main_.RemovalInProgress() || main_.App().Updater().Running();
  }
  void RunScheduler(bool on) override { main_.tmrScheduler.Enable(on); }

 private:
  FrmMain& main_;
};

FrmMain::~FrmMain() = default;

Protection& FrmMain::Shields() {
  if (!protection_) {
    protectionPort_ = std::make_unique<MainProtectionPort>(*this);
    shieldAlerts_ = std::make_unique<ShieldAlertWindows>(app_);
    protection_ = std::make_unique<Protection>(app_, *protectionPort_, *shieldAlerts_);
  }
  return *protection_;
}

void FrmMain::tmrCheckHomePage_Timer() {
  Shields().HomePageTick();
}
void FrmMain::tmrMemoryInspected_Timer() {
  Shields().ProcessShieldTick();
}
void FrmMain::tmrScheduler_Timer() {
  Shields().tmrScheduler_Timer();
}
// ---- Schedule page -------------------------------------------------------------------------

void FrmMain::LoadSchedule() {
  const ScheduleChoice choice = Shields().LoadSchedule();
  chkAutoDel.SetValue(choice.autoRemove ? 1 : 0);
  if (!choice.stored) {
    cmbDays.SetListIndex(ScheduleChoice::kDaily);
    return;
  }
  dtpScheduleDate.SetValue(choice.date);
  dtpScheduleTime.SetValue(choice.time);
  if (choice.day >= 0 && choice.day < cmbDays.ListCount()) cmbDays.SetListIndex(choice.day);
  chkAutomaticScanYesOrNo.SetValue(choice.on ? 1 : 0);
}

void FrmMain::SaveSchedule() {
  ScheduleChoice choice;
  choice.on = chkAutomaticScanYesOrNo.Value() == 1;
  choice.day = cmbDays.ListIndex();
  choice.date = dtpScheduleDate.Value();
  choice.time = dtpScheduleTime.Value();
  Shields().SaveSchedule(choice);
}

void FrmMain::CmdProceed_Click() {
  ApplySchedule();
}

void FrmMain::ApplySchedule() {
  SaveSchedule();
  CmdProceed.SetEnabled(false);
  LoadSchedule();
}

void FrmMain::cmdDefaultSetting_Click() {
  ResetSchedule();
}

void FrmMain::ResetSchedule() {
  cmbDays.SetListIndex(ScheduleChoice::kDaily);
  chkAutomaticScanYesOrNo.SetValue(0);
  ApplySchedule();
}

void FrmMain::StartDateTimePickers(int dayIndex) {
  if (dayIndex >= 0 && dayIndex <= ScheduleChoice::kDaily) {
    dtpScheduleDate.SetValue(std::nullopt);
    dtpScheduleDate.SetEnabled(false);
    dtpScheduleTime.SetEnabled(true);
  } else if (dayIndex == ScheduleChoice::kOneDate) {
    dtpScheduleDate.SetEnabled(true);
    dtpScheduleTime.SetEnabled(true);
  } else if (dayIndex == ScheduleChoice::kNever) {
    dtpScheduleDate.SetValue(std::nullopt);
    dtpScheduleTime.SetValue(std::nullopt);
    dtpScheduleDate.SetEnabled(false);
    dtpScheduleTime.SetEnabled(false);
  }
}

void FrmMain::chkAutomaticScanYesOrNo_Click() {
  SwitchSchedule();
}

void FrmMain::SwitchSchedule() {
  const bool on = chkAutomaticScanYesOrNo.Value() == 1;
  Shields().SwitchScheduler(on);
  cmbDays.SetEnabled(on);
  if (on) {
    if (cmbDays.ListIndex() >= 0 && cmbDays.ListIndex() <= ScheduleChoice::kDaily)
      StartDateTimePickers(cmbDays.ListIndex());
  } else {
    dtpScheduleDate.SetEnabled(false);
    dtpScheduleTime.SetEnabled(false);
  }
  CmdProceed.SetEnabled(true);
}

void FrmMain::cmbDays_Click() {
  FollowScheduleDay();
}

void FrmMain::FollowScheduleDay() {
  StartDateTimePickers(cmbDays.ListIndex());
  CmdProceed.SetEnabled(true);
}

void FrmMain::dtpScheduleDate_Change() {
  CmdProceed.SetEnabled(true);
}

void FrmMain::dtpScheduleTime_Click() {
  CmdProceed.SetEnabled(true);
}

void FrmMain::chkAutoDel_Click() {
  Shields().SaveAutoRemove(chkAutoDel.Value() == 1);
}

void FrmMain::RaiseProcessAlert(const std::string& fileName, const std::string& publisher,
                                uint32_t pid) {
  Shields().RaiseProcessAlert(fileName, publisher, pid);
}

}  // namespace quill
