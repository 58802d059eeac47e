#include "views/Binder.h"

#include <commctrl.h>

#include <algorithm>

#include "Fonts.h"
#include "Win32Host.h"
#include "base/DateTime.h"

namespace quill::win {

namespace {

constexpr wchar_t kBadgeClass[] = L"QuillonetBadge";
constexpr COLORREF kBadgeColour = RGB(0xc0, 0x60, 0x3a);

// A list's last column follows the list's width, as the toolkit's stretched last section does.
LRESULT CALLBACK StretchLastColumn(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR) {
  const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
  if (msg == WM_SIZE) {
    const int columns = Header_GetItemCount(ListView_GetHeader(hwnd));
    if (columns > 0) ListView_SetColumnWidth(hwnd, columns - 1, LVSCW_AUTOSIZE_USEHEADER);
  } else if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, StretchLastColumn, 0);
  }
  return result;
}

LRESULT CALLBACK BadgeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // a click on the badge is a click on what it lies over
    case WM_SIZE: {
      const int w = LOWORD(lParam), h = HIWORD(lParam);
      SetWindowRgn(hwnd, CreateRoundRectRgn(0, 0, w + 1, h + 1, h, h), TRUE);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      RECT r{};
      GetClientRect(hwnd, &r);
      HBRUSH fill = CreateSolidBrush(kBadgeColour);
      FillRect(dc, &r, fill);
      DeleteObject(fill);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(255, 255, 255));
      HGDIOBJ old = SelectObject(dc, BoldFont());
      std::wstring text = WindowText(hwnd);
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      SelectObject(dc, old);
      EndPaint(hwnd, &paint);
      return 0;
    }
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

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
  // Numbered across every binder: a window may hold the children of several.
  static int nextId = 1000;
  const int id = nextId++;
  HWND child = CreateWindowExW(exStyle, cls, L"", WS_CHILD | style, 0, 0, 0, 0, parent_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(MessageFont()), FALSE);
  controls_[child] = &c;
  children_[&c] = child;
  return child;
}

HWND Binder::Follow(forms::Control& c, HWND child, std::function<void()> paint) {
  auto apply = [this, &c, child, paint = std::move(paint)] {
    paint();
    ApplyCommon(c, child);
  };
  apply();
  c.Changed().Subscribe(apply);
  return child;
}

void Binder::ApplyCommon(forms::Control& c, HWND child) {
  EnableWindow(child, c.Enabled());
  ShowWindow(child, c.Visible() ? SW_SHOWNA : SW_HIDE);
  // The model's font flags (a caption turning bold under the pointer); a child the model
  // never styles keeps the font its window gave it.
  const forms::FontStyle& style = c.Font();
  if (!style.bold && !style.italic && !style.underline && !styled_.count(child)) return;
  styled_.insert(child);
  const HFONT font = StyledFont(style.bold, style.italic, style.underline);
  if (reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)) == font) return;
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

HWND Binder::ChildOf(const forms::Control& c) const {
  auto it = children_.find(&c);
  return it == children_.end() ? nullptr : it->second;
}

HWND Binder::Label(forms::Control& c, DWORD style) {
  HWND child = Make(c, L"STATIC", style);
  return Follow(c, child, [&c, child] { SetWindowTextW(child, DisplayText(c.Caption()).c_str()); });
}

HWND Binder::Badge(forms::Control& c) {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = BadgeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kBadgeClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
  HWND child = Make(c, kBadgeClass, WS_CLIPSIBLINGS);
  // Above its siblings, which leave its place alone when they paint.
  SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (HWND other = GetWindow(parent_, GW_CHILD); other; other = GetWindow(other, GW_HWNDNEXT))
    SetWindowLongPtrW(other, GWL_STYLE, GetWindowLongPtrW(other, GWL_STYLE) | WS_CLIPSIBLINGS);
  auto apply = [&c, child] {
    SetWindowTextW(child, W(c.Caption()).c_str());
    InvalidateRect(child, nullptr, FALSE);
    const bool counted = !c.Caption().empty() && c.Caption() != "0";
    ShowWindow(child, c.Visible() && counted ? SW_SHOWNA : SW_HIDE);
  };
  apply();
  c.Changed().Subscribe(apply);
  return child;
}

