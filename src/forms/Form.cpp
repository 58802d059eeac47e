#include "forms/Form.h"

#include <algorithm>

#include "base/Text.h"
#include "forms/Host.h"
#include "forms/Timer.h"

namespace quill::forms {

Form::Form(Host& host, std::string name, std::string caption)
    : host_(host), name_(std::move(name)), caption_(std::move(caption)) {}

Form::~Form() {
  // The controls (members of the derived window) are gone by now; only tell the host so
  // that it forgets this window.
  host_.FormDestroyed(*this);
}

void Form::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  changed_.Emit();
}

Control* Form::FindControl(const std::string& name, std::optional<int> index) const {
  for (Control* control : controls_) {
    if (!text::EqualsNoCase(control->Name(), name)) continue;
    if (index && control->Index() != index) continue;
    return control;
  }
  return nullptr;
}

void Form::Load() {
  if (loaded_) return;
  loaded_ = true;
  host_.FormLoaded(*this);
  // Timers count from the moment their window exists.
  TimersChanged();
  changed_.Emit();
  auto handler = onLoad_;
  RunHandler(&host_, (name_ + " Load").c_str(), handler);
}

bool Form::Unload() {
  if (!loaded_) return true;
  // "Unload Me" inside the unload handler: the unload in progress finishes the job.
  if (unloading_) return true;
  if (onQueryUnload_) {
    bool cancel = false;
    auto query = onQueryUnload_;
    RunHandler(&host_, (name_ + " QueryUnload").c_str(), [&] { cancel = query(); });
    if (cancel) return false;
  }
  unloading_ = true;
  auto handler = onUnload_;
  RunHandler(&host_, (name_ + " Unload").c_str(), handler);
  unloading_ = false;
  SetVisible(false);
  loaded_ = false;
  modal_ = false;
  TimersChanged();
  host_.FormUnloaded(*this);
  changed_.Emit();
  return true;
}

void Form::Show(bool modal) {
  if (!loaded_) Load();
  // The load handler may have unloaded the window again.
  if (!loaded_) return;
  if (modal) modal_ = true;
  SetVisible(true);
  if (!modal) return;
  host_.RunModal(*this);
  modal_ = false;
}

void Form::Hide() {
  SetVisible(false);
}

void Form::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  host_.FormVisibilityChanged(*this);
  changed_.Emit();
}

void Form::SetState(WindowState state) {
  if (state == state_) return;
  state_ = state;
  changed_.Emit();
  auto handler = onResize_;
  RunHandler(&host_, (name_ + " Resize").c_str(), handler);
}

void Form::SetShowInTaskbar(bool show) {
  if (show == showInTaskbar_) return;
  showInTaskbar_ = show;
  changed_.Emit();
}

void Form::ZOrder() {
  host_.BringToFront(*this);
}

void Form::Move(int left, int top) {
  if (left == left_ && top == top_) return;
  left_ = left;
  top_ = top;
  changed_.Emit();
}

void Form::Resize(int width, int height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  changed_.Emit();
  auto handler = onResize_;
  RunHandler(&host_, (name_ + " Resize").c_str(), handler);
}

void Form::MouseMove(int x, int y) {
  if (!onMouseMove_) return;
  auto handler = onMouseMove_;
  RunHandler(&host_, (name_ + " MouseMove").c_str(), [&handler, x, y] { handler(x, y); });
}

void Form::Register(Control& control) {
  controls_.push_back(&control);
}

void Form::Unregister(Control& control) {
  auto it = std::find(controls_.begin(), controls_.end(), &control);
  if (it != controls_.end()) controls_.erase(it);
}

void Form::OptionSelected(OptionButton& button) {
  for (Control* control : controls_) {
    auto* other = dynamic_cast<OptionButton*>(control);
    if (!other || other == &button || other->Group() != button.Group()) continue;
    other->SetValueQuietly(false);
  }
}

void Form::TimersChanged() {
  // Copy: a host reacting to the change must not see the list shift under it.
  auto controls = controls_;
  for (Control* control : controls) {
    if (auto* timer = dynamic_cast<Timer*>(control)) host_.TimerChanged(*timer);
  }
}

}  // namespace quill::forms
