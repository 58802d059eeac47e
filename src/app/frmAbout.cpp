#include "app/frmAbout.h"

#include "app/Application.h"

namespace quill {

frmAbout::frmAbout(Application& app) : Form(app.Host(), "frmAbout", "About"), app_(app) {
  OnLoad([this] { Form_Load(); });
  cmdOK.OnClick([this] { Unload(); });
}

void frmAbout::Form_Load() {
  ShowIdentity();
}

void frmAbout::ShowIdentity() {
  const auto& id = app_.Identity();
  SetCaption("About " + app_.brand.programName);
  lblTitle.SetCaption(app_.brand.programName);
  lblVersion.SetCaption("Version " + std::to_string(id.versionMajor) + "." +
                        std::to_string(id.versionMinor));
  lblCompany.SetCaption(app_.brand.companyName);
  lblWebsite.SetCaption(app_.brand.website);
  // Opened in the language the user chose, like every other window.
  app_.ApplyCurrentLanguage(*this);
}

}  // namespace quill
