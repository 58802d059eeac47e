// The main window's submission commands: "False positive", the typed file name, the consent
// box and the anonymous data sent after a removal.
#include "app/Application.h"
#include "app/FrmMain.h"
#include "core/FetchText.h"
#include "core/Settings.h"
#include "core/UpdateServer.h"
#include "reports/ScanEnd.h"
#include "reports/Submission.h"

namespace quill {
namespace {

class MainWindowSite : public SubmissionSite {
 public:
  explicit MainWindowSite(FrmMain& form) : form_(form), app_(form.App()) {}

  std::vector<std::string> TickedLocations() override {
    std::vector<std::string> locations;
    for (const auto& item : form_.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Items())
      if (item.checked) locations.push_back(item.SubItem(1));
    return locations;
  }
  forms::MsgBoxResult Ask(const std::string& text, forms::MsgBoxButtons buttons,
                          const std::string& title) override {
    return app_.Host().MsgBox(text, buttons, forms::MsgBoxIcon::None, title);
  }
  std::optional<std::string> AskText(const std::string& prompt, const std::string& title) override {
    return app_.Host().InputBox(prompt, title, "");
  }
  void ExcludeTicked() override { form_.cmdExclude_Click(); }
  std::string Fetch(const std::string& url) override {
    return FetchText(app_.Internet(), app_.Host(), url);
  }
  std::string Msg(const std::string& key) override { return app_.Msg(key); }
  std::string ProgramName() override { return app_.brand.programName; }

 private:
  FrmMain& form_;
  Application& app_;
};

}  // namespace

void FrmMain::cmdFalsePos_Click() {
  ReportFalsePositive();
}

void FrmMain::ReportFalsePositive() {
  MainWindowSite site(*this);
  Submissions(site, UpdateServerBase()).ReportFalsePositive();
}

void FrmMain::cmdSubmit_Click() {
  SubmitTypedFileName();
}

void FrmMain::SubmitTypedFileName() {
  MainWindowSite site(*this);
  const std::string typed = txtFilename.Text();
  const auto result = Submissions(site, UpdateServerBase()).SubmitFileName(typed);
  if (!result) return;
  Label26.SetCaption(*result);
  txtFilename.SetText("");
}

void FrmMain::txtFilename_KeyPress(int keyAscii) {
  if (keyAscii == 13) cmdSubmit_Click();
}

void FrmMain::chkSendData_MouseUp() {
  ConfirmSendData();
}

void FrmMain::ConfirmSendData() {
  if (Loading) return;
  MainWindowSite site(*this);
  const bool ticked =
      Submissions(site, UpdateServerBase()).ConfirmConsent(chkSendData.Value() == 1);
  if (ticked != (chkSendData.Value() == 1)) chkSendData.SetValue(ticked ? 1 : 0);
  settings::Write(App().Settings(), settings::SendData, chkSendData.Value() != 0);
}

void FrmMain::SendAnonymousData() {
  quill::SendAnonymousData(app_);
}

}  // namespace quill
