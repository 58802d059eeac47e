#include "scan/RegistryScan.h"

#include <algorithm>
#include <optional>
#include <string>

#include "base/Numbers.h"
#include "base/Text.h"
#include "definitions/DefinitionCodec.h"
#include "definitions/DefinitionFormats.h"
#include "definitions/DefinitionSet.h"
#include "definitions/ExclusionList.h"
#include "definitions/ProtectedFloor.h"
#include "forms/Host.h"
#include "scan/ScanDriver.h"
#include "scan/ScanInputs.h"
#include "scan/ScanWindow.h"

namespace quill {
namespace {

/// Percentages for the progress bars: 0 when nothing is known, never beyond a 16-bit value.
int ProgressPercent(double part, double whole) {
  return static_cast<int>(std::clamp<int64_t>(numbers::Percent(part, whole), 0, 32767));
}

/// A definition names root, key and value joined by "^". A line that does not carry all three
/// fields (or has no "=" at all) is damaged: it is passed over rather than guessed at.
bool HasAllLocationFields(const std::string& line) {
  const size_t eq = line.rfind('=');
  if (eq == std::string::npos) return false;
  return std::count(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(eq), '^') >= 2;
}

/// A key or value listed for removal; the name the results list gives it is the threat name,
/// or the key path when the definition names none.
void AddHit(ScanWindow& main, const RegistryDefinition& def, FindingKind kind) {
  Finding hit;
  hit.kind = kind;
  hit.threat = def.threatName;
  hit.name = text::Trim(def.threatName).empty() ? def.keyPath : def.threatName;
  hit.location = def.location;
  hit.threatType = def.type;
  hit.rootHandle = static_cast<uint32_t>(def.rootHandle);
  hit.keyPath = def.keyPath;
  hit.valueName = kind == FindingKind::RegistryValue ? def.valueName : std::string();
  main.Findings().Add(std::move(hit));
  // A value without a threat name is still removed with the rest, but shown nowhere.
  if (kind == FindingKind::RegistryKey || !text::Trim(def.threatName).empty())
    ++main.Scan().counters.TracesFound;
}

/// One definition line. Returns after recording whatever the line found.
void CheckDefinition(const ScanInputs& in, ScanWindow& main, const std::string& line,
                     LocationExpander& expander, const std::string& driveRoot) {
  ScanState& scan = main.Scan();
  if (!HasAllLocationFields(line)) return;
  std::optional<RegistryDefinition> parsed = ParseRegistryDefinition(line, expander, driveRoot);
  if (!parsed) return;
  const RegistryDefinition& def = *parsed;
  const auto root = static_cast<platform::RootKey>(static_cast<uint32_t>(def.rootHandle));

  ++scan.counters.RegistryInspected;
  const DefinitionCounts& counts = in.definitions.Counts();
  main.ReportProgress(
      scan.StageLabel + "\r\n" + text::ToLower(def.keyPath) + "\\" + def.rawValueName,
      ProgressPercent(scan.counters.RegistryInspected, static_cast<double>(counts.registry)),
      ProgressPercent(static_cast<double>(scan.counters.RegistryInspected) +
                          static_cast<double>(counts.cookies + counts.executables),
                      static_cast<double>(counts.total)));

  ExclusionList& exclusions = in.exclusions;
  const std::string keyLocation = def.rootName + "\\" + def.keyPath;

  if (!def.valueName.empty()) {
    if (!ValueExists(in.registry, root, def.keyPath, def.valueName)) return;
    if (in.definitions.IsProtected(def.location)) return;
    if (exclusions.IsExcluded(def.location) || exclusions.IsExcluded(keyLocation)) {
      main.Findings().Add(
          LeftAloneFinding(FindingKind::RegistryValue, FindingState::Excluded, def.location));
      return;
    }
    AddHit(main, def, FindingKind::RegistryValue);
    return;
  }

  if (!KeyExists(in.registry, root, text::Trim(def.keyPath))) return;
  if (in.definitions.IsProtected(def.location)) return;
  if (ProtectedFloor::ProtectsKey(root, def.keyPath)) {
    main.Findings().Add(
        LeftAloneFinding(FindingKind::RegistryKey, FindingState::Protected, def.location));
    return;
  }
  if (exclusions.IsExcluded(def.location)) {
    main.Findings().Add(
        LeftAloneFinding(FindingKind::RegistryKey, FindingState::Excluded, def.location));
    return;
  }
  AddHit(main, def, FindingKind::RegistryKey);
}

}  // namespace

bool KeyExists(platform::Registry& registry, platform::RootKey root, const std::string& keyPath) {
  // Looking needs only read access: a registry in use (on Wine, while a wineserver serves
  // the prefix) refuses write access, and asking for it would hide every key.
  return registry.OpenKey(root, keyPath, platform::kKeyRead) == platform::RegStatus::Ok;
}

bool ValueExists(platform::Registry& registry, platform::RootKey root, const std::string& keyPath,
                 const std::string& valueName) {
  if (!KeyExists(registry, root, keyPath)) return false;
  std::optional<platform::RegValue> value = registry.QueryValue(root, keyPath, valueName);
  if (!value) return false;
  const auto type = static_cast<platform::RegType>(value->type);
  return type == platform::RegType::Sz || type == platform::RegType::ExpandSz ||
         type == platform::RegType::Dword;
}

void RegistryScanStage(const ScanInputs& in, ScanWindow& main) {
  ScanState& scan = main.Scan();
  const std::string driveRoot = in.tokens.SystemDriveRoot();
  std::optional<std::string> content = ReadDefinitionFile(in, scan, definition_files::kRegistry);
  if (!content) return;

  LocationExpander expander(in.tokens);
  forms::Host& host = in.host;
  // Lines are cut out of the file one at a time; only the current one is decoded.
  DefinitionLineReader reader(*content);
  std::string_view stored;
  while (true) {
    host.DoEvents();
    if (scan.StopRequested || !reader.Next(stored)) break;
    const std::string line = DecodeDefinitionLine(stored);
    try {
      CheckDefinition(in, main, line, expander, driveRoot);
    } catch (const std::exception& e) {
      // One bad line never ends the stage.
      host.HandlerFailed("RegistryScanStage", e.what());
    }
    host.DoEvents();
  }
  // What could be read was examined; a damaged or unreadable hive is named, never passed
  // over in silence.
  for (const std::string& part : in.registry.UnreadableParts())
    scan.gaps.Unexamined.push_back(part);
}

}  // namespace quill
