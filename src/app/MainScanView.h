#pragma once

#include <optional>
#include <string>

#include "scan/ScanRun.h"

namespace quill {

class FrmMain;

/// The scan page of the main window as a scan run sees it: each value the run reports is
/// painted on the window's controls, and the run's begin and end steps give the window's
/// controls up and back.
class MainScanView : public ScanView {
 public:
  explicit MainScanView(FrmMain& main) : main_(main) {}

  void ScanStarting() override;
  std::optional<std::string> ChooseTarget(ScanMode mode) override;
  void DefinitionsMissing() override;
  void ShowStage(const std::string& caption) override;
  void MarkStage(ScanFigure figure) override;
  void ShowFigureText(ScanFigure figure, const std::string& text) override;
  void ResetBars() override;
  void ShowBars(int stage, int overall) override;
  void StartItem(int64_t size) override;
  void ShowItemDone(bool done) override;
  void ShowStatus(const std::string& text) override;
  void ShowCounters(const ScanCounters& counters) override;
  void ScanEnding(bool stopped) override;
  void ScanEnded() override;
  void MakeReport() override;

 private:
  /// While a scan runs only Stop and Pause answer; the buttons that start work wait.
  void EnableScanControls(bool scanning);

  FrmMain& main_;
};

}  // namespace quill
