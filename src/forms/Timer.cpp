#include "forms/Timer.h"

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
    Rescheduled();
  });
}

Timer::~Timer() {
  Changed().Unsubscribe(changedToken_);
  Owner().GetHost().UnregisterTimer(*this);
}

void Timer::SetInterval(int intervalMs) {
  if (intervalMs < 0) intervalMs = 0;
  // Assigning the interval restarts the countdown even when the value is the same.
  interval_ = intervalMs;
  Rescheduled();
  NotifyChanged();
}

void Timer::Fire() {
  if (firing_ || !Enabled() || interval_ <= 0 || !Owner().Loaded() || !onTick_) return;
  firing_ = true;
  auto handler = onTick_;
  RunHandler(&Owner().GetHost(), (Owner().Name() + "." + Name() + " Timer").c_str(), handler);
  firing_ = false;
}

void Timer::Rescheduled() {
  ++generation_;
  Owner().GetHost().TimerChanged(*this);
}

}  // namespace quill::forms
