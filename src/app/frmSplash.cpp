#include "app/frmSplash.h"

#include "app/Application.h"
#include "app/FrmMain.h"

namespace quill {

frmSplash::frmSplash(Application& app) : Form(app.Host(), "frmSplash", ""), app_(app) {
  OnLoad([this] { Form_Load(); });
  Timer2.OnTick([this] { Timer2_Timer(); });
}

void frmSplash::Form_Load() {
  ShowBrandAndCountDown();
}

void frmSplash::ShowBrandAndCountDown() {
  app_.brand = BrandProfile::FromIdentity(app_.Identity());
  lblProductName.SetCaption(app_.brand.programName);
  Timer2.Enable(true);
}

void frmSplash::Timer2_Timer() {
  CountDown();
}

void frmSplash::CountDown() {
  // The tick on which the counter holds 148 (the 75th) opens the main window.
  if (counter_ != 148) {
    counter_ += 2;
    return;
  }
  Timer2.Enable(false);
  auto& main = app_.Main();
  main.Load();
  if (!app_.Ended() && !main.Visible() && main.State() != forms::WindowState::Minimized)
    main.Show();
  Hide();
}

}  // namespace quill
