#include "forms/Timer.h"

#include <utility>

#include "forms/Form.h"
#include "forms/Host.h"

namespace quill::forms {

Timer::Timer(Form& owner, std::string name, int intervalMs, bool enabled)
    : Control(owner, std::move(name), "Timer", {}, {}), interval_(intervalMs < 0 ? 0 : intervalMs) {
  SetEnabled(enabled);
  lastEnabled_ = enabled;
  owner.GetHost().RegisterTimer(*this);
  // Enabled lives in Control; watching our own change signal is how a switch on or off
  // reaches the host, whoever flips it.
  changedToken_ = Changed().Subscribe([this] {
    if (Enabled() == lastEnabled_) return;
    lastEnabled_ = Enabled();
    // Switched on by anything but Release(): a fresh start, whatever was held.
    if (Enabled() && !resuming_) held_ = false;
    Rescheduled();
  });
}

Timer::~Timer() {
  Changed().Unsubscribe(changedToken_);
  Owner().GetHost().UnregisterTimer(*this);
}

void Timer::Enable(bool enabled) {
  const bool wasHeld = std::exchange(held_, false);
  SetEnabled(enabled);
  // Already off while held: the host still has to drop the countdown it kept.
  if (wasHeld && !enabled) Rescheduled();
}

void Timer::Hold() {
  if (!Enabled() || held_) return;
  held_ = true;
  SetEnabled(false);
}

void Timer::Release() {
  if (!held_) return;
  held_ = false;
  resuming_ = true;
  SetEnabled(true);
  resuming_ = false;
}

void Timer::SetInterval(int intervalMs) {
  if (intervalMs < 0) intervalMs = 0;
  held_ = false;
  // Assigning the interval restarts the countdown even when the value is the same.
  interval_ = intervalMs;
  Rescheduled();
  NotifyChanged();
}

bool Timer::Fire() {
  if (firing_ || !Enabled() || interval_ <= 0 || !Owner().Loaded() || !onTick_) return false;
  firing_ = true;
  auto handler = onTick_;
  RunHandler(&Owner().GetHost(), (Owner().Name() + "." + Name() + " Timer").c_str(), handler);
  firing_ = false;
  return true;
}

void Timer::Rescheduled() {
  ++generation_;
  Owner().GetHost().TimerChanged(*this);
}

}  // namespace quill::forms
