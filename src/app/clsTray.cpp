#include "app/clsTray.h"

#include "app/Application.h"
#include "app/TrayWindows.h"
#include "app/frmMenuPopUp.h"
#include "app/frmSignatureUpdated.h"
#include "base/Unicode.h"

namespace quill {

namespace {
// The tip field of the icon record holds at most 63 bytes and a zero. A character that does
// not fit whole is left out rather than cut in half.
std::string Tip(const std::string& text) {
  return unicode::Utf8Prefix(text, 63);
}
}  // namespace

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
  auto& menu = windows_.MenuPopUp();
  if (menu.Loaded() && menu.Visible()) {
    menu.Form_MouseMove();  // on screen already: it just stays a while longer
    return;
  }
  if (menu.Loaded()) menu.Unload();
  menu.Load();
}

void clsTray::HideMenu() {
  auto* menu = app_.FindWindow<frmMenuPopUp>();
  if (!menu || !menu->Loaded()) return;
  // The slide timers show the window on every tick: they stop with it.
  menu->tmrMenuPopup.Enable(false);
  menu->TmrEnablePopDown.Enable(false);
  menu->tmrPopDown.Enable(false);
  menu->Hide();
}

void clsTray::EnableRestoreEntry() {
  if (auto* menu = app_.FindWindow<frmMenuPopUp>()) menu->mnuMaxmimaize.SetEnabled(true);
}

void clsTray::ShowDebugWindow(int index) {
  if (index != 1) return;
  auto& notice = windows_.SignatureUpdated();
  if (notice.Loaded()) notice.Unload();
  notice.Load();
}

}  // namespace quill
