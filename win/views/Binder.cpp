#include "views/Binder.h"

#include <commctrl.h>

#include <algorithm>

#include "Fonts.h"
#include "Win32Host.h"

namespace quill::win {

std::wstring DisplayText(const std::string& s) {
  std::wstring out;
  const std::wstring text = W(s);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
    if (text[i] == L'\r' || text[i] == L'\n') {
      out += L"\r\n";
      continue;
    }
    out += text[i];
  }
  return out;
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

HWND Binder::Make(forms::Control& c, const wchar_t* cls, DWORD style, DWORD exStyle) {
  const int id = nextId_++;
  HWND child = CreateWindowExW(exStyle, cls, L"", WS_CHILD | style, 0, 0, 0, 0, parent_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(MessageFont()), FALSE);
  controls_[id] = &c;
  children_[&c] = child;
  return child;
}

void Binder::ApplyCommon(forms::Control& c, HWND child) {
  EnableWindow(child, c.Enabled());
  ShowWindow(child, c.Visible() ? SW_SHOWNA : SW_HIDE);
}

HWND Binder::ChildOf(const forms::Control& c) const {
  auto it = children_.find(&c);
  return it == children_.end() ? nullptr : it->second;
}

HWND Binder::Label(forms::Control& c, DWORD style) {
  HWND child = Make(c, L"STATIC", style);
  auto apply = [this, &c, child] {
    SetWindowTextW(child, DisplayText(c.Caption()).c_str());
    ApplyCommon(c, child);
  };
  apply();
  c.Changed().Subscribe(apply);
  return child;
}

HWND Binder::Button(forms::Control& c, bool isDefault) {
  HWND child = Make(c, L"BUTTON", WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
  auto apply = [this, &c, child] {
    SetWindowTextW(child, W(c.Caption()).c_str());
    ApplyCommon(c, child);
  };
  apply();
  c.Changed().Subscribe(apply);
  return child;
}

HWND Binder::Check(forms::CheckBox& c) {
  HWND child = Make(c, L"BUTTON", WS_TABSTOP | BS_CHECKBOX);
  auto apply = [this, &c, child] {
    SetWindowTextW(child, W(c.Caption()).c_str());
    SendMessageW(child, BM_SETCHECK, c.Value() ? BST_CHECKED : BST_UNCHECKED, 0);
    ApplyCommon(c, child);
  };
  apply();
  c.Changed().Subscribe(apply);
  return child;
}

HWND Binder::Option(forms::OptionButton& c, bool firstOfGroup) {
  HWND child = Make(c, L"BUTTON", WS_TABSTOP | BS_RADIOBUTTON | (firstOfGroup ? WS_GROUP : 0));
  auto apply = [this, &c, child] {
    SetWindowTextW(child, W(c.Caption()).c_str());
    SendMessageW(child, BM_SETCHECK, c.Value() ? BST_CHECKED : BST_UNCHECKED, 0);
    ApplyCommon(c, child);
  };
  apply();
  c.Changed().Subscribe(apply);
  return child;
}

HWND Binder::Group(forms::Control& c) {
  HWND child = Make(c, L"BUTTON", BS_GROUPBOX);
  auto apply = [this, &c, child] {
    SetWindowTextW(child, W(c.Caption()).c_str());
    ApplyCommon(c, child);
  };
  apply();
  c.Changed().Subscribe(apply);
  return child;
}

HWND Binder::Progress(forms::ProgressBar& c) {
  HWND child = Make(c, PROGRESS_CLASSW, 0);
  auto apply = [this, &c, child] {
    // The bar counts in 32 bits: large ranges are scaled down to it.
    const int64_t span = std::max<int64_t>(1, c.Max() - c.Min());
    const int64_t scale = span > 0x7fffffff ? span / 0x7fffffff + 1 : 1;
    SendMessageW(child, PBM_SETRANGE32, 0, static_cast<LPARAM>(span / scale));
    SendMessageW(child, PBM_SETPOS, static_cast<WPARAM>((c.Value() - c.Min()) / scale), 0);
    ApplyCommon(c, child);
  };
  apply();
  c.Changed().Subscribe(apply);
  return child;
}

HWND Binder::Text(forms::TextBox& c, bool multiLine) {
  const DWORD style = multiLine ? WS_TABSTOP | ES_MULTILINE | ES_READONLY | WS_VSCROLL |
                                      WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL
                                : WS_TABSTOP | ES_AUTOHSCROLL;
  HWND child = Make(c, L"EDIT", style, WS_EX_CLIENTEDGE);
  auto apply = [this, &c, child, multiLine] {
    // Only a different text is written: the user's caret stays where it is while typing.
    const std::wstring text = multiLine ? DisplayText(c.Text()) : W(c.Text());
    if (WindowText(child) != text) SetWindowTextW(child, text.c_str());
    ApplyCommon(c, child);
  };
  apply();
  c.Changed().Subscribe(apply);
  return child;
}

HWND Binder::Combo(forms::ComboBox& c) {
  HWND child = Make(c, WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST);
  auto apply = [this, &c, child] {
    SendMessageW(child, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : c.Items())
      SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(item).c_str()));
    SendMessageW(child, CB_SETCURSEL, static_cast<WPARAM>(c.ListIndex()), 0);
    ApplyCommon(c, child);
  };
  apply();
  c.Changed().Subscribe(apply);
  return child;
}

bool Binder::Command(WPARAM wParam, LPARAM lParam) {
  auto it = controls_.find(LOWORD(wParam));
  if (it == controls_.end() || reinterpret_cast<HWND>(lParam) == nullptr) return false;
  forms::Control& c = *it->second;
  const HWND child = reinterpret_cast<HWND>(lParam);
  const WORD code = HIWORD(wParam);
  if (auto* check = dynamic_cast<forms::CheckBox*>(&c); check && code == BN_CLICKED) {
    check->UserToggle();
  } else if (auto* option = dynamic_cast<forms::OptionButton*>(&c); option && code == BN_CLICKED) {
    option->UserSelect();
  } else if (auto* combo = dynamic_cast<forms::ComboBox*>(&c); combo && code == CBN_SELCHANGE) {
    combo->SetListIndex(static_cast<int>(SendMessageW(child, CB_GETCURSEL, 0, 0)));
  } else if (auto* text = dynamic_cast<forms::TextBox*>(&c); text && code == EN_CHANGE) {
    std::wstring value(static_cast<size_t>(GetWindowTextLengthW(child)) + 1, L'\0');
    value.resize(
        static_cast<size_t>(GetWindowTextW(child, value.data(), static_cast<int>(value.size()))));
    if (U(value) != text->Text()) text->SetText(U(value));
  } else if (code == BN_CLICKED) {
    c.Click();
  } else {
    return false;
  }
  return true;
}

}  // namespace quill::win
