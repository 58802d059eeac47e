#include "app/frmLanguage.h"

#include "app/Translation.h"
#include "core/FetchText.h"
#include "core/Settings.h"
#include "core/UpdateServer.h"
#include "forms/Host.h"

namespace quill {

namespace {

// Shown when the language file has no text for the download notice; an empty box would
// leave the user guessing whether anything happened.
constexpr const char* kDownloadedFallback = "The newest language file has been downloaded.";

}  // namespace

frmLanguage::frmLanguage(forms::Host& host, clsLanguages& catalog, platform::Internet& internet,
                         platform::Shell& shell, platform::SettingsStore& settings,
                         ApplyToMainWindow applyToMainWindow)
    : forms::Form(host, "frmLanguage", "Language"),
      Label1(*this, "Label1", "Please choose the language for this program:"),
      Combo1(*this, "Combo1"),
      cmdUpdate(*this, "cmdUpdate", "Check for Language Updates"),
      cmdTranslate(*this, "cmdTranslate", "Translate this program"),
      cmdOK(*this, "cmdOK", "OK"),
      catalog_(catalog),
      internet_(internet),
      shell_(shell),
      settings_(settings),
      applyToMainWindow_(std::move(applyToMainWindow)) {
  OnLoad([this] { Form_Load(); });
  Combo1.OnClick([this] { Combo1_Click(); });
  cmdUpdate.OnClick([this] { cmdUpdate_Click(); });
  cmdTranslate.OnClick([this] { cmdTranslate_Click(); });
  cmdOK.OnClick([this] { cmdOK_Click(); });
}

void frmLanguage::Form_Load() {
  ShowLanguages();
}

void frmLanguage::ShowLanguages() {
  const std::string current = catalog_.CurrentLanguage();
  Translate(current.empty() ? StoredLanguage() : current);
  FillLanguages();
}

void frmLanguage::Combo1_Click() {
  ChooseLanguage();
}

void frmLanguage::ChooseLanguage() {
  const std::string language = Combo1.Text();
  if (language.empty() || language == kChooseEntry || Combo1.ListIndex() == 0) return;
  settings::Write(Settings(), settings::Language, language);
  if (applyToMainWindow_) applyToMainWindow_(language);
  Translate(language);
}

void frmLanguage::cmdUpdate_Click() {
  UpdateLanguageFile();
}

void frmLanguage::UpdateLanguageFile() {
  if (!catalog_.ReplaceLanguageFile(FetchText(internet_, GetHost(), LanguageFileUrl()))) return;
  FillLanguages();
  std::string notice = FileMessage("MSG_DOWNLOADED");
  if (notice.empty()) notice = kDownloadedFallback;
  GetHost().MsgBox(notice, forms::MsgBoxButtons::OkOnly, forms::MsgBoxIcon::None,
                   catalog_.Brand().programName);
}

void frmLanguage::cmdTranslate_Click() {
  OpenLanguageFile();
}

void frmLanguage::OpenLanguageFile() {
  const std::string path = catalog_.LanguageFilePath();
  if (!catalog_.LangFileExists(path)) return;
  shell_.OpenDocument(path, platform::ShowStyle::NormalFocus);
}

void frmLanguage::cmdOK_Click() {
  Unload();
}

std::string frmLanguage::LanguageFileUrl() const {
  return UpdateServerBase() + "/Languages/" + std::to_string(catalog_.Brand().brandNumber) +
         "/Localization.txt";
}

void frmLanguage::FillLanguages() {
  Combo1.Clear();
  Combo1.AddItem(ChooseEntry());
  for (const std::string& name : catalog_.LanguageNames()) Combo1.AddItem(name);
  Combo1.SetText(StoredLanguage());
}

void frmLanguage::Translate(const std::string& language) {
  ChangeLanguage(catalog_, *this, language);
  if (Combo1.ListCount() > 0) Combo1.SetList(0, ChooseEntry());
  const std::string title = FileMessage("MSG_TITLELANGUAGE");
  if (!title.empty()) SetCaption(title);
}

std::string frmLanguage::FileMessage(const std::string& key) const {
  std::string message = catalog_.getMessages(key);
  if (message.empty()) message = catalog_.getCaption(key);
  return message;
}

std::string frmLanguage::ChooseEntry() const {
  const std::string entry = catalog_.getMessages("MSG_CHOOSE_LANGUAGE");
  return entry.empty() ? kChooseEntry : entry;
}

settings::Store frmLanguage::Settings() const {
  return settings::Store(settings_, catalog_.Brand().programName);
}

std::string frmLanguage::StoredLanguage() const {
  return settings::Read(Settings(), settings::Language);
}

}  // namespace quill
