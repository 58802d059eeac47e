#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/TrayWindows.h"
#include "forms/Form.h"
#include "program/Program.h"

namespace quill {

class MachineSettingsStore;
class FrmMain;
class frmSplash;
class frmLanguage;
class frmDelete;
class frmQuarantine;
class frmPrefix;
class frmReport;
class frmAbout;
class frmHidden;
class Form8;
class frmDownload;
class frmSignatureUpdated;
class frmMenuPopUp;
class frmHomePageChangedAlert;
class frmSpywareFoundAlert;
class clsTray;
class UpdateProgressView;

/// The desktop program: the program (Program) with its windows, which are made on first use
/// and live until the process ends.
class Application : public Program, public TrayWindows {
 public:
  Application(forms::Host& host, platform::Platform& platform);
  ~Application() override;

  MachineSettingsStore& MachineSettings() { return *machineSettings_; }
  /// The notification-area icon.
  clsTray& Tray() { return *tray_; }
  /// What a Live Update run shows instead of the download window and the notice
  /// (UpdateWindows), when a test sets it; null by default.
  UpdateProgressView* UpdateView() { return updateView_; }
  void SetUpdateView(UpdateProgressView* view) { updateView_ = view; }

  // --- Windows ---------------------------------------------------------------------------
  /// Every window that exists, in creation order (the language template walks the loaded
  /// ones).
  std::vector<forms::Form*> Windows() const { return order_; }
  template <class T>
  T* FindWindow() const {
    for (auto* f : order_)
      if (auto* t = dynamic_cast<T*>(f)) return t;
    return nullptr;
  }
  /// Translates a window into the program's current language (the stored one before any
  /// window was translated): windows that appear on their own use it when they load.
  void ApplyCurrentLanguage(forms::Form& form);

  /// Windows are created on first use (as the classic runtime loads a window when it is
  /// first referred to) and live until the process ends.
  FrmMain& Main();
  frmSplash& Splash();
  frmLanguage& Language();
  frmDelete& DeleteFailed();
  /// What the quarantine holds, with restore and delete.
  frmQuarantine& QuarantineWindow();
  /// The choice of the Wine prefix to protect (posix).
  frmPrefix& PrefixWindow();
  frmReport& Report();
  frmAbout& About();
  frmHidden& Hidden();
  Form8& HelpLauncher();
  /// Live Update's download window and the "definitions updated" notice.
  frmDownload& Download();
  frmSignatureUpdated& SignatureUpdated() override;
  /// The tray icon's slide-up menu.
  frmMenuPopUp& MenuPopUp() override;
  /// The home page shield's question and the process shield's alert.
  frmHomePageChangedAlert& HomePageAlert();
  frmSpywareFoundAlert& ProcessAlert();

  /// The prefix the user chose to protect instead of this one: the desktop program starts
  /// again on it once this run has ended; empty when none was chosen.
  std::string nextPrefix;

 protected:
  /// The tables' load shows on the scan page, and the scan page's Stop stops it.
  DefinitionHooks MakeDefinitionHooks() override;

 private:
  template <class T, class... Extra>
  T& Window(std::unique_ptr<T>& slot, Extra&... extra);
  /// Counts a window among Windows(), in creation order.
  void RegisterWindow(forms::Form& form) { order_.push_back(&form); }

  std::unique_ptr<MachineSettingsStore> machineSettings_;
  std::unique_ptr<clsTray> tray_;
  UpdateProgressView* updateView_ = nullptr;
  std::unique_ptr<FrmMain> main_;
  std::unique_ptr<frmSplash> splash_;
  std::unique_ptr<frmLanguage> language_;
  std::unique_ptr<frmDelete> delete_;
  std::unique_ptr<frmQuarantine> quarantine_;
  std::unique_ptr<frmPrefix> prefix_;
  std::unique_ptr<frmReport> report_;
  std::unique_ptr<frmAbout> about_;
  std::unique_ptr<frmHidden> hidden_;
  std::unique_ptr<Form8> help_;
  std::unique_ptr<frmDownload> download_;
  std::unique_ptr<frmSignatureUpdated> signatureUpdated_;
  std::unique_ptr<frmMenuPopUp> menuPopUp_;
  std::unique_ptr<frmHomePageChangedAlert> homePageAlert_;
  std::unique_ptr<frmSpywareFoundAlert> processAlert_;
  std::vector<forms::Form*> order_;
};

}  // namespace quill
