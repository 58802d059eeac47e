#pragma once

namespace quill {

namespace forms {
class CheckBox;
class ComboBox;
class CommandButton;
class DTPicker;
class Timer;
}  // namespace forms

/// The controls of the Schedule page the scheduler reads and switches.
struct SchedulePage {
  forms::CheckBox& chkAutomaticScanYesOrNo;
  forms::ComboBox& cmbDays;
  forms::DTPicker& dtpScheduleDate;
  forms::DTPicker& dtpScheduleTime;
  forms::CheckBox& chkAutoDel;
  forms::CommandButton& CmdProceed;
  forms::Timer& tmrScheduler;
};

/// What background protection needs from the main window, and nothing more. The main
/// window provides it; the shields and the scheduler never see the window itself.
class ProtectionPort {
 public:
  virtual ~ProtectionPort() = default;
  /// Background timers off, or on as their settings say.
  virtual void ApplyTimerState(bool on) = 0;
  /// Compares the running programs with the executable definitions; a match outside a scan
  /// comes back through Protection::RaiseProcessAlert.
  virtual void RunProcessCheck() = 0;
  /// Presses "Start" on the scan page; returns when the scan (and an automatic removal) has
  /// ended. Does nothing while a scan runs.
  virtual void StartScan() = 0;
  virtual SchedulePage Schedule() = 0;
  /// A scan, a removal or a Live Update is under way: no background check runs then.
  virtual bool OtherWorkRunning() = 0;
};

}  // namespace quill
