#pragma once

#include <cstdint>
#include <string>

#include "results/Finding.h"
#include "scan/ScanState.h"

namespace quill {

/// What the scanners need from the window that shows a scan, and nothing more: the findings,
/// the scan's state, the progress line, and the alert for a program found running outside a
/// scan. The main window provides it.
class ScanWindow {
 public:
  virtual ~ScanWindow() = default;
  /// The state of the scan run: counters, gaps, the stop request and the stage label.
  virtual ScanState& Scan() = 0;
  /// True while a scan runs (a stopped scan runs until its end steps).
  virtual bool ScanInProgress() const = 0;
  /// Shows the progress text and the stage and overall bars (-1 leaves a bar as it is);
  /// refreshes the screen now and then.
  virtual void ReportProgress(const std::string& text, int stage, int overall) = 0;

  /// What the scan found, in the order found: the scanners append, the window shows each
  /// finding as it is added.
  virtual FindingList& Findings() = 0;

  /// Shows how many programs are running.
  virtual void ShowRunningCount(int count) = 0;

  /// A match of the process check outside a scan; returns after the user's answer.
  virtual void RaiseProcessAlert(const std::string& fileName, const std::string& publisher,
                                 uint32_t pid) = 0;
};

}  // namespace quill