HWND Binder::Button(forms::Control& c, bool isDefault) {
  HWND child = Make(c, L"BUTTON", WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
  return Follow(c, child, [&c, child] { SetWindowTextW(child, W(c.Caption()).c_str()); });
}

HWND Binder::Check(forms::CheckBox& c) {
  HWND child = Make(c, L"BUTTON", WS_TABSTOP | BS_CHECKBOX);
  return Follow(c, child, [&c, child] {
    SetWindowTextW(child, W(c.Caption()).c_str());
    SendMessageW(child, BM_SETCHECK, c.Value() ? BST_CHECKED : BST_UNCHECKED, 0);
  });
}

HWND Binder::Option(forms::OptionButton& c, bool firstOfGroup) {
  HWND child = Make(c, L"BUTTON", WS_TABSTOP | BS_RADIOBUTTON | (firstOfGroup ? WS_GROUP : 0));
  return Follow(c, child, [&c, child] {
    SetWindowTextW(child, W(c.Caption()).c_str());
    SendMessageW(child, BM_SETCHECK, c.Value() ? BST_CHECKED : BST_UNCHECKED, 0);
  });
}

HWND Binder::Group(forms::Control& c) {
  HWND child = Make(c, L"BUTTON", BS_GROUPBOX);
  return Follow(c, child, [&c, child] { SetWindowTextW(child, W(c.Caption()).c_str()); });
}

HWND Binder::Progress(forms::ProgressBar& c) {
  HWND child = Make(c, PROGRESS_CLASSW, 0);
  return Follow(c, child, [&c, child] {
    // The bar counts in 32 bits: large ranges are scaled down to it.
    const int64_t span = std::max<int64_t>(1, c.Max() - c.Min());
    const int64_t scale = span > 0x7fffffff ? span / 0x7fffffff + 1 : 1;
    SendMessageW(child, PBM_SETRANGE32, 0, static_cast<LPARAM>(span / scale));
    SendMessageW(child, PBM_SETPOS, static_cast<WPARAM>((c.Value() - c.Min()) / scale), 0);
  });
}

HWND Binder::Text(forms::TextBox& c, bool multiLine) {
  // The multi-line text wraps its long lines at the window's width, as a reader expects.
  const DWORD style = multiLine
                          ? WS_TABSTOP | ES_MULTILINE | ES_READONLY | WS_VSCROLL | ES_AUTOVSCROLL
                          : WS_TABSTOP | ES_AUTOHSCROLL;
  HWND child = Make(c, L"EDIT", style, WS_EX_CLIENTEDGE);
  return Follow(c, child, [&c, child, multiLine] {
    // Only a different text is written: the user's caret stays where it is while typing.
    const std::wstring text = multiLine ? DisplayText(c.Text()) : W(c.Text());
    if (WindowText(child) != text) SetWindowTextW(child, text.c_str());
  });
}

HWND Binder::Combo(forms::ComboBox& c) {
  HWND child = Make(c, WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST);
  return Follow(c, child, [&c, child] {
    SendMessageW(child, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : c.Items())
      SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(item).c_str()));
    SendMessageW(child, CB_SETCURSEL, static_cast<WPARAM>(c.ListIndex()), 0);
  });
}

