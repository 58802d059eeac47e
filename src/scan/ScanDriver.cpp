#include "scan/ScanDriver.h"

#include "base/DateTime.h"
#include "base/Text.h"
#include "definitions/DefinitionSet.h"
#include "forms/Host.h"
#include "scan/ScanInputs.h"

namespace quill {

std::string ScanTimeText(forms::Host& host) {
  return datetime::GeneralDate(datetime::FromTimePoint(host.Now()));
}

std::optional<std::string> ReadDefinitionFile(const ScanInputs& in, ScanState& scan,
                                              const char* name) {
  const std::string path = in.dataFolder + "\\" + name;
  if (!in.files.Attributes(path)) return std::nullopt;
  auto bytes = in.files.ReadFile(path);
  if (!bytes)
    scan.gaps.FailedStages.push_back(scan.StageLabel + std::string(name) + " could not be read");
  return bytes;
}

void LoadDefinitionTables(const ScanInputs& in, ScanState& scan) {
  for (const std::string& name : in.definitions.LoadDefinitionSet())
    scan.gaps.FailedStages.push_back(in.msg("MSG_SPYWARE") + ": " + name + " could not be read");
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
