#pragma once

#include <functional>
#include <string>

#include "forms/Control.h"

namespace quill::forms {

/// A window timer: fires its tick handler every Interval() milliseconds while enabled.
/// The host schedules it. Enabling it, or changing the interval, starts a fresh countdown;
/// a change made inside the tick handler is honoured from that moment on.
class Timer : public Control {
 public:
  Timer(Form& owner, std::string name, int intervalMs, bool enabled);
  ~Timer() override;

  int Interval() const { return interval_; }
  void SetInterval(int intervalMs);
  bool IsEnabled() const { return Enabled(); }
  void Enable(bool enabled) { SetEnabled(enabled); }

  void OnTick(std::function<void()> handler) { onTick_ = std::move(handler); }
  /// Called by the host when the timer is due; runs the handler inside the handler boundary.
  void Fire();
  /// Bumped on every enable/interval change; hosts use it to drop stale schedules.
  unsigned Generation() const { return generation_; }

 private:
  void Rescheduled();
  int interval_;
  unsigned generation_ = 0;
  std::function<void()> onTick_;
  int changedToken_ = 0;
  bool lastEnabled_ = false;
};

}  // namespace quill::forms
