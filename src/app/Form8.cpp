#include "app/Form8.h"

#include "app/Application.h"
#include "core/Settings.h"

namespace quill {

Form8::Form8(Application& app) : Form(app.Host(), "Form8", ""), app_(app) {
  OnLoad([this] { Form_Load(); });
}

void Form8::Form_Load() {
  OpenHelpOnce();
}

void Form8::OpenHelpOnce() {
  std::string help = app_.Identity().programFolder + "\\Help.chm";
  auto attrs = app_.Files().Attributes(help);
  if (attrs && !(*attrs & platform::kAttrDirectory))
    app_.Shell().OpenDocument(help, platform::ShowStyle::NormalFocus);
  // Once per user: the per-user store holds the flag, so a machine store that cannot be
  // written (another user's machine, a running wineserver) does not bring the help back.
  settings::Write(app_.Settings(), settings::ShowHelp, false);
}

}  // namespace quill
