#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quill::forms {

class Form;

/// Subscription list used by controls and forms to tell views that something changed.
/// Views subscribe; the model never knows who listens.
class ChangeSignal {
 public:
  using Slot = std::function<void()>;
  /// Returns a token for Unsubscribe.
  int Subscribe(Slot slot);
  void Unsubscribe(int token);
  void Emit() const;

 private:
  std::vector<std::pair<int, Slot>> slots_;
  int next_ = 1;
};

/// Keys held during a click, as the platform reports them to mouse and key events.
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

/// Font flags a control carries (the skinned labels toggle italic, menus make captions bold).
struct FontStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

/// A named control of a window. The type name ("Label", "CommandButton", ...) is what the
/// translation walk switches on; the optional index is the control's place in a control array.
class Control {
 public:
  Control(Form& owner, std::string name, std::string typeName, std::optional<int> index = {},
          std::string caption = {});
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Form& Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  const std::string& TypeName() const { return typeName_; }
  std::optional<int> Index() const { return index_; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  const FontStyle& Font() const { return font_; }
  void SetFont(const FontStyle& font);
  /// Free layout hints a view may use (twips); the model moves a few controls (stage marker).
  int Left() const { return left_; }
  int Top() const { return top_; }
  void Move(int left, int top);
  /// Width in twips (list-view columns have their own widths).
  int Width() const { return width_; }
  void SetWidth(int width);

  /// Click handler, wired by the owning form. Click() runs it through the runtime's
  /// handler boundary, and only while the control is enabled (as a user could click it).
  void OnClick(std::function<void()> handler);
  /// A click handler that also learns which of Shift, Ctrl and Alt (kShiftMask, ...) the user
  /// held while clicking.
  void OnClickWithShift(std::function<void(int shift)> handler) { onClick_ = std::move(handler); }
  /// A user's click: the keys held are the host's keyboard state at this moment.
  void Click();
  /// Runs the click handler even when disabled: code that calls a handler directly
  /// (`cmdRemove_Click()` from the scan driver) uses this. No key counts as held.
  void RaiseClick(int shift = 0);

  /// Views subscribe here to repaint.
  ChangeSignal& Changed() { return changed_; }
  /// Re-emit the change notification ("refresh" after a translation).
  void Refresh() { changed_.Emit(); }

 protected:
  void NotifyChanged() { changed_.Emit(); }

 private:
  Form& owner_;
  std::string name_;
  std::string typeName_;
  std::optional<int> index_;
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  FontStyle font_;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  std::function<void(int)> onClick_;
  ChangeSignal changed_;
};

class Label : public Control {
 public:
  Label(Form& owner, std::string name, std::string caption = {}, std::optional<int> index = {})
      : Control(owner, std::move(name), "Label", index, std::move(caption)) {}
};

/// A label drawn with the product skin; behaves as a Label with its own type name.
class SkinLabel : public Control {
 public:
  SkinLabel(Form& owner, std::string name, std::string caption = {})
      : Control(owner, std::move(name), "SkinLabel", {}, std::move(caption)) {}
};

class CommandButton : public Control {
 public:
  CommandButton(Form& owner, std::string name, std::string caption = {},
                std::optional<int> index = {})
      : Control(owner, std::move(name), "CommandButton", index, std::move(caption)) {}
};

class Frame : public Control {
 public:
  Frame(Form& owner, std::string name, std::string caption = {})
      : Control(owner, std::move(name), "Frame", {}, std::move(caption)) {}
};

class PictureBox : public Control {
 public:
  PictureBox(Form& owner, std::string name)
      : Control(owner, std::move(name), "PictureBox", {}, {}) {}
};

/// A decorative shape (the scan page's stage marker).
class Shape : public Control {
 public:
  Shape(Form& owner, std::string name) : Control(owner, std::move(name), "Shape", {}, {}) {}
};

/// Check box with value 0 or 1. Setting a different value raises the click handler,
/// exactly as a user's click does; that is how the start-up code's "tick the box" runs
/// the box's own handler.
class CheckBox : public Control {
 public:
  CheckBox(Form& owner, std::string name, std::string caption = {})
      : Control(owner, std::move(name), "CheckBox", {}, std::move(caption)) {}
  int Value() const { return value_; }
  void SetValue(int value);
  /// A user's click: toggles, then raises the handler (only while enabled).
  void UserToggle();

 private:
  int value_ = 0;
};

/// Option button; buttons of the same group (container) exclude each other.
/// Setting a button true raises its click handler when it was false.
class OptionButton : public Control {
 public:
  OptionButton(Form& owner, std::string name, std::string caption = {},
               std::optional<int> index = {}, std::string group = {})
      : Control(owner, std::move(name), "OptionButton", index, std::move(caption)),
        group_(std::move(group)) {}
  bool Value() const { return value_; }
  void SetValue(bool value);
  const std::string& Group() const { return group_; }
  /// A user's click: selects the button (only while enabled).
  void UserSelect();

