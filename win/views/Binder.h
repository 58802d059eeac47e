#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <commctrl.h>

#include "forms/Control.h"
#include "forms/ListView.h"

namespace quill::win {

/// Binds child windows to a window's controls both ways: every change of a control repaints
/// its child (caption, enabled, visible, value), and every user action on the child calls the
/// control's user entry point. One binder per window; a window's children live exactly as long
/// as its form.
class Binder {
 public:
  explicit Binder(HWND parent) : parent_(parent) {}

  HWND Label(forms::Control& c, DWORD style = SS_LEFT | SS_NOPREFIX);
  /// A count in a rounded badge, shown while the control's caption is a number other than 0;
  /// it lies over the side of another child (a button) and lets the clicks through to it.
  HWND Badge(forms::Control& c);
  /// A push button; a click calls the control's Click().
  HWND Button(forms::Control& c, bool isDefault = false);
  HWND Check(forms::CheckBox& c);
  /// An option button; the first of each group starts a new group of the dialog manager.
  HWND Option(forms::OptionButton& c, bool firstOfGroup);
  HWND Group(forms::Control& c);
  HWND Progress(forms::ProgressBar& c);
  /// A one-line text field, or a read-only multi-line text with scroll bars (the report).
  HWND Text(forms::TextBox& c, bool multiLine = false);
  HWND Combo(forms::ComboBox& c);
  /// A date picker, or a time picker when the control has a time format; "no value" is the
  /// picker's unticked box.
  HWND Picker(forms::DTPicker& c);
  /// A report list over the list's rows, asked for on demand (so a scan adding thousands of
  /// rows repaints one at a time); `icons` holds the rows' small icons by number, from 1.
  /// Columns the form leaves at the default width take `widths` (pixels at 96 dots per inch)
  /// in order; the last column fills what is left of the list's width.
  HWND List(forms::ListView& c, HIMAGELIST icons = nullptr, std::vector<int> widths = {});

  /// Routes a WM_COMMAND from a bound child to its control; false when it is not ours.
  bool Command(WPARAM wParam, LPARAM lParam);
  /// Routes a WM_NOTIFY from a bound list to its control; false when it is not ours.
  bool Notify(const NMHDR& header, LRESULT& result);
  /// The child bound to a control, or nullptr.
  HWND ChildOf(const forms::Control& c) const;

 private:
  HWND Make(forms::Control& c, const wchar_t* cls, DWORD style, DWORD exStyle = 0);
  void ApplyCommon(forms::Control& c, HWND child);
  /// Paints the child now and on every change of its control: `paint` draws what is the
  /// control's own, then the state every control has.
  HWND Follow(forms::Control& c, HWND child, std::function<void()> paint);
  void ApplyColumns(forms::ListView& c, HWND child);
  void RowsChanged(forms::ListView& c, HWND child, const forms::ListChange& change);
  void DisplayInfo(forms::ListView& c, NMLVDISPINFOW& info);

  HWND parent_;
  std::map<HWND, forms::Control*> controls_;
  std::map<const forms::Control*, HWND> children_;
  std::map<HWND, forms::ListView*> lists_;
  std::map<HWND, std::vector<int>> defaultWidths_;
  std::map<HWND, forms::DTPicker*> pickers_;
  std::set<HWND> timePickers_;
  std::set<HWND> styled_;  // children showing the font flags of their control
  std::wstring cell_;      // the text of the cell last asked for, kept while the list reads it
};

/// The text of a window.
std::wstring WindowText(HWND window);
/// A caption for display: bare line feeds and carriage returns as CR LF.
std::wstring DisplayText(const std::string& s);

}  // namespace quill::win
