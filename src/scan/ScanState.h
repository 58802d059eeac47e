#pragma once

#include <cstdint>
#include <string>

namespace quill {

/// Scan-wide counters, all set to 0 at the start of every scan.
struct ScanCounters {
  int32_t MemoryItemsInspected = 0;
  int32_t RegistryInspected = 0;
  int32_t FilesFoldersInspected = 0;
  int32_t TracesFound = 0;
  /// Calls of ReportProgress since the screen was last refreshed.
  int32_t ReportTick = 0;

  void Reset() { *this = ScanCounters{}; }
};

}  // namespace quill
