#include "scan/ScanDriver.h"

#include "base/DateTime.h"
#include "base/Text.h"
#include "core/ProgramContext.h"
#include "definitions/DefinitionSet.h"

namespace quill {

std::string ScanTimeText(ProgramContext& app) {
  return datetime::GeneralDate(datetime::FromTimePoint(app.Host().Now()));
}

std::optional<std::string> ReadDefinitionFile(ProgramContext& app, ScanState& scan,
                                              const char* name) {
  const std::string path = app.DataFile(name);
  if (!app.Files().Attributes(path)) return std::nullopt;
  auto bytes = app.Files().ReadFile(path);
  if (!bytes)
    scan.gaps.FailedStages.push_back(scan.StageLabel + std::string(name) + " could not be read");
  return bytes;
}

void LoadDefinitionTables(ProgramContext& app, ScanState& scan) {
  for (const std::string& name : app.Definitions().LoadDefinitionSet())
    scan.gaps.FailedStages.push_back(app.Msg("MSG_SPYWARE") + ": " + name + " could not be read");
}

std::vector<std::string> ScanGapTexts(const ScanGaps& gaps) {
  std::vector<std::string> texts;
  for (const std::string& stage : gaps.FailedStages)
    texts.push_back("The scan did not complete: " + stage);
  for (const std::string& part : gaps.Unexamined)
    texts.push_back("Part of the registry could not be examined: " + part +
                    " (its hive could not be read in full)");
  return texts;
}

}  // namespace quill
