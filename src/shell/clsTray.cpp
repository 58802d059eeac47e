#include "shell/clsTray.h"

#include "app/Application.h"
#include "app/FrmMain.h"

namespace quill {

namespace {
// The tip field of the icon record holds at most 63 characters and a zero.
std::string Tip(const std::string& text) {
  return text.substr(0, 63);
}
}  // namespace

clsTray& clsTray::Instance(Application& app) {
  return app.Tray();
}

void clsTray::ShowIcon(forms::Form& window) {
  app_.Host().TrayAdd(window, Tip(window.Caption()));
  // A failed add still counts as running in the tray, as the icon call reports nothing.
  shown_.insert(&window);
}

void clsTray::RemoveIcon(forms::Form& window) {
  app_.Host().TrayDelete(window);
  shown_.erase(&window);
}

void clsTray::ChangeToolTip(forms::Form& window, const std::string& text) {
  if (!bRunningInTray(window)) return;
  app_.Host().TrayModify(window, Tip(text));
}

void clsTray::ShowMenu() {
  if (hooks_.show) {
    hooks_.show();
    return;
  }
  auto& main = app_.Main();
  main.SetState(forms::WindowState::Normal);
  main.Show();
}

void clsTray::HideMenu() {
  if (hooks_.hide) hooks_.hide();
}

void clsTray::EnableRestoreEntry() {
  if (hooks_.enableRestore) hooks_.enableRestore();
}

void clsTray::ShowDebugWindow(int index) {
  if (hooks_.debugWindow) hooks_.debugWindow(index);
}

}  // namespace quill
