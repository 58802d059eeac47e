#pragma once

#include <cstdint>
#include <string>

#include "results/ItemKind.h"

namespace quill {

class ProgramContext;

namespace forms {
class Label;
class ListView;
}  // namespace forms

/// What the scanners need from the window that shows a scan, and nothing more: the lists a
/// find is written to, the progress line, whether the scan goes on, and the alert for a
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

  // ---- Finds ------------------------------------------------------------------------------
  /// The four places a file or folder hit is written to.
  virtual void AddHitRows(const std::string& removalText, const std::string& linkText,
                          const std::string& progressText, int progressIcon,
                          const std::string& resultText, int resultIcon,
                          const std::string& location, const std::string& type) = 0;
  /// One "EXCLUDED" row in the scan-progress list.
  virtual void AddExcludedRow(const std::string& location) = 0;
  /// One "PROTECTED" row in the scan-progress list: a definition named a place no removal
  /// may touch.
  virtual void AddProtectedRow(const std::string& location) = 0;
  /// Adds n to the number of traces shown.
  virtual void BumpTracesLabel(int n = 1) = 0;
  /// The scan-progress list (one row per find, as the scan goes).
  virtual forms::ListView& FoundList() = 0;
  /// The results list the user ticks for removal.
  virtual forms::ListView& ResultsList() = 0;
  /// The hidden work lists that hand the finds over to the removal.
  virtual forms::ListView& FilesToDelete() = 0;
  virtual forms::ListView& RegistryToDelete() = 0;
  virtual forms::ListView& CookiesToDelete() = 0;

  // ---- Stage figures ------------------------------------------------------------------------
  /// The number of cookie files the cookie stage has reached.
  virtual void SetCookieCount(int count) = 0;
  /// The label that shows how many programs are running.
  virtual forms::Label& RunningCountLabel() = 0;

  /// A match of the process check outside a scan; returns after the user's answer.
  virtual void RaiseProcessAlert(const std::string& fileName, const std::string& publisher,
                                 uint32_t pid) = 0;
};

}  // namespace quill
