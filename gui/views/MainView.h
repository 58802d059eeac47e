#pragma once

#include <QIcon>
#include <map>
#include <vector>

#include "views/FormView.h"

class QAbstractButton;
class QAction;
class QLabel;
class QLayout;
class QMenuBar;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QVBoxLayout;

namespace quill {
class Application;
class FrmMain;
}  // namespace quill

namespace quill::gui {

class ListWidget;

/// The main window: the navigation bar, the four pages (Home, Scan, Results, Options) and the
/// menu bar, every widget bound to its control of `FrmMain`.
class MainView : public FormView {
  Q_OBJECT

 public:
  MainView(Application& app, FrmMain& form);

  /// The widget bound to a control (by name and control-array index), for tests and tools.
  QWidget* WidgetFor(const std::string& name, std::optional<int> index = {}) const;
  /// The menu-bar entry bound to a menu control.
  QAction* ActionFor(const std::string& name, int index) const;
  ListWidget* ScanList() const { return scanList_; }
  ListWidget* ResultsList() const { return resultsList_; }
  QMenuBar* Menus() const { return menuBar_; }
  QTabBar* OptionTabs() const { return tabs_; }
  /// The page on show (0 Home, 1 Scan, 2 Results, 3 Options).
  int ShownPage() const;

 private:
  using OptionsFiller = void (MainView::*)(Binder*, QVBoxLayout*, forms::Frame*);

  QWidget* BuildSidebar();
  QWidget* BuildHome();
  QWidget* BuildScan();
  QWidget* BuildScanModes(Binder* b);
  QLayout* BuildScanActions(Binder* b);
  QWidget* BuildScanProgress(Binder* b);
  QLayout* BuildScanBars(Binder* b);
  QLayout* BuildScanCounters(Binder* b);
  QWidget* BuildResults();
  void AddResultsHeading(Binder* b, QVBoxLayout* col);
  void AddResultsActions(Binder* b, QVBoxLayout* col);
  QWidget* BuildOptions();
  void AddOptionsTab(QStackedWidget* stack, const std::vector<forms::Frame*>& frames,
                     OptionsFiller fill);
  void AddCheck(Binder* b, QVBoxLayout* into, forms::CheckBox& c);
  void AddOption(Binder* b, QLayout* into, forms::OptionButton& c);
  void FillScanOptions(Binder* b, QVBoxLayout* g, forms::Frame* frame);
  void FillProtection(Binder* b, QVBoxLayout* g, forms::Frame* frame);
  void FillSchedule(Binder* b, QVBoxLayout* g, forms::Frame* frame);
  void FillAutoUpdate(Binder* b, QVBoxLayout* g, forms::Frame* frame);
  void BindOptionTabs(QStackedWidget* stack);
  void BuildMenus();
  void SyncPage();
  void SyncStageMarker();
  /// A page's title, bound to the page's frame.
  QLabel* PageTitle(Binder* b, forms::Control& frame);
  template <class W>
  W* Make(forms::Control& control, QWidget* parent = nullptr) {
    auto* widget = new W(parent);
    Remember(control, widget);
    return widget;
  }
  void Remember(forms::Control& control, QWidget* widget);

  Application& app_;
  FrmMain& form_;
  int twipsPerPixel_ = 15;
  QMenuBar* menuBar_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QTabBar* tabs_ = nullptr;
  ListWidget* scanList_ = nullptr;
  ListWidget* resultsList_ = nullptr;
  std::vector<QPushButton*> navButtons_;
  std::vector<std::pair<forms::Control*, QLabel*>> stageMarkers_;
  std::map<std::pair<std::string, int>, QWidget*> widgets_;
  std::map<std::pair<std::string, int>, QAction*> actions_;
};

}  // namespace quill::gui
