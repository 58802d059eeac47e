// The main window's Live Update commands: "Update Now", "Run Live Update Now", File > "Run
// Live Update", the first-run question and the automatic update after five idle minutes.
#include "app/Application.h"
#include "app/FrmMain.h"
#include "app/UpdateWindows.h"
#include "base/Text.h"
#include "core/UpdateServer.h"
#include "definitions/DefinitionSet.h"
#include "definitions/SelfHostedSite.h"
#include "definitions/UpdateProgressView.h"

namespace quill {

namespace {

/// Automatic update: idle ticks of timUpdate before the run starts.
constexpr int kIdleTicksBeforeUpdate = 300;

}  // namespace

void FrmMain::cmdUpdate_Click(int shift) {
  UpdateNow((shift & forms::kShiftMask) != 0);
}

void FrmMain::UpdateNow(bool listSiteFirst) {
  // Holding Shift first lists what a self-hosted definition site serves; the update then
  // runs as usual.
  if (listSiteFirst)
    ShowSelfHostedSiteListing(GetHost(), app_.brand.website, UpdateServerBase(),
                              app_.brand.programName);
  LiveUpdate();
}

void FrmMain::cmdLiveUpdate_Click() {
  LiveUpdate();
}

void FrmMain::timUpdate_Timer() {
  UpdateOnceIdle();
}

void FrmMain::UpdateOnceIdle() {
  // Ticks while a scan runs do not count; the update runs once per program start.
  if (ScanInProgress()) return;
  if (UpdateIdleTicks < kIdleTicksBeforeUpdate) {
    ++UpdateIdleTicks;
    return;
  }
  // Off before the run: the run yields, and a tick arriving then must not start another.
  UpdateIdleTicks = 0;
  timUpdate.Enable(false);
  LiveUpdate();
}

void FrmMain::LiveUpdate() {
  RunLiveUpdate();
}

LiveUpdateResult FrmMain::RunLiveUpdate() {
  // The definitions must not change under a scan, nor while a removal works from its results.
  if (ScanInProgress() || RemovalInProgress()) return {};
  LiveUpdateWindowHooks window;
  window.applyTimerState = [this](bool on) { ApplyTimerState(on); };
  window.enableLiveUpdateCommand = [this](bool enabled) { cmdLiveUpdate.SetEnabled(enabled); };
  window.showDefinitionDate = [this](const std::string& date) {
    lblDefVersion.SetCaption(date + " PST");
  };
  window.definitionsChanged = [this] {
    DefinitionCount = app_.Definitions().CountDefinitions();
    RefreshHomePage();
    ShowLastUpdate();
    cmdScan.SetEnabled(true);
  };
  // The program's own windows, unless the program set another view (the command line does).
  UpdateWindows windows(app_);
  UpdateProgressView* view = app_.UpdateView();
  return app_.Updater().Run(view != nullptr ? *view : windows, window);
}

}  // namespace quill
