#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "views/FormWindow.h"

namespace quill {
class FrmMain;
}

namespace quill::forms {
class Menu;
}

namespace quill::win {

/// The main window: the navigation bar, the four pages (Home, Scan, Results, Options) and the
/// menu bar, every child bound to its control of `FrmMain`.
class MainWindow : public FormWindow {
 public:
  MainWindow(FrmMain& form, const std::string& programName);
  HWND ChildOf(const forms::Control& c) const override;

 private:
  /// A child placed in its pane at 96 dots per inch; `grow` says how it follows the pane's
  /// size: kWide and kTall stretch it, kRight and kBottom move it with that edge.
  enum Grow { kFixed = 0, kWide = 1, kTall = 2, kRight = 4, kBottom = 8 };
  struct Slot {
    HWND child;
    RECT at;
    int grow;
  };
  struct Pane {
    HWND window;
    std::unique_ptr<Binder> binder;
    std::vector<Slot> slots;
    SIZE design{760, 600};  // the size the slots are given for, at 96 dots per inch
  };

  void Layout(int width, int height) override;
  static RECT WorkArea();
  void FitWorkArea();
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  Pane& NewPane(HWND parent);
  void Put(Pane& pane, HWND child, int x, int y, int w, int h, int grow = kFixed);
  void LayoutPane(const Pane& pane);
  void BuildSidebar(Pane& bar, const std::string& programName);
  void BuildHome(Pane& page);
  void BuildScan(Pane& page);
  void BuildResults(Pane& page);
  void BuildOptions(Pane& page);
  void BuildMenus();
  void WatchMenus();
  /// A heading label bound to a page's frame (its caption is the page's title).
  HWND PageTitle(Pane& page, forms::Control& frame);
  void SyncPage();
  void SyncTabs();
  void SyncStageMarker();

  FrmMain& form_;
  std::vector<std::unique_ptr<Pane>> panes_;  // the bar, the four pages, the option tabs
  std::vector<HWND> pages_;
  std::vector<HWND> tabPanes_;
  HWND tabs_ = nullptr;
  std::vector<std::pair<forms::Control*, HWND>> stageMarkers_;
  std::map<UINT, forms::Menu*> menuItems_;
  bool menusPending_ = false;
};

}  // namespace quill::win
