#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "protection/ProtectionPort.h"
#include "protection/ShieldAlerts.h"

namespace quill {

class ProgramContext;

/// Background protection: the home page shield, the process shield and the scheduled scans.
/// It reaches the main window only through ProtectionPort.
///
/// No check runs inside another, nor during a scan, a removal or a Live Update: while one
/// waits for the user (an alert is open) or other work runs, the ticks return at once and the
/// scheduler looks again after it. Each check holds the background timers while it works, so
/// they keep their rhythm and each shield runs at its own interval.
class Protection {
 public:
  Protection(ProgramContext& app, ProtectionPort& port, ShieldAlerts& alerts);
  ~Protection();
  Protection(const Protection&) = delete;
  Protection& operator=(const Protection&) = delete;

  // ---- Home page shield -------------------------------------------------------------------
  /// The handler of tmrCheckHomePage; every third tick also runs the process shield.
  void HomePageTick();
  /// The remembered page back into the settings and the browser; false when the browser's
  /// value could not be written (the shield then retries silently at its next ticks).
  bool RestoreHomePage();
  /// The browser's current page becomes the remembered one.
  void AcceptHomePage();
  const std::string& CurrentStartPage() const { return current_; }
  const std::string& RememberedStartPage() const { return remembered_; }

  // ---- Process shield ---------------------------------------------------------------------
  /// The handler of tmrMemoryInspected.
  void ProcessShieldTick();
  /// Shows the alert for one matched process and returns once the user has answered, the
  /// alert was closed or the program is ending.
  void RaiseProcessAlert(const std::string& fileName, const std::string& publisher, uint32_t pid);

  // ---- Scheduled scans --------------------------------------------------------------------
  /// The handler of tmrScheduler: starts the scan of a scheduled moment that came due.
  void tmrScheduler_Timer();
  /// The stored schedule, which the scheduler follows from now on.
  ScheduleChoice LoadSchedule();
  /// Stores a schedule and starts or stops the scheduler as it says. A schedule for one date
  /// without its date or time is refused with a message (false).
  bool SaveSchedule(const ScheduleChoice& choice);
  /// The scheduler on or off; switched on, it counts from now.
  void SwitchScheduler(bool on);
  /// Stores whether a scheduled scan removes what it finds without asking.
  void SaveAutoRemove(bool on);

 private:
  /// The browser's start page; empty optional when it cannot be read (no change then).
  std::optional<std::string> ReadStartPage();
  /// Start of the scheduled occurrence that lies in (after, now], if any.
  std::optional<std::chrono::system_clock::time_point> DueOccurrence(
      std::chrono::system_clock::time_point after, std::chrono::system_clock::time_point now);

  ProgramContext& app_;
  ProtectionPort& port_;
  ShieldAlerts& alerts_;
  bool busy_ = false;

  int16_t homePageTicks_ = 0;
  std::string current_;
  std::string remembered_;
  /// The (remembered, current) pair a restore could not yet write back.
  std::optional<std::pair<std::string, std::string>> pendingRestore_;

  /// The stored schedule as last loaded or saved: the scheduler's tick reads no file.
  struct Schedule {
    int day = ScheduleChoice::kDaily;
    std::string time = "Null";
    std::string date = "Null";
    bool autoRemove = false;
  } schedule_;
  std::optional<std::chrono::system_clock::time_point> lastCheck_;
  std::optional<std::chrono::system_clock::time_point> lastFired_;
};

}  // namespace quill
