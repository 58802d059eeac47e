// The scan page as a running scan paints it, and the window's part of a scan's begin and end.
#include "app/MainScanView.h"

#include <initializer_list>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "app/frmDelete.h"
#include "definitions/DefinitionSet.h"

namespace quill {

void MainScanView::ScanStarting() {
  FrmMain& m = main_;
  Application& app = m.App();
  m.RunStep("scan start", [&] {
    m.tmrScroll.Enable(false);
    app.DeleteFailed().Hide();
    app.DeleteFailed().lstProblem.Clear();
    m.shpStageMarker.SetVisible(false);
    m.cmdRemove.SetVisible(false);
    m.cmdResults.SetEnabled(false);
    m.cmdSettings.SetEnabled(false);

    m.ShowPage(1);
    m.PicSweepNow.SetVisible(true);
    m.ApplyTimerState(false);

    EnableScanControls(true);
  });
  // Whatever happened above, the Scan button shows that a scan runs.
  m.cmdScan.SetEnabled(false);

  m.RunStep("scan figures reset", [&] {
    for (forms::Label* l :
         {&m.lblRegistryInspected, &m.lblFilesFolderInspected, &m.lblMemoryInspected,
          &m.lblSoftwareFound, &m.lblRemovePicSoftwareFound, &m.lbltracesFound,
          &m.lblPercentageCompleted})
      l->SetCaption("0");
    m.lblStatus[0].SetCaption("0");
    m.lblTotalNoOfRunningItems.SetCaption("0");
    for (forms::ListView* list :
         {&m.lvwSpywareFound, &m.lvwPicRemoveListOfSpywareFoundAndToBeRemoved,
          &m.lvwFilesToBeDeleted, &m.lvwFileNotFounds, &m.lvwRegistryToBeDeleted,
          &m.lvwCookiesToDelete})
      list->Clear();
  });
}

std::optional<std::string> MainScanView::ChooseTarget(ScanMode mode) {
  if (mode == ScanMode::File) return main_.GetHost().OpenFileDialog("");
  return main_.GetHost().ChooseFolder(&main_, "");
}

void MainScanView::DefinitionsMissing() {
  Application& app = main_.App();
  main_.lblDefVersion.SetCaption(app.Msg("MSG_MISSINGFILES"));
  main_.GetHost().MsgBox(app.Msg("MSG_MISSING"), forms::MsgBoxButtons::OkOnly,
                         forms::MsgBoxIcon::Information, app.brand.programName);
}

void MainScanView::ShowStage(const std::string& caption) {
  main_.lblPercentageCompleted.SetCaption(caption);
}

void MainScanView::MarkStage(ScanFigure figure) {
  const forms::Control& caption = figure == ScanFigure::Registry ? main_.Label10
                                  : figure == ScanFigure::Files  ? main_.Label11
                                                                 : main_.Label9;
  forms::Shape& marker = main_.shpStageMarker;
  marker.Move(caption.Left() - marker.Width() - 60, caption.Top());
  marker.SetVisible(true);
}

void MainScanView::ShowFigureText(ScanFigure figure, const std::string& text) {
  forms::Label& label = figure == ScanFigure::Registry ? main_.lblRegistryInspected
                        : figure == ScanFigure::Files  ? main_.lblFilesFolderInspected
                                                       : main_.lblMemoryInspected;
  label.SetCaption(text);
}

void MainScanView::ResetBars() {
  main_.pbgMain.SetVisible(false);
  for (forms::ProgressBar* bar : {&main_.pb1, &main_.pb2}) {
    bar->SetMax(100);
    bar->SetValue(0);
  }
}

void MainScanView::ShowBars(int stage, int overall) {
  // Percentages are 16-bit; a negative one leaves its bar alone.
  auto valid = [](int value) { return value >= 0 && value <= 32767; };
  if (valid(stage)) main_.pb1.SetValue(stage);
  if (valid(overall)) main_.pb2.SetValue(overall);
}

void MainScanView::StartItem(int64_t size) {
  main_.pbgMain.SetMax(size);
  main_.pbgMain.SetValue(0);
  main_.lblStatus[0].SetVisible(true);
}

void MainScanView::ShowItemDone(bool done) {
  main_.pbgMain.SetValue(done ? main_.pbgMain.Max() : 0);
}

void MainScanView::ShowStatus(const std::string& text) {
  main_.lblStatus[0].SetCaption(text);
}

void MainScanView::ShowCounters(const ScanCounters& c) {
  main_.lblMemoryInspected.SetCaption(std::to_string(c.MemoryItemsInspected));
  main_.lblRegistryInspected.SetCaption(std::to_string(c.RegistryInspected));
  main_.lblFilesFolderInspected.SetCaption(std::to_string(c.FilesFoldersInspected));
  main_.lblSoftwareFound.SetCaption(std::to_string(c.TracesFound));
  main_.lblRemovePicSoftwareFound.SetCaption(std::to_string(c.TracesFound));
}

void MainScanView::ScanEnding(bool stopped) {
  FrmMain& m = main_;
  Application& app = m.App();
  m.RunStep("scan end", [&] {
    m.cmdRemove.SetVisible(true);
    m.cmdRemove.SetEnabled(true);
    m.cmdResults.SetEnabled(true);
    m.cmdSettings.SetEnabled(true);
    m.shpStageMarker.SetVisible(false);
  });

  bool removeNow = false;
  m.RunStep("scan status", [&] {
    if (stopped) {
      m.lblStatus[0].SetCaption(app.Msg("MSG_SCAN_CANCELLED"));
      m.lblPercentageCompleted.SetCaption("0% " + app.Msg("MSG_COMPLETED"));
      m.pbgMain.SetValue(0);
      return;
    }
    m.lblStatus[0].SetCaption(app.Msg("MSG_SCAN_COMPLETED"));
    m.pb1.SetValue(100);
    m.pb2.SetValue(100);
    removeNow = m.AutomaticRemoval();
  });
  if (!removeNow) return;
  // A completed scheduled scan removes what it found without asking.
  m.RunStep("automatic removal", [&] { m.RemoveAllFound(); });
}

void MainScanView::EnableScanControls(bool scanning) {
  FrmMain& m = main_;
  for (forms::Control* c : std::initializer_list<forms::Control*>{
           &m.cmdScanNow, &m.cmdScan, &m.cmdLog, &m.cmdUpdate, &m.cmdStatus})
    c->SetEnabled(!scanning);
  m.cmdStop.SetEnabled(scanning);
  m.cmdPause.SetEnabled(scanning);
}

void MainScanView::ScanEnded() {
  FrmMain& m = main_;
  m.RunStep("scan controls", [&] { EnableScanControls(false); });
  m.cmdScan.SetEnabled(true);
  m.RunStep("timers", [&] { m.ApplyTimerState(true); });
  m.RunStep("scan figures", [&] {
    m.RefreshHomePage();
    m.RefreshCounters();
    m.FillCategories();
  });
}

void MainScanView::MakeReport() {
  main_.MakeReport();
}

}  // namespace quill
