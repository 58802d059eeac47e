#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scan/ScanState.h"

namespace quill {

namespace forms {
class Host;
}
struct ScanInputs;

/// The current time in the general date form, as the scan dates are written.
std::string ScanTimeText(forms::Host& host);

/// The stored bytes of a definition file in the data folder for a scan stage. An absent
/// file reads as nothing (no definitions); a file that is there but cannot be read fails
/// the stage, which is recorded: the scan then did not complete.
std::optional<std::string> ReadDefinitionFile(const ScanInputs& in, ScanState& scan,
                                              const char* name);

/// Loads the file and folder tables for a scan; a table file that is there but cannot be
/// read is recorded as a failed stage (the tables load once, so every later scan says so).
void LoadDefinitionTables(const ScanInputs& in, ScanState& scan);

/// What the last scan could not do, one sentence each, for the report and the command line:
/// first the stages that failed (the scan did not complete), then what was not examined.
std::vector<std::string> ScanGapTexts(const ScanGaps& gaps);

}  // namespace quill
