#pragma once

#include <cstdint>
#include <string>

#include "results/Finding.h"

namespace quill {

class ProgramContext;

/// What the scanners need from the window that shows a scan, and nothing more: the findings,
/// the progress line, whether the scan goes on, and the alert for a
/// program found running outside a scan. The main window provides it.
class ScanWindow {
 public:
  virtual ~ScanWindow() = default;
  /// The program's shared state (platform, tables, counters).
  virtual ProgramContext& Context() = 0;
  /// False once the scan has been stopped (or when none runs).
  virtual bool ScanInProgress() const = 0;
  /// Shows the progress text and the stage and overall bars (-1 leaves a bar as it is);
  /// refreshes the screen now and then.
  virtual void ReportProgress(const std::string& text, int stage, int overall) = 0;

  /// What the scan found, in the order found: the scanners append, the window shows each
  /// finding as it is added.
  virtual FindingList& Findings() = 0;

  // ---- Stage figures ------------------------------------------------------------------------
  /// The number of cookie files the cookie stage has reached.
  virtual void SetCookieCount(int count) = 0;
  /// Shows how many programs are running.
  virtual void ShowRunningCount(int count) = 0;

  /// A match of the process check outside a scan; returns after the user's answer.
  virtual void RaiseProcessAlert(const std::string& fileName, const std::string& publisher,
                                 uint32_t pid) = 0;
};

}  // namespace quill
