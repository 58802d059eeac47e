#include "app/Application.h"

#include "app/Form8.h"
#include "app/FrmMain.h"
#include "app/MachineSettingsStore.h"
#include "app/ProtectionAlerts.h"
#include "app/Translation.h"
#include "app/clsTray.h"
#include "app/frmAbout.h"
#include "app/frmDelete.h"
#include "app/frmDownload.h"
#include "app/frmHidden.h"
#include "app/frmLanguage.h"
#include "app/frmMenuPopUp.h"
#include "app/frmPrefix.h"
#include "app/frmQuarantine.h"
#include "app/frmReport.h"
#include "app/frmSignatureUpdated.h"
#include "app/frmSplash.h"
#include "core/Settings.h"
#include "definitions/DefinitionSet.h"
#include "localization/MessageCatalog.h"

namespace quill {

Application::Application(forms::Host& host, platform::Platform& platform)
    : Program(host, platform) {
  machineSettings_ = std::make_unique<MachineSettingsStore>(
      Registry(), Host(), *platform.settings, Identity().companyName, Identity().productName);
  tray_ = std::make_unique<clsTray>(*this, *this);
}

Application::~Application() {
  // Windows hold references into the process state: destroy them first, newest first.
  processAlert_.reset();
  homePageAlert_.reset();
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

DefinitionHooks Application::MakeDefinitionHooks() {
  DefinitionHooks hooks = Program::MakeDefinitionHooks();
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
  return hooks;
}

void Application::ApplyCurrentLanguage(forms::Form& form) {
  std::string language = Catalog().CurrentLanguage();
  if (language.empty()) language = settings::Read(Settings(), settings::Language);
  ChangeLanguage(Catalog(), form, language);
}

template <class T, class... Extra>
T& Application::Window(std::unique_ptr<T>& slot, Extra&... extra) {
  if (!slot) {
    slot = std::make_unique<T>(*this, extra...);
    RegisterWindow(*slot);
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
    RegisterWindow(*menuPopUp_);
  }
  return *menuPopUp_;
}

frmHomePageChangedAlert& Application::HomePageAlert() {
  return Window(homePageAlert_);
}
frmSpywareFoundAlert& Application::ProcessAlert() {
  return Window(processAlert_);
}

frmLanguage& Application::Language() {
  if (!language_) {
    language_ = std::make_unique<frmLanguage>(
        Host(), Catalog(), Internet(), Shell(), *Platform().settings,
        [this](const std::string& language) { Main().ApplyLanguage(language); });
    RegisterWindow(*language_);
  }
  return *language_;
}

}  // namespace quill
