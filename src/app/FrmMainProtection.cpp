// The main window's side of background protection: its timers and Schedule page handlers
// hand over to Protection, which sees the window only through MainProtectionPort.
#include "app/Application.h"
#include "app/FrmMain.h"
#include "definitions/LiveUpdate.h"
#include "protection/Protection.h"
#include "scan/ProcessScan.h"

namespace quill {

class MainProtectionPort : public ProtectionPort {
 public:
  explicit MainProtectionPort(FrmMain& main) : main_(main) {}
  void ApplyTimerState(bool on) override { main_.ApplyTimerState(on); }
  void RunProcessCheck() override { ProcessCheck(main_); }
  void StartScan() override { main_.lblStart_Click(); }
  bool OtherWorkRunning() override {
    return main_.ScanInProgress() || main_.RemovalInProgress() || main_.App().Updater().Running();
  }
  SchedulePage Schedule() override {
    return {main_.chkAutomaticScanYesOrNo,
            main_.cmbDays,
            main_.dtpScheduleDate,
            main_.dtpScheduleTime,
            main_.chkAutoDel,
            main_.CmdProceed,
            main_.tmrScheduler};
  }

 private:
  FrmMain& main_;
};

FrmMain::~FrmMain() = default;

Protection& FrmMain::Shields() {
  if (!protection_) {
    protectionPort_ = std::make_unique<MainProtectionPort>(*this);
    protection_ = std::make_unique<Protection>(app_, *protectionPort_);
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
void FrmMain::LoadSchedule() {
  Shields().LoadSchedule();
}
void FrmMain::SaveSchedule() {
  Shields().SaveSchedule();
}
void FrmMain::CmdProceed_Click() {
  Shields().CmdProceed_Click();
}
void FrmMain::cmdDefaultSetting_Click() {
  Shields().cmdDefaultSetting_Click();
}
void FrmMain::chkAutomaticScanYesOrNo_Click() {
  Shields().chkAutomaticScanYesOrNo_Click();
}
void FrmMain::cmbDays_Click() {
  Shields().cmbDays_Click();
}
void FrmMain::dtpScheduleDate_Change() {
  Shields().dtpScheduleDate_Change();
}
void FrmMain::dtpScheduleTime_Click() {
  Shields().dtpScheduleTime_Click();
}
void FrmMain::chkAutoDel_Click() {
  Shields().chkAutoDel_Click();
}
void FrmMain::RaiseProcessAlert(const std::string& fileName, const std::string& publisher,
                                uint32_t pid) {
  Shields().RaiseProcessAlert(fileName, publisher, pid);
}

}  // namespace quill
