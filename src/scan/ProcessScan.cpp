#include "scan/ProcessScan.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Numbers.h"
#include "base/Text.h"
#include "definitions/DefinitionCodec.h"
#include "definitions/DefinitionFormats.h"
#include "definitions/DefinitionSet.h"
#include "definitions/ExclusionList.h"
#include "forms/Host.h"
#include "platform/System.h"
#include "scan/ScanInputs.h"
#include "scan/ScanWindow.h"

namespace quill {
namespace {

constexpr const char* kNeverReported = "DUREZUZAZAZORORUZOD.EXE";

int ProgressPercent(double part, double whole) {
  return static_cast<int>(std::clamp<int64_t>(numbers::Percent(part, whole), 0, 32767));
}

bool IsTrustedPublisher(const std::string& publisher) {
  const std::string upper = text::ToUpper(text::Trim(publisher));
  return upper == "MICROSOFT CORPORATION" || upper == "SUN MICROSYSTEMS, INC.";
}

/// "|path|path|...|" in upper case, from "ExeDefinition.dat"; "" when the file is absent or
/// reading was stopped. lastName receives the file name of the last line read (progress).
std::string BuildDefinitionList(const ScanInputs& in, ScanWindow& main, std::string& lastName) {
  ScanState& scan = main.Scan();
  // The name is compared without regard to case: look it up as the folder spells it.
  const std::string wanted = definition_files::kExecutable;
  std::optional<std::string> content;
  if (auto entries = in.files.List(in.dataFolder)) {
    for (const auto& entry : *entries) {
      if ((entry.attributes & platform::kAttrDirectory) != 0) continue;
      if (!text::EqualsNoCase(entry.name, wanted)) continue;
      content = in.files.ReadFile(in.dataFolder + "\\" + entry.name);
      // Only during a scan is a file that cannot be read a failed stage; the shield just
      // looks again at its next tick.
      if (!content && main.ScanInProgress())
        scan.gaps.FailedStages.push_back(scan.StageLabel + entry.name + " could not be read");
      break;
    }
  }
  if (!content) return "";

  const bool scanning = main.ScanInProgress();
  const DefinitionCounts& counts = in.definitions.Counts();
  LocationExpander expander(in.tokens);
  std::string list = "|";
  bool stopped = false;
  DefinitionLineReader reader(*content);
  std::string_view stored;
  while (reader.Next(stored)) {
    if (scan.StopRequested) {
      stopped = true;
      break;
    }
    const std::string line = DecodeDefinitionLine(stored);
    if (auto def = ParseExecutableDefinition(line, expander)) {
      lastName = def->fileName;
      // A definition without a file name could only ever match a folder: leave it out.
      if (!text::Trim(def->fileName).empty()) list += def->fullPath + "|";
    }
    if (scanning) {
      ++scan.counters.MemoryItemsInspected;
      const int32_t inspected = scan.counters.MemoryItemsInspected;
      main.ReportProgress(
          scan.StageLabel + "\r\n" + lastName,
          ProgressPercent(inspected, static_cast<double>(counts.executables)),
          ProgressPercent(static_cast<double>(inspected) + static_cast<double>(counts.cookies),
                          static_cast<double>(counts.total)));
    }
    in.host.DoEvents();
  }
  if (stopped) return "";
  return text::ToUpper(list);
}

/// The upper-cased module path with a native "...\SYSTEM32\" prefix (system root or device
/// form) turned into the real system folder.
std::string RealProcessPath(const ScanInputs& in, const std::string& modulePath) {
  std::string path = text::ToUpper(text::Trim(modulePath));
  static constexpr std::string_view kSystem32 = "SYSTEM32\\";
  const size_t at = text::FindLast(path, kSystem32);
  if (at != std::string::npos) {
    std::string systemFolder = in.tokens.SystemDirectory();
    if (!text::EndsWith(systemFolder, "\\")) systemFolder += "\\";
    path = systemFolder + path.substr(at + kSystem32.size());
  }
  return path;
}

/// Whether the process at path (file name = its last component, both upper case) matches
/// the definition list: by full path, or by "\" + file name when the first place the list
/// holds that text is the end of a definition.
bool MatchesDefinition(const std::string& list, const std::string& path,
                       const std::string& fileName) {
  if (list.empty() || fileName.empty()) return false;
  size_t pos = text::FindNoCase(list, "|" + path + "|");
  if (pos == std::string::npos) pos = text::FindNoCase(list, "\\" + fileName);
  if (pos == std::string::npos) return false;
  size_t next = list.find('|', pos + 1);
  if (next == std::string::npos) next = list.size();
  const std::string found =
      text::ToUpper(text::Trim(text::ReplaceAll(list.substr(pos, next - pos), "|", "")));
  return found == text::ToUpper(text::Trim(path)) ||
         found == text::ToUpper(text::Trim("\\" + fileName));
}

struct ListedProcess {
  std::string name;
  uint32_t pid = 0;
  std::string path;
};

/// The enumeration with the module paths kept, for the check itself.
std::optional<std::vector<ListedProcess>> ListProcesses(platform::Processes& processes) {
  std::vector<std::string> names, paths;
  std::vector<uint32_t> ids;
  if (EnumerateProcesses(processes, names, ids, &paths) < 0) return std::nullopt;
  std::vector<ListedProcess> list(names.size());
  for (size_t i = 0; i < names.size(); ++i) list[i] = {names[i], ids[i], paths[i]};
  return list;
}

/// A running program that matched a definition and is not to be left alone.
/// A running program the scan stopped (named by its file name).
Finding StoppedFinding(FindingKind kind, const std::string& fileName) {
  Finding stopped;
  stopped.kind = kind;
  stopped.state = FindingState::Stopped;
  stopped.location = fileName;
  return stopped;
}

struct Match {
  std::string fileName;
  std::string publisher;
};

/// What both variants do with one listed process. The older family trusts only the
/// system's own maker (trustAll false).
std::optional<Match> Examine(const ScanInputs& in, ScanWindow& main, const std::string& list,
                             const ListedProcess& process, bool trustAll) {
  if (text::Trim(process.path).empty()) return std::nullopt;
  const std::string path = RealProcessPath(in, process.path);
  const std::string fileName = text::AfterLastBackslash(path);
  if (!MatchesDefinition(list, path, fileName)) return std::nullopt;
  std::string publisher = ReadPublisherName(in.files, path);
  if (trustAll ? IsTrustedPublisher(publisher)
               : text::ToUpper(text::Trim(publisher)) == "MICROSOFT CORPORATION")
    return std::nullopt;
  if (in.exclusions.IsExcluded(fileName)) {
    main.Findings().Add(
        LeftAloneFinding(trustAll ? FindingKind::RunningApplication : FindingKind::RunningProcess,
                         FindingState::Excluded, fileName));
    return std::nullopt;
  }
  if (text::ToUpper(text::Trim(fileName)) == kNeverReported) return std::nullopt;
  return Match{fileName, publisher};
}

void CheckById(const ScanInputs& in, ScanWindow& main) {
  ScanState& scan = main.Scan();
  auto processes = ListProcesses(in.processes);
  if (!processes) return;
  // Names with their identifiers: a program restarted under the same name is a change. A
  // scan always examines the processes; only the shield skips an unchanged list.
  std::string signature;
  for (const auto& p : *processes) signature += p.name + ":" + std::to_string(p.pid) + "|";
  if (!main.ScanInProgress() && signature == scan.ProcessListSignature) return;
  scan.ProcessListSignature = signature;

  std::string lastName;
  const std::string list = BuildDefinitionList(in, main, lastName);
  scan.counters.RunningPrograms = static_cast<int32_t>(processes->size());
  main.ShowRunningCount(scan.counters.RunningPrograms);

  const DefinitionCounts& counts = in.definitions.Counts();
  for (const auto& process : *processes) {
    ++scan.counters.MemoryItemsInspected;
    if (main.ScanInProgress()) {
      const int32_t inspected = scan.counters.MemoryItemsInspected;
      main.ReportProgress(
          scan.StageLabel + "\r\n" + lastName,
          ProgressPercent(inspected, static_cast<double>(counts.executables)),
          ProgressPercent(static_cast<double>(inspected) + static_cast<double>(counts.executables),
                          static_cast<double>(counts.total)));
    }
    if (scan.StopRequested) return;
    if (auto match = Examine(in, main, list, process, true)) {
      if (main.ScanInProgress()) {
        // The row goes in first: it stays even when the program refuses to stop.
        main.Findings().Add(StoppedFinding(FindingKind::RunningApplication, match->fileName));
        // Exactly the process that matched: another one of the same name may be a
        // different program altogether.
        StopProcessById(in.processes, process.pid);
      } else {
        main.RaiseProcessAlert(match->fileName, match->publisher, process.pid);
      }
      ++scan.counters.TracesFound;
    }
    in.host.DoEvents();
  }
}

/// The older platform family. It matches exactly as the identifier path does (full path or
/// file name at the end of a definition); what differs is what happens to a match.
void CheckBySnapshot(const ScanInputs& in, ScanWindow& main) {
  ScanState& scan = main.Scan();
  std::string lastName;
  const std::string list = BuildDefinitionList(in, main, lastName);
  if (list.empty()) return;
  auto processes = ListProcesses(in.processes);
  if (!processes) return;

  for (const auto& process : *processes) {
    main.ShowRunningCount(++scan.counters.RunningPrograms);
    if (scan.StopRequested) return;
    auto match = Examine(in, main, list, process, false);
    if (match) {
      const std::string fileName = match->fileName;
      if (main.ScanInProgress()) {
        main.Findings().Add(StoppedFinding(FindingKind::RunningProcess, fileName));
        TerminateProcessById(in.processes, process.pid, 0);
        ++scan.counters.TracesFound;
      } else {
        const std::string question = in.msg("MSG_FOUND1") + text::ToUpper(fileName) +
                                     in.msg("MSG_FOUND2") + fileName + in.msg("MSG_FOUND3");
        auto answer = in.host.MsgBox(question, forms::MsgBoxButtons::YesNo,
                                     forms::MsgBoxIcon::Question, in.programName + "  - Alert");
        if (answer == forms::MsgBoxResult::Yes) {
          TerminateProcessById(in.processes, process.pid, 0);
          ++scan.counters.TracesFound;
        } else {
          // Reloaded at once: otherwise the next tick would ask about it again.
          in.exclusions.AppendLine(fileName, true);
        }
      }
    }
    in.host.DoEvents();
  }
}

}  // namespace

void ProcessCheck(const ScanInputs& in, ScanWindow& main) {
  try {
    const int platformId = in.system.Version().platformId;
    if (platformId == 2) {
      CheckById(in, main);
    } else if (platformId == 1) {
      CheckBySnapshot(in, main);
    }
  } catch (const std::exception& e) {
    in.host.HandlerFailed("ProcessCheck", e.what());
  }
}

}  // namespace quill
