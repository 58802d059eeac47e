#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/ProgramContext.h"
#include "definitions/PathTokens.h"
#include "shell/TrayWindows.h"

namespace quill {

class clsLanguages;
class DefinitionSet;
class ExclusionList;
class ProtectedFloor;
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
class clsTray;
class LiveUpdate;
class UpdateProgressView;
struct LiveUpdateResult;

/// The process: the program context every subsystem shares, and the windows, which live
/// until the process ends.
class Application : public ProgramContext, public TrayWindows {
 public:
  Application(forms::Host& host, platform::Platform& platform);
  ~Application() override;

  PathTokens& Tokens() override { return tokens_; }
  clsLanguages& Catalog() override { return *catalog_; }
  DefinitionSet& Definitions() override;
  ExclusionList& Exclusions() override { return *exclusions_; }
  ProtectedFloor& Floor() override;
  void RefreshFloor() override;
  MachineSettingsStore& MachineSettings() { return *machineSettings_; }
  clsTray& Tray() override { return *tray_; }
  /// The Live Update engine: one per process, so that only one run goes at a time.
  LiveUpdate& Updater() { return *updater_; }
  /// What a Live Update run shows instead of the download window and the notice
  /// (UpdateWindows), when a program sets it (the command line does); null by default.
  UpdateProgressView* UpdateView() { return updateView_; }
  void SetUpdateView(UpdateProgressView* view) { updateView_ = view; }

  std::string Msg(const std::string& key) override;
  void ApplyCurrentLanguage(forms::Form& form) override;

  // --- Windows ---------------------------------------------------------------------------
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
  std::vector<forms::Form*> Windows() const override;
  void AdoptWindow(std::unique_ptr<forms::Form> form) override;

  /// The prefix the user chose to protect instead of this one: the desktop program starts
  /// again on it once this run has ended; empty when none was chosen.
  std::string nextPrefix;

  // --- The main window as a program without windows uses it (the command line) ------------
  /// True when start-up has loaded the main window.
  bool MainLoaded();
  /// Closes the main window as the desktop program's exit does (the stopped state is
  /// recorded); nothing when it is not loaded.
  void CloseMain();
  /// One Live Update run, as the main window's command runs it.
  LiveUpdateResult RunLiveUpdate();
  /// A fresh English language file of every window.
  std::string LanguageTemplate();

  /// Ends the program: the host leaves its event loop.
  void End();
  bool Ended() const { return ended_; }

 private:
  template <class T, class... Extra>
  T& Window(std::unique_ptr<T>& slot, Extra&... extra);

  PathTokens tokens_;
  std::unique_ptr<clsLanguages> catalog_;
  std::unique_ptr<DefinitionSet> definitions_;
  std::unique_ptr<ExclusionList> exclusions_;
  std::unique_ptr<ProtectedFloor> floor_;
  std::unique_ptr<MachineSettingsStore> machineSettings_;
  std::unique_ptr<clsTray> tray_;
  std::unique_ptr<LiveUpdate> updater_;
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
  std::vector<std::unique_ptr<forms::Form>> adopted_;
  std::vector<forms::Form*> order_;
  bool ended_ = false;
};

}  // namespace quill
