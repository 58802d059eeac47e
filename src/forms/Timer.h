#pragma once

#include <functional>
#include <string>

#include "forms/Control.h"

namespace quill::forms {

/// A window timer: fires its tick handler every Interval() milliseconds while enabled.
/// The host schedules it. Enabling it, or changing the interval, starts a fresh countdown;
/// a change made inside the tick handler is honoured from that moment on.
///
/// A running timer can also be held while other work runs (Hold, then Release): it is off
/// meanwhile, but keeps its rhythm. Hosts tell the two apart by Held() and Resuming().
class Timer : public Control {
 public:
  Timer(Form& owner, std::string name, int intervalMs, bool enabled);
  ~Timer() override;

  int Interval() const { return interval_; }
  void SetInterval(int intervalMs);
  bool IsEnabled() const { return Enabled(); }
  /// Switches the timer on (a fresh countdown, also for a held one) or off (ending a hold).
  void Enable(bool enabled);

  /// Stops a running timer for a while without losing its countdown; Enabled() is false
  /// until Release(). Does nothing to a timer that is off or already held.
  void Hold();
  /// Ends a hold: a timer that fell due meanwhile fires once, as soon as the event queue
  /// runs; one that did not keeps the time it had left. Does nothing unless held.
  void Release();
  /// From Hold() until Release(), Enable() or a new interval.
  bool Held() const { return held_; }
  /// True while the host hears of a Release(): go on from the held countdown.
  bool Resuming() const { return resuming_; }

  void OnTick(std::function<void()> handler) { onTick_ = std::move(handler); }
  /// Called by the host when the timer is due; runs the handler inside the handler boundary,
  /// only while the timer is enabled, its interval is above 0 and its window is loaded.
  /// A tick that is still running (it yielded to the event queue) is not entered again.
  /// Returns whether the handler ran.
  bool Fire();
  /// True while the tick handler runs.
  bool Firing() const { return firing_; }
  /// Bumped on every enable/interval change; hosts use it to drop stale schedules.
  unsigned Generation() const { return generation_; }

 private:
  void Rescheduled();
  int interval_;
  unsigned generation_ = 0;
  std::function<void()> onTick_;
  int changedToken_ = 0;
  bool lastEnabled_ = false;
  bool held_ = false;
  bool resuming_ = false;
  // A tick that yields to the event queue must not be re-entered by its own timer.
  bool firing_ = false;
};

}  // namespace quill::forms
