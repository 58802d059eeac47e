#include "app/SmallWindows.h"

#include "app/Application.h"
#include "app/FrmMain.h"
#include "app/MachineSettingsStore.h"

namespace quill {

frmSplash::frmSplash(Application& app) : Form(app.Host(), "frmSplash", ""), app_(app) {
  OnLoad([this] { Form_Load(); });
  Timer2.OnTick([this] { Timer2_Timer(); });
}

void frmSplash::Form_Load() {
  app_.brand = BrandProfile::FromIdentity(app_.Identity());
  lblProductName.SetCaption(app_.brand.programName);
  Timer2.Enable(true);
}

void frmSplash::Timer2_Timer() {
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

frmAbout::frmAbout(Application& app) : Form(app.Host(), "frmAbout", "About"), app_(app) {
  OnLoad([this] {
    const auto& id = app_.Identity();
    SetCaption("About " + app_.brand.programName);
    lblTitle.SetCaption(app_.brand.programName);
    lblVersion.SetCaption("Version " + std::to_string(id.versionMajor) + "." +
                          std::to_string(id.versionMinor));
    lblCompany.SetCaption(app_.brand.companyName);
    lblWebsite.SetCaption(app_.brand.website);
  });
  cmdOK.OnClick([this] { Unload(); });
}

frmHidden::frmHidden(Application& app) : Form(app.Host(), "frmHidden", "") {}

Form8::Form8(Application& app) : Form(app.Host(), "Form8", ""), app_(app) {
  OnLoad([this] { Form_Load(); });
}

void Form8::Form_Load() {
  std::string help = app_.Identity().programFolder + "\\Help.chm";
  auto attrs = app_.Files().Attributes(help);
  if (attrs && !(*attrs & platform::kAttrDirectory))
    app_.Shell().OpenDocument(help, platform::ShowStyle::NormalFocus);
  // Once per user: the per-user store holds the flag, so a machine store that cannot be
  // written (another user's machine, a running wineserver) does not bring the help back.
  app_.SaveSetting("Settings", "showHelp", "0");
}

}  // namespace quill
