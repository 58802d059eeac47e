#include "app/ProtectionAlerts.h"

#include "app/Application.h"
#include "base/Text.h"
#include "core/ProcessTools.h"
#include "definitions/ExclusionList.h"

namespace quill {

frmHomePageChangedAlert::frmHomePageChangedAlert(Application& app)
    : Form(app.Host(), "frmHomePageChangedAlert", "[ProgramName]"), app_(app) {
  OnLoad([this] { Form_Load(); });
  cmdYes.OnClick([this] { cmdYes_Click(); });
  cmdNO.OnClick([this] { cmdNO_Click(); });
}

void frmHomePageChangedAlert::Form_Load() {
  ShowInCurrentLanguage();
}

void frmHomePageChangedAlert::cmdYes_Click() {
  Answer(onKeep);
}

void frmHomePageChangedAlert::cmdNO_Click() {
  Answer(onAccept);
}

void frmHomePageChangedAlert::ShowInCurrentLanguage() {
  lblFrmHomePageProductName.SetCaption(app_.brand.programName);
  app_.ApplyCurrentLanguage(*this);
}

void frmHomePageChangedAlert::Answer(const std::function<void()>& action) {
  if (action) action();
  Unload();
}

frmSpywareFoundAlert::frmSpywareFoundAlert(Application& app)
    : Form(app.Host(), "frmSpywareFoundAlert", "[ProgramName]"), app_(app) {
  OnLoad([this] { app_.ApplyCurrentLanguage(*this); });
  cmdYes.OnClick([this] { cmdYes_Click(); });
  cmdNO.OnClick([this] { cmdNO_Click(); });
}

void frmSpywareFoundAlert::cmdYes_Click() {
  StopMatchedProcess();
}

void frmSpywareFoundAlert::StopMatchedProcess() {
  cmdYes.SetEnabled(false);
  Answered = true;
  const std::string fileName = text::Trim(lblAlertFileName.Caption());
  // Exactly the process that matched: another one of the same name may be a different
  // program altogether.
  if (!StopProcessById(app_, ProcessId))
    GetHost().MsgBox(text::ToUpper(fileName) + " " + app_.Msg("MSG_ERROR_STOPPED"),
                     forms::MsgBoxButtons::OkOnly, forms::MsgBoxIcon::Information,
                     app_.brand.programName);
  Unload();
}

void frmSpywareFoundAlert::cmdNO_Click() {
  AllowMatchedProgram();
}

void frmSpywareFoundAlert::AllowMatchedProgram() {
  Answered = true;
  // A file that cannot be written leaves the program unexcluded; the alert closes all the same.
  app_.Exclusions().AppendLine(text::Trim(lblAlertFileName.Caption()), true);
  Unload();
}

void ShieldAlertWindows::AskAboutHomePage(const std::string& question, std::function<void()> keep,
                                          std::function<void()> accept) {
  auto& alert = app_.HomePageAlert();
  alert.onKeep = std::move(keep);
  alert.onAccept = std::move(accept);
  alert.Load();
  alert.lblHomePageInfo.SetCaption(question);
  alert.Show(true);
}

void ShieldAlertWindows::AlertAboutProcess(const std::string& fileName, const std::string& company,
                                           uint32_t pid) {
  auto& alert = app_.ProcessAlert();
  alert.Load();
  alert.Answered = false;
  alert.ProcessId = pid;
  alert.cmdYes.SetEnabled(true);
  alert.lblAlertCompanyName.SetCaption(company);
  alert.lblAlertFileName.SetCaption(fileName);
  alert.Show();
  // Blocks on the event queue (no polling) until a button closes the window or the program
  // ends; the window stays modeless meanwhile.
  alert.GetHost().RunModal(alert);
  if (alert.Loaded() && !alert.Answered) alert.Unload();
}

}  // namespace quill
