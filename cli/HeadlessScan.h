#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "removal/RemovalRun.h"
#include "removal/RemovalWindow.h"
#include "results/Finding.h"
#include "scan/ScanRun.h"
#include "scan/ScanWindow.h"

namespace quill {
class ProgramContext;
}

namespace quill::cli {

/// A scan of the command line: the scanners' window and the run's view, showing nothing. Its
/// end is the one every scan's end runs (reports/ScanEnd): the removal when asked for, the
/// results' words and the report.
class HeadlessScan : public ScanWindow, public ScanView {
 public:
  /// remove: a completed scan removes what it found, asking nothing; allowLarge lets that
  /// removal take a large share of a drive or hive.
  HeadlessScan(ProgramContext& app, bool remove, bool allowLarge);

  ScanResult Run(const ScanOptions& options) { return run_.Run(options); }
  const ScanState& State() const { return run_.State(); }
  const FindingList& Found() const { return findings_; }
  /// What the removal at the end did (nothing ran when it was not asked for).
  const RemovalResult& Removal() const { return removal_; }

  // What the scanners see (ScanWindow).
  ScanState& Scan() override { return run_.State(); }
  bool ScanInProgress() const override { return run_.Running(); }
  void ReportProgress(const std::string& text, int stage, int overall) override {
    run_.ReportProgress(text, stage, overall);
  }
  FindingList& Findings() override { return findings_; }
  void ShowRunningCount(int) override {}
  /// Only the shield raises it, and no shield watches here.
  void RaiseProcessAlert(const std::string&, const std::string&, uint32_t) override {}

  // What the run shows (ScanView): nothing but the message of missing definitions.
  void ScanStarting() override {}
  /// The command line always names its file or folder.
  std::optional<std::string> ChooseTarget(ScanMode) override { return std::nullopt; }
  void DefinitionsMissing() override;
  void ShowStage(const std::string&) override {}
  void MarkStage(ScanFigure) override {}
  void ShowFigureText(ScanFigure, const std::string&) override {}
  void ResetBars() override {}
  void ShowBars(int, int) override {}
  void StartItem(int64_t) override {}
  void ShowItemDone(bool) override {}
  void ShowStatus(const std::string&) override {}
  void ShowCounters(const ScanCounters&) override {}
  void ScanEnding(bool stopped) override;
  void ScanEnded() override;
  void MakeReport() override;

 private:
  ProgramContext& app_;
  bool remove_;
  bool allowLarge_;
  FindingList findings_;
  RemovalResult removal_;
  /// The removal shows nothing and asks nothing.
  RemovalWindow removalWindow_;
  ScanRun run_{app_, *this, *this};
};

}  // namespace quill::cli
