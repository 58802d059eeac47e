#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/BrandProfile.h"
#include "definitions/PathTokens.h"
#include "forms/Host.h"
#include "platform/Platform.h"
#include "scan/ScanState.h"

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

/// The process: the outside world (host and platform), and the single instances that live
/// until the process ends — the brand, the data folder, the message catalogue, the
/// definition tables, the exclusion list, the scan-wide state and the windows.
class Application {
 public:
  Application(forms::Host& host, platform::Platform& platform);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  forms::Host& Host() { return host_; }
  platform::Platform& Platform() { return platform_; }
  platform::FileSystem& Files() { return *platform_.files; }
  platform::Registry& Registry() { return *platform_.registry; }
  platform::Shell& Shell() { return *platform_.shell; }
  platform::Processes& Processes() { return *platform_.processes; }
  platform::Internet& Internet() { return *platform_.internet; }
  platform::System& System() { return *platform_.system; }
  const platform::ProgramIdentity& Identity() const { return identity_; }

  // --- Process-wide single instances -------------------------------------------------
  BrandProfile brand;
  /// "[appdata]QuillonetDAT" expanded, without a trailing backslash. Fixed at start.
  std::string dataFolder;
  /// DataFolder + "\" + name.
  std::string DataFile(const std::string& name) const { return dataFolder + "\\" + name; }
  PathTokens& Tokens() { return tokens_; }
  clsLanguages& Catalog() { return *catalog_; }
  DefinitionSet& Definitions();
  ExclusionList& Exclusions() { return *exclusions_; }
  /// The places no removal may touch; gathered anew by RefreshFloor (each scan and removal).
  ProtectedFloor& Floor();
  void RefreshFloor();
  MachineSettingsStore& MachineSettings() { return *machineSettings_; }
  clsTray& Tray() { return *tray_; }
  /// The Live Update engine: one per process, so that only one run goes at a time.
  LiveUpdate& Updater() { return *updater_; }
  /// What a Live Update run shows instead of the download window and the notice
  /// (UpdateWindows), when a program sets it (the command line does); null by default.
  UpdateProgressView* UpdateView() { return updateView_; }
  void SetUpdateView(UpdateProgressView* view) { updateView_ = view; }

  ScanCounters counters;
  ScanGaps gaps;
  bool StopRequested = false;
  std::string StageLabel;
  std::string ScanStartedAt;
  std::string ScanFinishedAt;
  /// Set by the scheduler: the removal then asks nothing.
  bool AutoRemoveMode = false;
  /// True only during the recording pass of a removal.
  bool QuarantineLogging = false;
  /// A removal that asks nothing (automatic removal) still goes ahead when its targets make
  /// up a large share of a drive or a hive (the command line's --force).
  bool AllowLargeRemoval = false;
  /// Why the last removal was refused without running: the share its targets make up
  /// ("25% of C:\"); empty when it ran.
  std::string RefusedRemoval;
  /// Open restore point (0 = none).
  int64_t RestorePointSequence = 0;
  /// Names and identifiers of the running processes at the last process check.
  std::string ProcessListSignature;

  // --- Per-user settings (application = product name) ----------------------------------
  std::string GetSetting(const std::string& section, const std::string& key,
                         const std::string& defaultValue);
  void SaveSetting(const std::string& section, const std::string& key, const std::string& value);

  // --- Messages ------------------------------------------------------------------------
  /// Catalogue text by "MSG_" key.
  std::string Msg(const std::string& key);
  /// Translates a window into the program's current language (the stored one before any
  /// window was translated): windows that appear on their own use it when they load.
  void ApplyCurrentLanguage(forms::Form& form);

  // --- Windows ---------------------------------------------------------------------------
  /// Windows are created on first use (as the classic runtime loads a window when it is
  /// first referred to) and live until the process ends.
  FrmMain& Main();
  frmSplash& Splash();
  frmLanguage& Language();
  frmDelete& DeleteFailed();
  /// What the quarantine holds, with restore and delete.
  frmQuarantine& QuarantineWindow();
  frmReport& Report();
  frmAbout& About();
  frmHidden& Hidden();
  Form8& HelpLauncher();
  /// Live Update's download window and the "definitions updated" notice.
  frmDownload& Download();
  frmSignatureUpdated& SignatureUpdated();
  /// The tray icon's slide-up menu.
  frmMenuPopUp& MenuPopUp();
  /// Every window that exists, in creation order (the generator walks the loaded ones).
  std::vector<forms::Form*> Windows() const;
  /// Windows created by later subsystems register here so the walk above sees them.
  void AdoptWindow(std::unique_ptr<forms::Form> form);
  template <class T>
  T* FindWindow() const {
    for (auto* f : Windows())
      if (auto* t = dynamic_cast<T*>(f)) return t;
    return nullptr;
  }

  /// Ends the program: the host leaves its event loop.
  void End();
  bool Ended() const { return ended_; }

 private:
  template <class T>
  T& Window(std::unique_ptr<T>& slot);

  forms::Host& host_;
  platform::Platform& platform_;
  platform::ProgramIdentity identity_;
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
