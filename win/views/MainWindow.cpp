#include "views/MainWindow.h"

#include <commctrl.h>

#include <algorithm>

#include "Fonts.h"
#include "Win32Host.h"
#include "app/FrmMain.h"

namespace quill::win {

namespace {

constexpr wchar_t kPaneClass[] = L"QuillonetPane";
constexpr int kBarWidth = 210;
constexpr UINT kFirstMenuId = 40000;
constexpr UINT kRebuildMenus = WM_APP + 20;

// A pane holds children of the window and hands their messages up to it.
LRESULT CALLBACK PaneProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND || msg == WM_NOTIFY)
    return SendMessageW(GetParent(hwnd), msg, wParam, lParam);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

MainWindow::MainWindow(FrmMain& form, const std::string& programName)
    : FormWindow(form, 1000, 660, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN), form_(form) {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PaneProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kPaneClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
  // Layout hints the stage marker follows: the scan driver moves it beside the caption of
  // the stage that runs, so each counter caption gets a row of its own.
  int row = 0;
  for (forms::Label* caption :
       {&form_.Label9, &form_.Label10, &form_.Label11, &form_.Label12, &form_.Label13})
    caption->Move(600, 300 * ++row);
  form_.shpStageMarker.SetWidth(200);

  BuildSidebar(NewPane(Handle()), programName);
  for (auto build : {&MainWindow::BuildHome, &MainWindow::BuildScan, &MainWindow::BuildResults,
                     &MainWindow::BuildOptions}) {
    Pane& page = NewPane(Handle());
    pages_.push_back(page.window);
    (this->*build)(page);
  }
  BuildMenus();
  WatchMenus();
  for (forms::Control* frame : std::initializer_list<forms::Control*>{
           &form_.fraHome, &form_.fraScan, &form_.frmResults, &form_.fraOptions})
    frame->Changed().Subscribe([this] { SyncPage(); });
  form_.shpStageMarker.Changed().Subscribe([this] { SyncStageMarker(); });
  form_.TabStrip1.Changed().Subscribe([this] { SyncTabs(); });
  SyncPage();
  SyncTabs();
  SyncStageMarker();
  // The option tabs grow from the display area their strip has at the design size.
  RECT area{0, 0, Px(704), Px(520)};
  TabCtrl_AdjustRect(tabs_, FALSE, &area);
  for (auto& pane : panes_)
    if (std::find(tabPanes_.begin(), tabPanes_.end(), pane->window) != tabPanes_.end())
      pane->design = {(area.right - area.left) * 96 / Px(96),
                      (area.bottom - area.top) * 96 / Px(96)};
  Built();
  FitWorkArea();
}

RECT MainWindow::WorkArea() {
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

// The design size at this screen's density, but never larger than the work area (a small
// screen, a large density), in the middle of it.
void MainWindow::FitWorkArea() {
  const RECT work = WorkArea();
  RECT own{};
  GetWindowRect(Handle(), &own);
  const int w = std::min<int>(own.right - own.left, work.right - work.left);
  const int h = std::min<int>(own.bottom - own.top, work.bottom - work.top);
  SetWindowPos(Handle(), nullptr, work.left + (work.right - work.left - w) / 2,
               work.top + (work.bottom - work.top - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND MainWindow::ChildOf(const forms::Control& c) const {
  if (&c == &form_.TabStrip1) return tabs_;
  for (const auto& pane : panes_)
    if (HWND child = pane->binder->ChildOf(c)) return child;
  return nullptr;
}

MainWindow::Pane& MainWindow::NewPane(HWND parent) {
  auto pane = std::make_unique<Pane>();
  pane->window =
      CreateWindowExW(WS_EX_CONTROLPARENT, kPaneClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                      0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  pane->binder = std::make_unique<Binder>(pane->window);
  panes_.push_back(std::move(pane));
  return *panes_.back();
}

void MainWindow::Put(Pane& pane, HWND child, int x, int y, int w, int h, int grow) {
  pane.slots.push_back({child, {x, y, x + w, y + h}, grow});
}

void MainWindow::LayoutPane(const Pane& pane) {
  RECT client{};
  GetClientRect(pane.window, &client);
  // What grows, grows by the difference from the pane's design size.
  const int extraW =
      std::max<int>(0, static_cast<int>(client.right) * 96 / Px(96) - pane.design.cx);
  const int extraH =
      std::max<int>(0, static_cast<int>(client.bottom) * 96 / Px(96) - pane.design.cy);
  for (const Slot& slot : pane.slots) {
    RECT r = slot.at;
    if (slot.grow & kRight) OffsetRect(&r, extraW, 0);
    if (slot.grow & kBottom) OffsetRect(&r, 0, extraH);
    if (slot.grow & kWide) r.right += extraW;
    if (slot.grow & kTall) r.bottom += extraH;
    Place(slot.child, r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  InvalidateRect(pane.window, nullptr, TRUE);
}

void MainWindow::Layout(int width, int height) {
  const int bar = Px(kBarWidth);
  MoveWindow(panes_[0]->window, 0, 0, bar, height, TRUE);
  for (HWND page : pages_) MoveWindow(page, bar, 0, std::max(0, width - bar), height, TRUE);
  for (const auto& pane : panes_) {
    LayoutPane(*pane);
    if (pane->window != pages_.back() || !tabs_) continue;
    // The option tabs fill the tab control's display area, once it has its place.
    RECT area{};
    GetClientRect(tabs_, &area);
    TabCtrl_AdjustRect(tabs_, FALSE, &area);
    MapWindowPoints(tabs_, GetParent(tabs_), reinterpret_cast<POINT*>(&area), 2);
    for (HWND tab : tabPanes_)
      MoveWindow(tab, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
  }
}

bool MainWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == kRebuildMenus) {
    menusPending_ = false;
    BuildMenus();
    return true;
  }
  if (msg == WM_COMMAND && lParam == 0 && HIWORD(wParam) == 0) {
    auto item = menuItems_.find(LOWORD(wParam));
    if (item != menuItems_.end()) item->second->Click();
    return true;
  }
  if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->hwndFrom == tabs_) {
    if (reinterpret_cast<const NMHDR*>(lParam)->code == TCN_SELCHANGE)
      form_.TabStrip1.SelectTab(TabCtrl_GetCurSel(tabs_) + 1);
    return true;
  }
  if (msg == WM_COMMAND) {
    for (const auto& pane : panes_)
      if (pane->binder->Command(wParam, lParam)) return true;
  }
  if (msg == WM_NOTIFY) {
    for (const auto& pane : panes_)
      if (pane->binder->Notify(*reinterpret_cast<const NMHDR*>(lParam), result)) return true;
  }
  if (msg == WM_GETMINMAXINFO) {
    auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
    const RECT work = WorkArea();
    limits->ptMinTrackSize = {std::min<LONG>(Px(kBarWidth + 760), work.right - work.left),
                              std::min<LONG>(Px(600), work.bottom - work.top)};
    return true;
  }
  return FormWindow::OnMessage(msg, wParam, lParam, result);
}

void MainWindow::SyncPage() {
  int page = -1;
  if (form_.fraHome.Visible()) page = 0;
  if (form_.fraScan.Visible()) page = 1;
  if (form_.frmResults.Visible()) page = 2;
  if (form_.fraOptions.Visible()) page = 3;
  if (page < 0) return;
  for (size_t i = 0; i < pages_.size(); ++i)
    ShowWindow(pages_[i], static_cast<int>(i) == page ? SW_SHOW : SW_HIDE);
}

void MainWindow::SyncTabs() {
  const auto& strip = form_.TabStrip1;
  while (TabCtrl_GetItemCount(tabs_) < strip.TabCount()) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(L"");
    TabCtrl_InsertItem(tabs_, TabCtrl_GetItemCount(tabs_), &item);
  }
  for (int t = 1; t <= strip.TabCount(); ++t) {
    std::wstring text = W(strip.TabCaption(t));
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    TabCtrl_SetItem(tabs_, t - 1, &item);
  }
  TabCtrl_SetCurSel(tabs_, strip.SelectedTab() - 1);
  for (size_t i = 0; i < tabPanes_.size(); ++i)
    ShowWindow(tabPanes_[i], static_cast<int>(i) + 1 == strip.SelectedTab() ? SW_SHOW : SW_HIDE);
}

void MainWindow::SyncStageMarker() {
  const auto& marker = form_.shpStageMarker;
  for (auto& [caption, arrow] : stageMarkers_) {
    const bool here = marker.Visible() && marker.Top() == caption->Top();
    SetWindowTextW(arrow, here ? L"\u25B6" : L"");
  }
}

void MainWindow::BuildMenus() {
  menuItems_.clear();
  HMENU bar = CreateMenu();
  std::map<std::string, HMENU> menus;
  UINT next = kFirstMenuId;
  for (forms::Control* control : form_.Controls()) {
    auto* item = dynamic_cast<forms::Menu*>(control);
    if (!item || !item->Visible()) continue;
    if (item->Parent().empty()) {
      HMENU menu = CreatePopupMenu();
      menus[item->Name()] = menu;
      AppendMenuW(bar, MF_POPUP | (item->Enabled() ? 0 : MF_GRAYED),
                  reinterpret_cast<UINT_PTR>(menu), W(item->Caption()).c_str());
      continue;
    }
    auto menu = menus.find(item->Parent());
    if (menu == menus.end()) continue;
    if (item->Caption() == "-") {
      AppendMenuW(menu->second, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const UINT id = next++;
    menuItems_[id] = item;
    AppendMenuW(menu->second,
                MF_STRING | (item->Enabled() ? 0 : MF_GRAYED) | (item->Checked() ? MF_CHECKED : 0),
                id, W(item->Caption()).c_str());
  }
  HMENU old = GetMenu(Handle());
  SetMenu(Handle(), bar);
  if (old) DestroyMenu(old);
}

void MainWindow::WatchMenus() {
  // A menu bar cannot hide an entry: a change of any entry makes the bar anew, once, after
  // the handler that changed it has run.
  for (forms::Control* control : form_.Controls()) {
    if (!dynamic_cast<forms::Menu*>(control)) continue;
    control->Changed().Subscribe([this] {
      if (menusPending_) return;
      menusPending_ = true;
      PostMessageW(Handle(), kRebuildMenus, 0, 0);
    });
  }
}

}  // namespace quill::win
