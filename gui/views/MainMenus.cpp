#include "views/MainView.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/FrmMain.h"

namespace quill::gui {

void MainView::BuildMenus() {
  std::map<std::string, QMenu*> menus;
  std::map<QMenu*, Binder*> mnemonicsOf;
  auto* top = new Binder(this);
  for (forms::Control* control : form_.Controls()) {
    auto* item = dynamic_cast<forms::Menu*>(control);
    if (!item) continue;
    if (item->Parent().empty()) {
      auto* menu = new QMenu(menuBar_);
      QAction* action = menuBar_->addMenu(menu);
      menus[item->Name()] = menu;
      mnemonicsOf[menu] = new Binder(this);
      auto apply = [item, action, menu, top] {
        action->setText(top->WithMnemonic(action, item->Caption()));
        action->setVisible(item->Visible());
        action->setEnabled(item->Enabled());
        menu->setTitle(action->text());
      };
      apply();
      item->Changed().Subscribe(apply);
      widgets_[{item->Name(), -1}] = menu;
      continue;
    }
    auto it = menus.find(item->Parent());
    if (it == menus.end()) continue;
    QMenu* menu = it->second;
    Binder* letters = mnemonicsOf[menu];
    auto* action = new QAction(menu);
    menu->addAction(action);
    auto apply = [item, action, letters] {
      const bool separator = item->Caption() == "-";
      action->setSeparator(separator);
      if (!separator) action->setText(letters->WithMnemonic(action, item->Caption()));
      action->setVisible(item->Visible());
      action->setEnabled(item->Enabled());
      action->setCheckable(item->Checked());
      action->setChecked(item->Checked());
    };
    apply();
    item->Changed().Subscribe(apply);
    connect(action, &QAction::triggered, this, [item] { item->Click(); });
    actions_[{item->Name(), item->Index().value_or(-1)}] = action;
  }
}

}  // namespace quill::gui
