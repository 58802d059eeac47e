#pragma once

#include <QIcon>
#include <map>
#include <vector>

#include "views/FormView.h"

class QAbstractButton;
class QAction;
class QLabel;
class QMenuBar;
class QPushButton;
class QStackedWidget;
class QTabBar;

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

  /// Controls whose handlers are not part of this build yet: present, but disabled.
  static bool NotBuilt(const forms::Control& control);

 private:
  QWidget* BuildSidebar();
  QWidget* BuildHome();
  QWidget* BuildScan();
  QWidget* BuildResults();
  QWidget* BuildOptions();
  void BuildMenus();
  void SyncPage();
  void SyncStageMarker();
  template <class W>
  W* Make(forms::Control& control, QWidget* parent = nullptr);
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
