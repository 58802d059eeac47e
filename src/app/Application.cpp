#include "app/Application.h"

#include "app/Form8.h"
#include "app/FrmMain.h"
#include "app/MachineSettingsStore.h"
#include "app/frmAbout.h"
#include "app/frmHidden.h"
#include "app/frmSplash.h"
#include "definitions/DefinitionSet.h"
#include "definitions/LiveUpdate.h"
#include "definitions/ProtectedFloor.h"
#include "definitions/frmDownload.h"
#include "localization/MessageCatalog.h"
#include "localization/Translation.h"
#include "localization/frmLanguage.h"
#include "removal/frmDelete.h"
#include "removal/frmQuarantine.h"
#include "reports/ExclusionList.h"
#include "reports/frmReport.h"
#include "shell/clsTray.h"
#include "shell/frmMenuPopUp.h"
#include "shell/frmSignatureUpdated.h"

namespace quill {

Application::Application(forms::Host& host, platform::Platform& platform)
    : host_(host),
      platform_(platform),
      identity_(platform.system->Identity()),
      tokens_(*platform.shell) {
  brand = BrandProfile::FromIdentity(identity_);
  catalog_ = std::make_unique<clsLanguages>(*platform_.files, identity_.programFolder, brand);
  exclusions_ = std::make_unique<ExclusionList>(
      *platform_.files, [this] { return dataFolder; }, [this] { host_.DoEvents(); });
  machineSettings_ =
      std::make_unique<MachineSettingsStore>(*platform_.registry, host_, *platform_.settings,
                                             identity_.companyName, identity_.productName);
  tray_ = std::make_unique<clsTray>(*this);
  updater_ = std::make_unique<LiveUpdate>(*this);
}

Application::~Application() {
  // Windows hold references into the process state: destroy them first, newest first.
  adopted_.clear();
  menuPopUp_.reset();
  signatureUpdated_.reset();
  download_.reset();
  help_.reset();
  hidden_.reset();
  about_.reset();
  report_.reset();
  delete_.reset();
  quarantine_.reset();
  language_.reset();
  splash_.reset();
  main_.reset();
}

std::string Application::GetSetting(const std::string& section, const std::string& key,
                                    const std::string& defaultValue) {
  return platform_.settings->Get(identity_.productName, section, key, defaultValue);
}

void Application::SaveSetting(const std::string& section, const std::string& key,
                              const std::string& value) {
  platform_.settings->Save(identity_.productName, section, key, value);
}

DefinitionSet& Application::Definitions() {
  // Made on first use, once start-up has fixed the data folder.
  if (!definitions_) {
    DefinitionHooks hooks;
    hooks.yield = [this] { host_.DoEvents(); };
    hooks.stopRequested = [this] { return StopRequested; };
    hooks.loadBegin = [this] {
      auto& main = Main();
      main.cmdPause.SetEnabled(false);
      main.cmdStop.SetEnabled(false);
      main.lblStatus[0].SetCaption("Loading definitions, please wait...");
    };
    hooks.loadEnd = [this] {
      auto& main = Main();
      main.cmdPause.SetEnabled(true);
      main.cmdStop.SetEnabled(true);
    };
    definitions_ =
        std::make_unique<DefinitionSet>(*platform_.files, dataFolder, tokens_, std::move(hooks));
  }
  return *definitions_;
}

ProtectedFloor& Application::Floor() {
  if (!floor_) {
    floor_ = std::make_unique<ProtectedFloor>(*platform_.files, *platform_.shell);
    RefreshFloor();
  }
  return *floor_;
}

void Application::RefreshFloor() {
  if (!floor_) floor_ = std::make_unique<ProtectedFloor>(*platform_.files, *platform_.shell);
  floor_->Refresh(dataFolder, identity_.programFolder);
}

std::string Application::Msg(const std::string& key) {
  return catalog_->getMessages(key);
}

void Application::ApplyCurrentLanguage(forms::Form& form) {
  std::string language = catalog_->CurrentLanguage();
  if (language.empty()) language = GetSetting("Settings", "Language", "English");
  ChangeLanguage(*catalog_, form, language);
}

template <class T>
T& Application::Window(std::unique_ptr<T>& slot) {
  if (!slot) {
    slot = std::make_unique<T>(*this);
    order_.push_back(slot.get());
  }
  return *slot;
}

FrmMain& Application::Main() {
  return Window(main_);
}
frmSplash& Application::Splash() {
  return Window(splash_);
}
frmDelete& Application::DeleteFailed() {
  return Window(delete_);
}
frmQuarantine& Application::QuarantineWindow() {
  return Window(quarantine_);
}
frmReport& Application::Report() {
  return Window(report_);
}
frmAbout& Application::About() {
  return Window(about_);
}
frmHidden& Application::Hidden() {
  return Window(hidden_);
}
Form8& Application::HelpLauncher() {
  return Window(help_);
}
frmDownload& Application::Download() {
  return Window(download_);
}
frmSignatureUpdated& Application::SignatureUpdated() {
  return Window(signatureUpdated_);
}
frmMenuPopUp& Application::MenuPopUp() {
  if (!menuPopUp_) {
    menuPopUp_ = std::make_unique<frmMenuPopUp>(*this, Main());
    order_.push_back(menuPopUp_.get());
  }
  return *menuPopUp_;
}

frmLanguage& Application::Language() {
  if (!language_) {
    language_ = std::make_unique<frmLanguage>(
        host_, *catalog_, *platform_.internet, *platform_.shell, *platform_.settings,
        [this](const std::string& language) { Main().ApplyLanguage(language); });
    order_.push_back(language_.get());
  }
  return *language_;
}

std::vector<forms::Form*> Application::Windows() const {
  return order_;
}

void Application::AdoptWindow(std::unique_ptr<forms::Form> form) {
  order_.push_back(form.get());
  adopted_.push_back(std::move(form));
}

void Application::End() {
  ended_ = true;
  host_.Quit();
}

}  // namespace quill