bool Binder::Command(WPARAM wParam, LPARAM lParam) {
  const HWND child = reinterpret_cast<HWND>(lParam);
  auto it = controls_.find(child);
  if (it == controls_.end()) return false;
  forms::Control& c = *it->second;
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

HWND Binder::List(forms::ListView& c, HIMAGELIST icons, std::vector<int> widths) {
  HWND child = Make(c, WC_LISTVIEWW,
                    WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                    WS_EX_CLIENTEDGE);
  DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP;
  if (c.CheckBoxes()) extended |= LVS_EX_CHECKBOXES;
  ListView_SetExtendedListViewStyle(child, extended);
  if (icons) ListView_SetImageList(child, icons, LVSIL_SMALL);
  lists_[child] = &c;
  defaultWidths_[child] = std::move(widths);
  SetWindowSubclass(child, StretchLastColumn, 0, 0);
  ApplyColumns(c, child);
  ListView_SetItemCountEx(child, c.Count(), LVSICF_NOSCROLL);
  ApplyCommon(c, child);
  c.Changed().Subscribe([this, &c, child] { ApplyCommon(c, child); });
  c.SubscribeRows(
      [this, &c, child](const forms::ListChange& change) { RowsChanged(c, child, change); });
  return child;
}

void Binder::ApplyColumns(forms::ListView& c, HWND child) {
  while (ListView_DeleteColumn(child, 0)) {
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  const std::vector<int>& defaults = defaultWidths_[child];
  for (int n = 1; n <= c.ColumnCount(); ++n) {
    std::wstring text = W(c.Column(n).text);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = text.data();
    const int width = c.Column(n).width;
    const bool unsized =
        width == forms::ColumnHeader{}.width && static_cast<size_t>(n) <= defaults.size();
    column.cx = unsized ? MulDiv(defaults[static_cast<size_t>(n - 1)], dpi, 96)
                        : MulDiv(width, dpi, 1440);  // twips
    column.iSubItem = n - 1;
    ListView_InsertColumn(child, n - 1, &column);
  }
  if (c.ColumnCount() > 0)
    ListView_SetColumnWidth(child, c.ColumnCount() - 1, LVSCW_AUTOSIZE_USEHEADER);
}

void Binder::RowsChanged(forms::ListView& c, HWND child, const forms::ListChange& change) {
  switch (change.kind) {
    case forms::ListChange::RowChanged:
      ListView_RedrawItems(child, change.index, change.index);
      return;
    case forms::ListChange::ColumnsChanged:
      ApplyColumns(c, child);
      break;
    case forms::ListChange::RowAdded:
      ListView_SetItemCountEx(child, c.Count(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
      ListView_RedrawItems(child, change.index, c.Count() - 1);
      return;
    default:
      ListView_SetItemCountEx(child, c.Count(), LVSICF_NOSCROLL);
      break;
  }
  InvalidateRect(child, nullptr, TRUE);
}

void Binder::DisplayInfo(forms::ListView& c, NMLVDISPINFOW& info) {
  LVITEMW& item = info.item;
  if (item.iItem < 0 || item.iItem >= c.Count()) return;
  const forms::ListItem& row = c.Item(item.iItem);
  if (item.mask & LVIF_TEXT) {
    cell_ = W(item.iSubItem == 0 ? row.text : row.SubItem(item.iSubItem));
    item.pszText = cell_.data();
  }
  if (item.mask & LVIF_IMAGE) item.iImage = row.smallIcon > 0 ? row.smallIcon - 1 : I_IMAGENONE;
  if ((item.mask & LVIF_STATE) && c.CheckBoxes()) {
    item.state = INDEXTOSTATEIMAGEMASK(row.checked ? 2 : 1);
    item.stateMask = LVIS_STATEIMAGEMASK;
  }
}

HWND Binder::Picker(forms::DTPicker& c) {
  const bool time = c.CustomFormat().find_first_of("hHm") != std::string::npos &&
                    c.CustomFormat().find_first_of("dMy") == std::string::npos;
  HWND child = Make(c, DATETIMEPICK_CLASSW,
                    WS_TABSTOP | DTS_SHOWNONE | (time ? DTS_TIMEFORMAT : DTS_SHORTDATEFORMAT));
  pickers_[child] = &c;
  if (time) timePickers_.insert(child);
  DateTime_SetFormat(child, W(c.CustomFormat()).c_str());
  return Follow(c, child, [&c, child, time] {
    SYSTEMTIME value{};
    const auto parsed = c.Value() ? datetime::ParseGeneralDate(*c.Value()) : std::nullopt;
    if (parsed) {
      // A time alone keeps the control's own date: the picker holds no date before 1752.
      GetLocalTime(&value);
      if (!time) {
        value.wYear = static_cast<WORD>(parsed->year);
        value.wMonth = static_cast<WORD>(parsed->month);
        value.wDay = static_cast<WORD>(parsed->day);
      }
      value.wHour = static_cast<WORD>(parsed->hour);
      value.wMinute = static_cast<WORD>(parsed->minute);
      value.wSecond = static_cast<WORD>(parsed->second);
    }
    DateTime_SetSystemtime(child, parsed ? GDT_VALID : GDT_NONE, &value);
  });
}

bool Binder::Notify(const NMHDR& header, LRESULT& result) {
  if (auto picker = pickers_.find(header.hwndFrom);
      picker != pickers_.end() && header.code == DTN_DATETIMECHANGE) {
    const auto& change = reinterpret_cast<const NMDATETIMECHANGE&>(header);
    std::optional<std::string> value;
    if (change.dwFlags == GDT_VALID) {
      const SYSTEMTIME& st = change.st;
      datetime::LocalDateTime dt;  // a time alone is a time on the day of no date
      if (!timePickers_.count(header.hwndFrom)) dt = {st.wYear, st.wMonth, st.wDay, 0, 0, 0};
      dt.hour = st.wHour;
      dt.minute = st.wMinute;
      dt.second = st.wSecond;
      value = datetime::GeneralDate(dt);
    }
    if (value != picker->second->Value()) picker->second->UserChange(value);
    result = 0;
    return true;
  }
  auto it = lists_.find(header.hwndFrom);
  if (it == lists_.end()) return false;
  forms::ListView& c = *it->second;
  result = 0;
  const int selected = ListView_GetNextItem(header.hwndFrom, -1, LVNI_SELECTED);
  switch (header.code) {
    case LVN_GETDISPINFOW:
      DisplayInfo(c, *reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
      return true;
    case NM_CLICK: {
      // A click on a row's box ticks it: a list asked for its rows draws the boxes only.
      LVHITTESTINFO hit{};
      GetCursorPos(&hit.pt);
      ScreenToClient(header.hwndFrom, &hit.pt);
      const int row = ListView_HitTest(header.hwndFrom, &hit);
      if (c.CheckBoxes() && row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON))
        c.UserCheck(row, !c.Item(row).checked);
      return true;
    }
    case LVN_KEYDOWN:
      if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE && c.CheckBoxes() &&
          selected >= 0)
        c.UserCheck(selected, !c.Item(selected).checked);
      return true;
    case NM_DBLCLK: {
      const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
      if (row >= 0 && row < c.Count()) c.UserDoubleClick(row);
      return true;
    }
    case LVN_COLUMNCLICK:
      c.UserColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
      return true;
    case LVN_ITEMCHANGED:
      if (selected >= 0 && selected < c.Count() && !c.Item(selected).selected)
        c.SetSelected(selected, true);
      return true;
    default:
      return false;
  }
}

}  // namespace quill::win
