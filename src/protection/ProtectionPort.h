#pragma once

#include <optional>
#include <string>

namespace quill {

/// The Schedule page's choices, as stored.
struct ScheduleChoice {
  /// The day list's entries: Monday to Sunday (0..6), then these.
  static constexpr int kDaily = 7;
  static constexpr int kOneDate = 8;
  static constexpr int kNever = 9;

  /// False when no schedule was ever stored: the page then offers a daily scan and keeps
  /// everything else as it is.
  bool stored = false;
  /// "Scan automatically" is ticked.
  bool on = false;
  int day = kDaily;
  /// The date and time fields; empty when they hold no value.
  std::optional<std::string> date;
  std::optional<std::string> time;
  /// A scheduled scan removes what it finds without asking.
  bool autoRemove = false;
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
  /// Presses "Start" on the scan page; returns when the scan (and, with removeFound, the
  /// removal of what it found, asking nothing) has ended. Does nothing while a scan runs.
  virtual void StartScan(bool removeFound) = 0;
  /// Starts or stops the scheduler's timer.
  virtual void RunScheduler(bool on) = 0;
  /// A scan, a removal or a Live Update is under way: no background check runs then.
  virtual bool OtherWorkRunning() = 0;
};

}  // namespace quill