 private:
  friend class Form;
  void SetValueQuietly(bool value);
  bool value_ = false;
  std::string group_;
};

class TextBox : public Control {
 public:
  TextBox(Form& owner, std::string name, std::string text = {})
      : Control(owner, std::move(name), "TextBox", {}, {}), text_(std::move(text)) {}
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);
  /// Key press handler (character code); the submission box reacts to Enter (13).
  void OnKeyPress(std::function<void(int)> handler) { onKeyPress_ = std::move(handler); }
  void KeyPress(int keyAscii);

 private:
  std::string text_;
  std::function<void(int)> onKeyPress_;
};

class ComboBox : public Control {
 public:
  ComboBox(Form& owner, std::string name) : Control(owner, std::move(name), "ComboBox", {}, {}) {}
  void AddItem(const std::string& item);
  void Clear();
  int ListCount() const { return static_cast<int>(items_.size()); }
  const std::string& List(int index) const { return items_.at(static_cast<size_t>(index)); }
  const std::vector<std::string>& Items() const { return items_; }
  int ListIndex() const { return listIndex_; }
  /// Selecting a different entry raises the click handler.
  void SetListIndex(int index);
  /// Gives an entry a new text (a translation); the selection stays, no click is raised.
  void SetList(int index, const std::string& item);
  /// The edit text; for a drop-down list it is the selected entry's text.
  const std::string& Text() const { return text_; }
  /// Sets the text; selects the matching entry (no click) when there is one.
  void SetText(const std::string& text);

 private:
  std::vector<std::string> items_;
  int listIndex_ = -1;
  std::string text_;
};

class ProgressBar : public Control {
 public:
  ProgressBar(Form& owner, std::string name)
      : Control(owner, std::move(name), "ProgressBar", {}, {}) {}
  int Min() const { return min_; }
  int Max() const { return max_; }
  int64_t Value() const { return value_; }
  void SetMin(int min);
  void SetMax(int64_t max);
  /// A value outside min..max is not shown: the bar keeps its previous value.
  void SetValue(int64_t value);

 private:
  int min_ = 0;
  int64_t max_ = 100;
  int64_t value_ = 0;
};

/// Date or time picker. Holds a date-time text in the general date form, or is empty
/// (the picker's "no value" state, stored as "Null").
class DTPicker : public Control {
 public:
  DTPicker(Form& owner, std::string name, std::string customFormat = {})
      : Control(owner, std::move(name), "DTPicker", {}, {}), format_(std::move(customFormat)) {}
  /// Empty optional = the picker shows no value.
  const std::optional<std::string>& Value() const { return value_; }
  void SetValue(std::optional<std::string> value);
  const std::string& CustomFormat() const { return format_; }
  /// What the picker shows while it has no value.
  const std::string& NoneText() const { return noneText_; }
  void SetNoneText(const std::string& text);
  /// A user's change raises the change handler (date picker) or click handler (time picker).
  void OnChange(std::function<void()> handler) { onChange_ = std::move(handler); }
  void UserChange(std::optional<std::string> value);

 private:
  std::optional<std::string> value_;
  std::string format_;
  std::string noneText_ = "None";
  std::function<void()> onChange_;
};

class TabStrip : public Control {
 public:
  TabStrip(Form& owner, std::string name, std::vector<std::string> tabs)
      : Control(owner, std::move(name), "TabStrip", {}, {}), tabs_(std::move(tabs)) {}
  int TabCount() const { return static_cast<int>(tabs_.size()); }
  /// Tabs are numbered from 1.
  const std::string& TabCaption(int tab) const { return tabs_.at(static_cast<size_t>(tab - 1)); }
  void SetTabCaption(int tab, const std::string& caption);
  int SelectedTab() const { return selected_; }
  /// Selecting a tab raises the click handler.
  void SelectTab(int tab);

 private:
  std::vector<std::string> tabs_;
  int selected_ = 1;
};

/// A menu entry. Separators are entries of their own (caption "-").
class Menu : public Control {
 public:
  Menu(Form& owner, std::string name, std::string caption, std::optional<int> index = {},
       std::string parent = {})
      : Control(owner, std::move(name), "Menu", index, std::move(caption)),
        parent_(std::move(parent)) {}
  /// Name of the menu this entry belongs to; empty for a top-level menu.
  const std::string& Parent() const { return parent_; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);

 private:
  std::string parent_;
  bool checked_ = false;
};

/// Fixed-size control array (`optScan(0..3)`), elements created with their indices.
template <class T>
class ControlArray {
 public:
  template <class... Args>
  ControlArray(Form& owner, const std::string& name, const std::vector<std::string>& captions,
               Args&&... args) {
    for (size_t i = 0; i < captions.size(); ++i)
      items_.push_back(std::make_unique<T>(owner, name, captions[i], static_cast<int>(i), args...));
  }
  T& operator[](int index) { return *items_.at(static_cast<size_t>(index)); }
  const T& operator[](int index) const { return *items_.at(static_cast<size_t>(index)); }
  int Count() const { return static_cast<int>(items_.size()); }
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }

 private:
  std::vector<std::unique_ptr<T>> items_;
};

}  // namespace quill::forms
