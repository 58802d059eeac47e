#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace quill {
class FindingList;
}

// The output for scripts: one JSON document per run, in the form docs/cli-json-schema.json
// describes. The lines for people stay as they are; with --json nothing else reaches standard
// output.
namespace quill::cli::json_output {

/// The version of the document's form; raised whenever a field changes meaning or goes.
inline constexpr int kVersion = 1;

/// Turns the document on for this run, for the command ("scan", "update", "prefixes",
/// "quarantine list").
void Enable(const std::string& command);
bool Enabled();
/// The document's command-specific fields.
nlohmann::json& Body();
/// Records a message the command line printed as a failure: it belongs to the scan run open
/// at the time, else to the document.
void AddError(const std::string& message);

/// A scan run over one prefix: opened before the machine is opened (so that a prefix that
/// cannot be used still has its entry), filled by the scan, closed with its exit status.
void BeginScanRun(const std::string& prefix);
nlohmann::json& CurrentScanRun();
void EndScanRun(int status);

/// The findings of the scan that just ran, as the main window's lists hold them: the results
/// still listed ("found", or "remaining" after a removal), the programs it stopped, the items
/// left alone as excluded and the places no removal may touch.
nlohmann::json Findings(const FindingList& found, bool afterRemoval);

/// Writes the document with the run's exit status to standard output (once).
void Write(int status);

}  // namespace quill::cli::json_output
