#include "forms/Control.h"

#include <algorithm>

#include "base/Text.h"
#include "forms/Form.h"
#include "forms/Host.h"

namespace quill::forms {

namespace {

// "FrmMain.cmdScanNow(2) Click": what the host is told when a handler fails.
std::string HandlerName(const Control& control, const char* event) {
  std::string what = control.Owner().Name() + "." + control.Name();
  if (control.Index()) what += "(" + std::to_string(*control.Index()) + ")";
  return what + " " + event;
}

}  // namespace

Control::Control(Form& owner, std::string name, std::string typeName, std::optional<int> index,
                 std::string caption)
    : owner_(owner),
      name_(std::move(name)),
      typeName_(std::move(typeName)),
      index_(index),
      caption_(std::move(caption)) {
  owner_.Register(*this);
}

Control::~Control() {
  owner_.Unregister(*this);
}

void Control::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  NotifyChanged();
}

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  NotifyChanged();
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  NotifyChanged();
}

void Control::SetFont(const FontStyle& font) {
  if (font.bold == font_.bold && font.italic == font_.italic && font.underline == font_.underline)
    return;
  font_ = font;
  NotifyChanged();
}

void Control::Move(int left, int top) {
  if (left == left_ && top == top_) return;
  left_ = left;
  top_ = top;
  NotifyChanged();
}

void Control::SetWidth(int width) {
  if (width == width_) return;
  width_ = width;
  NotifyChanged();
}

void Control::OnClick(std::function<void()> handler) {
  if (!handler) {
    onClick_ = nullptr;
    return;
  }
  onClick_ = [handler = std::move(handler)](int) { handler(); };
}

void Control::Click() {
  if (!enabled_) return;
  RaiseClick(owner_.GetHost().ShiftState());
}

void Control::RaiseClick(int shift) {
  if (!onClick_) return;
  // Run a copy: the handler may rewire or clear its own slot while it runs.
  auto handler = onClick_;
  RunHandler(&owner_.GetHost(), HandlerName(*this, "Click").c_str(),
             [&handler, shift] { handler(shift); });
}

// ---------------------------------------------------------------------------------------------

void CheckBox::SetValue(int value) {
  // 0 unticked, 1 ticked, 2 greyed; anything else is not a check-box state.
  if (value < 0 || value > 2 || value == value_) return;
  value_ = value;
  NotifyChanged();
  RaiseClick();
}

void CheckBox::UserToggle() {
  if (!Enabled()) return;
  SetValue(value_ == 1 ? 0 : 1);
}

// ---------------------------------------------------------------------------------------------

void OptionButton::SetValue(bool value) {
  if (!value) {
    SetValueQuietly(false);
    return;
  }
  if (value_) return;
  value_ = true;
  NotifyChanged();
  Owner().OptionSelected(*this);
  RaiseClick();
}

void OptionButton::UserSelect() {
  if (!Enabled()) return;
  SetValue(true);
}

void OptionButton::SetValueQuietly(bool value) {
  if (value == value_) return;
  value_ = value;
  NotifyChanged();
}

// ---------------------------------------------------------------------------------------------

void TextBox::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  NotifyChanged();
}

void TextBox::KeyPress(int keyAscii) {
  if (!Enabled() || !onKeyPress_) return;
  auto handler = onKeyPress_;
  RunHandler(&Owner().GetHost(), HandlerName(*this, "KeyPress").c_str(),
             [&handler, keyAscii] { handler(keyAscii); });
}

// ---------------------------------------------------------------------------------------------

void ComboBox::AddItem(const std::string& item) {
  items_.push_back(item);
  NotifyChanged();
}

void ComboBox::Clear() {
  items_.clear();
  listIndex_ = -1;
  text_.clear();
  NotifyChanged();
}

void ComboBox::SetListIndex(int index) {
  if (index < -1 || index >= ListCount() || index == listIndex_) return;
  listIndex_ = index;
  text_ = index >= 0 ? items_[static_cast<size_t>(index)] : std::string();
  NotifyChanged();
  RaiseClick();
}

void ComboBox::SetList(int index, const std::string& item) {
  if (index < 0 || index >= ListCount() || items_[static_cast<size_t>(index)] == item) return;
  items_[static_cast<size_t>(index)] = item;
  if (index == listIndex_) text_ = item;
  NotifyChanged();
}

void ComboBox::SetText(const std::string& text) {
  auto it = std::find_if(items_.begin(), items_.end(), [&text](const std::string& item) {
    return text::EqualsNoCase(item, text);
  });
  if (it != items_.end()) {
    listIndex_ = static_cast<int>(it - items_.begin());
    text_ = *it;
  } else {
    listIndex_ = -1;
    text_ = text;
  }
  NotifyChanged();
}

// ---------------------------------------------------------------------------------------------

void ProgressBar::SetMin(int min) {
  if (min == min_) return;
  min_ = min;
  if (max_ < min_) max_ = min_;
  value_ = std::clamp<int64_t>(value_, min_, max_);
  NotifyChanged();
}

void ProgressBar::SetMax(int64_t max) {
  if (max == max_) return;
  max_ = std::max<int64_t>(max, min_);
  value_ = std::clamp<int64_t>(value_, min_, max_);
  NotifyChanged();
}

void ProgressBar::SetValue(int64_t value) {
  if (value < min_ || value > max_ || value == value_) return;
  value_ = value;
  NotifyChanged();
}

// ---------------------------------------------------------------------------------------------

void DTPicker::SetValue(std::optional<std::string> value) {
  if (value == value_) return;
  value_ = std::move(value);
  NotifyChanged();
}

void DTPicker::SetNoneText(const std::string& text) {
  if (text == noneText_) return;
  noneText_ = text;
  NotifyChanged();
}

void DTPicker::UserChange(std::optional<std::string> value) {
  if (!Enabled()) return;
  SetValue(std::move(value));
  if (!onChange_) {
    RaiseClick();
    return;
  }
  auto handler = onChange_;
  RunHandler(&Owner().GetHost(), HandlerName(*this, "Change").c_str(), handler);
}

// ---------------------------------------------------------------------------------------------

void TabStrip::SetTabCaption(int tab, const std::string& caption) {
  if (tab < 1 || tab > TabCount()) return;
  auto& current = tabs_[static_cast<size_t>(tab - 1)];
  if (current == caption) return;
  current = caption;
  NotifyChanged();
}

void TabStrip::SelectTab(int tab) {
  if (tab < 1 || tab > TabCount()) return;
  if (tab != selected_) {
    selected_ = tab;
    NotifyChanged();
  }
  // Selecting the shown tab again still runs the handler, so that code which selects a tab
  // to lay out its page gets the page laid out.
  RaiseClick();
}

// ---------------------------------------------------------------------------------------------

void Menu::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  NotifyChanged();
}

}  // namespace quill::forms
