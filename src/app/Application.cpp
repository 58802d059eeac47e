#include "app/Application.h"

#include "app/Form8.h"
#include "app/FrmMain.h"
#include "app/MachineSettingsStore.h"
#include "app/frmAbout.h"
#include "app/frmHidden.h"
#include "app/frmPrefix.h"
#include "app/frmSplash.h"
#include "core/Settings.h"
#include "definitions/DefinitionSet.h"
#include "definitions/ExclusionList.h"
#include "definitions/LiveUpdate.h"
#include "definitions/ProtectedFloor.h"
#include "definitions/frmDownload.h"
#include "localization/MessageCatalog.h"
#include "localization/Translation.h"
#include "localization/frmLanguage.h"
#include "removal/frmDelete.h"
#include "removal/frmQuarantine.h"
#include "reports/frmReport.h"
#include "shell/clsTray.h"
#include "shell/frmMenuPopUp.h"
#include "shell/frmSignatureUpdated.h"

namespace quill {

Application::Application(forms::Host& host, platform::Platform& platform)
    : ProgramContext(host, platform), tokens_(*platform.shell) {
  catalog_ = std::make_unique<clsLanguages>(Files(), Identity().programFolder, brand);
  exclusions_ = std::make_unique<ExclusionList>(
      Files(), [this] { return dataFolder; }, [this] { Host().DoEvents(); });
  machineSettings_ = std::make_unique<MachineSettingsStore>(
      Registry(), Host(), *platform.settings, Identity().companyName, Identity().productName);
  tray_ = std::make_unique<clsTray>(*this, *this);
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

DefinitionSet& Application::Definitions() {
  // Made on first use, once start-up has fixed the data folder.
  if (!definitions_) {
    DefinitionHooks hooks;
    hooks.yield = [this] { Host().DoEvents(); };
    hooks.stopRequested = [this] { return Main().Scan().StopRequested; };
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
    definitions_ = std::make_unique<DefinitionSet>(Files(), dataFolder, tokens_, std::move(hooks));
  }
  return *definitions_;
}

ProtectedFloor& Application::Floor() {
  if (!floor_) {
    floor_ = std::make_unique<ProtectedFloor>(Files(), Shell());
    RefreshFloor();
  }
  return *floor_;
}

void Application::RefreshFloor() {
  if (!floor_) floor_ = std::make_unique<ProtectedFloor>(Files(), Shell());
  floor_->Refresh(dataFolder, Identity().programFolder);
}

std::string Application::Msg(const std::string& key) {
  return catalog_->getMessages(key);
}

void Application::ApplyCurrentLanguage(forms::Form& form) {
  std::string language = catalog_->CurrentLanguage();
  if (language.empty()) language = settings::Read(Settings(), settings::Language);
  ChangeLanguage(*catalog_, form, language);
}

template <class T, class... Extra>
T& Application::Window(std::unique_ptr<T>& slot, Extra&... extra) {
  if (!slot) {
    slot = std::make_unique<T>(*this, extra...);
    order_.push_back(slot.get());
  }
  return *slot;
}

FrmMain& Application::Main() {
  return Window(main_);
}
bool Application::MainLoaded() {
  return main_ && main_->Loaded();
}

void Application::CloseMain() {
  if (MainLoaded()) main_->Unload();
}

LiveUpdateResult Application::RunLiveUpdate() {
  return Main().RunLiveUpdate();
}

std::string Application::LanguageTemplate() {
  return Main().LanguageTemplate();
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
frmPrefix& Application::PrefixWindow() {
  return Window(prefix_);
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
  return Window(download_, *tray_);
}
frmSignatureUpdated& Application::SignatureUpdated() {
  if (!signatureUpdated_) {
    Window(signatureUpdated_).OnClosed([this] {
      if (download_) tray_->RemoveIcon(*download_);
    });
  }
  return *signatureUpdated_;
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
        Host(), *catalog_, Internet(), Shell(), *Platform().settings,
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
  Host().Quit();
}

}  // namespace quill
