#include "scan/ProcessScan.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/Numbers.h"
#include "base/Text.h"
#include "core/ProgramContext.h"
#include "definitions/DefinitionCodec.h"
#include "definitions/DefinitionFormats.h"
#include "definitions/DefinitionSet.h"
#include "definitions/ExclusionList.h"
#include "forms/Control.h"
#include "forms/ListView.h"
#include "platform/System.h"
#include "scan/ScanWindow.h"

namespace quill {
namespace {

constexpr const char* kNeverReported = "DUREZUZAZAZORORUZOD.EXE";
constexpr size_t kMaxBaseName = 260;
constexpr int kStopAttempts = 11;

int ProgressPercent(double part, double whole) {
  return static_cast<int>(std::clamp<int64_t>(numbers::Percent(part, whole), 0, 32767));
}

bool IsTrustedPublisher(const std::string& publisher) {
  const std::string upper = text::ToUpper(text::Trim(publisher));
  return upper == "MICROSOFT CORPORATION" || upper == "SUN MICROSYSTEMS, INC.";
}

/// "|path|path|...|" in upper case, from "ExeDefinition.dat"; "" when the file is absent or
/// reading was stopped. lastName receives the file name of the last line read (progress).
std::string BuildDefinitionList(ScanWindow& main, std::string& lastName) {
  ProgramContext& app = main.Context();
  // The name is compared without regard to case: look it up as the folder spells it.
  const std::string wanted = definition_files::kExecutable;
  std::optional<std::string> content;
  if (auto entries = app.Files().List(app.dataFolder)) {
    for (const auto& entry : *entries) {
      if ((entry.attributes & platform::kAttrDirectory) != 0) continue;
      if (!text::EqualsNoCase(entry.name, wanted)) continue;
      content = app.Files().ReadFile(app.dataFolder + "\\" + entry.name);
      // Only during a scan is a file that cannot be read a failed stage; the shield just
      // looks again at its next tick.
      if (!content && main.ScanInProgress())
        app.gaps.FailedStages.push_back(app.StageLabel + entry.name + " could not be read");
      break;
    }
  }
  if (!content) return "";

  const bool scanning = main.ScanInProgress();
  const DefinitionCounts& counts = app.Definitions().Counts();
  LocationExpander expander(app.Tokens());
  std::string list = "|";
  bool stopped = false;
  DefinitionLineReader reader(*content);
  std::string_view stored;
  while (reader.Next(stored)) {
    if (app.StopRequested) {
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
      ++app.counters.MemoryItemsInspected;
      const int32_t inspected = app.counters.MemoryItemsInspected;
      main.ReportProgress(
          app.StageLabel + "\r\n" + lastName,
          ProgressPercent(inspected, static_cast<double>(counts.executables)),
          ProgressPercent(static_cast<double>(inspected) + static_cast<double>(counts.cookies),
                          static_cast<double>(counts.total)));
    }
    main.Context().Host().DoEvents();
  }
  if (stopped) return "";
  return text::ToUpper(list);
}

/// The upper-cased module path with a native "...\SYSTEM32\" prefix (system root or device
/// form) turned into the real system folder.
std::string RealProcessPath(ProgramContext& app, const std::string& modulePath) {
  std::string path = text::ToUpper(text::Trim(modulePath));
  static constexpr std::string_view kSystem32 = "SYSTEM32\\";
  const size_t at = text::FindLast(path, kSystem32);
  if (at != std::string::npos) {
    std::string systemFolder = app.Tokens().SystemDirectory();
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
struct Match {
  std::string fileName;
  std::string publisher;
};

/// What both variants do with one listed process. The older family trusts only the
/// system's own maker (trustAll false).
std::optional<Match> Examine(ScanWindow& main, const std::string& list,
                             const ListedProcess& process, bool trustAll) {
  ProgramContext& app = main.Context();
  if (text::Trim(process.path).empty()) return std::nullopt;
  const std::string path = RealProcessPath(app, process.path);
  const std::string fileName = text::AfterLastBackslash(path);
  if (!MatchesDefinition(list, path, fileName)) return std::nullopt;
  std::string publisher = ReadPublisherName(app.Files(), path);
  if (trustAll ? IsTrustedPublisher(publisher)
               : text::ToUpper(text::Trim(publisher)) == "MICROSOFT CORPORATION")
    return std::nullopt;
  if (app.Exclusions().IsExcluded(fileName)) {
    main.AddExcludedRow(fileName);
    return std::nullopt;
  }
  if (text::ToUpper(text::Trim(fileName)) == kNeverReported) return std::nullopt;
  return Match{fileName, publisher};
}

void CheckById(ScanWindow& main) {
  ProgramContext& app = main.Context();
  auto processes = ListProcesses(app.Processes());
  if (!processes) return;
  // Names with their identifiers: a program restarted under the same name is a change. A
  // scan always examines the processes; only the shield skips an unchanged list.
  std::string signature;
  for (const auto& p : *processes) signature += p.name + ":" + std::to_string(p.pid) + "|";
  if (!main.ScanInProgress() && signature == app.ProcessListSignature) return;
  app.ProcessListSignature = signature;

  std::string lastName;
  const std::string list = BuildDefinitionList(main, lastName);
  main.RunningCountLabel().SetCaption(std::to_string(processes->size()));

  const DefinitionCounts& counts = app.Definitions().Counts();
  for (const auto& process : *processes) {
    ++app.counters.MemoryItemsInspected;
    if (main.ScanInProgress()) {
      const int32_t inspected = app.counters.MemoryItemsInspected;
      main.ReportProgress(
          app.StageLabel + "\r\n" + lastName,
          ProgressPercent(inspected, static_cast<double>(counts.executables)),
          ProgressPercent(static_cast<double>(inspected) + static_cast<double>(counts.executables),
                          static_cast<double>(counts.total)));
    }
    if (app.StopRequested) return;
    if (auto match = Examine(main, list, process, true)) {
      if (main.ScanInProgress()) {
        // The row goes in first: it stays even when the program refuses to stop.
        main.FoundList().Add("Running Application", kItemFile, {match->fileName + " was stopped"});
        // Exactly the process that matched: another one of the same name may be a
        // different program altogether.
        StopProcessById(app, process.pid);
      } else {
        main.RaiseProcessAlert(match->fileName, match->publisher, process.pid);
      }
      ++app.counters.TracesFound;
    }
    main.Context().Host().DoEvents();
  }
}

/// The older platform family. It matches exactly as the identifier path does (full path or
/// file name at the end of a definition); what differs is what happens to a match.
void CheckBySnapshot(ScanWindow& main) {
  ProgramContext& app = main.Context();
  std::string lastName;
  const std::string list = BuildDefinitionList(main, lastName);
  if (list.empty()) return;
  auto processes = ListProcesses(app.Processes());
  if (!processes) return;

  for (const auto& process : *processes) {
    main.RunningCountLabel().SetCaption(
        std::to_string(text::Val(main.RunningCountLabel().Caption()) + 1));
    if (app.StopRequested) return;
    auto match = Examine(main, list, process, false);
    if (match) {
      const std::string fileName = match->fileName;
      if (main.ScanInProgress()) {
        main.FoundList().Add("Running Process", kItemFile, {fileName + " was stopped"});
        TerminateProcessById(app.Processes(), process.pid, 0);
        ++app.counters.TracesFound;
      } else {
        const std::string question = app.Msg("MSG_FOUND1") + text::ToUpper(fileName) +
                                     app.Msg("MSG_FOUND2") + fileName + app.Msg("MSG_FOUND3");
        auto answer = main.Context().Host().MsgBox(question, forms::MsgBoxButtons::YesNo,
                                                   forms::MsgBoxIcon::Question,
                                                   app.brand.programName + "  - Alert");
        if (answer == forms::MsgBoxResult::Yes) {
          TerminateProcessById(app.Processes(), process.pid, 0);
          ++app.counters.TracesFound;
        } else {
          // Reloaded at once: otherwise the next tick would ask about it again.
          app.Exclusions().AppendLine(fileName, true);
        }
      }
    }
    main.Context().Host().DoEvents();
  }
}

/// Position of needle in hay at or after start, or npos.
size_t FindBytes(const std::string& hay, const std::string& needle, size_t start) {
  if (start > hay.size()) return std::string::npos;
  return hay.find(needle, start);
}

std::string Wide(std::string_view ascii) {
  std::string out;
  out.reserve(ascii.size() * 2);
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

}  // namespace

int EnumerateProcesses(platform::Processes& processes, std::vector<std::string>& names,
                       std::vector<uint32_t>& ids, std::vector<std::string>* paths) {
  names.clear();
  ids.clear();
  if (paths) paths->clear();
  std::optional<std::vector<platform::ProcessInfo>> listed = processes.Enumerate();
  if (!listed) return -1;
  for (const auto& info : *listed) {
    std::string name;
    if (info.pid == 0) {
      name = "System Idle Process";
    } else if (info.pid == 2) {
      name = "System";
    } else {
      name = info.name.substr(0, info.name.find('\0'));
      if (name.size() > kMaxBaseName) name.resize(kMaxBaseName);
    }
    if (name.empty()) continue;
    names.push_back(name);
    ids.push_back(info.pid);
    if (paths) paths->push_back(info.pid == 0 || info.pid == 2 ? std::string() : info.path);
  }
  return static_cast<int>(names.size());
}

namespace {

// The most of a file the publisher lookup reads: a version resource lives in the program's
// resource section, which is far smaller in any real program.
constexpr size_t kMaxVersionBytes = 16u << 20;

uint32_t LittleEndian(const std::string& bytes, size_t at, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width && at + i < bytes.size(); ++i)
    value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return value;
}

/// Where a program file keeps its resources (file offset and size), from its headers; empty
/// when the file is no program or has no resource section.
std::optional<std::pair<uint64_t, uint32_t>> ResourceSection(platform::FileSystem& files,
                                                             const std::string& path) {
  auto head = files.ReadFileRange(path, 0, 4096);
  if (!head || head->size() < 64 || head->compare(0, 2, "MZ") != 0) return std::nullopt;
  const size_t pe = LittleEndian(*head, 0x3C, 4);
  if (pe + 24 > head->size() || head->compare(pe, 4, std::string("PE\0\0", 4)) != 0)
    return std::nullopt;
  const size_t sections = LittleEndian(*head, pe + 6, 2);
  const size_t optionalSize = LittleEndian(*head, pe + 20, 2);
  size_t at = pe + 24 + optionalSize;
  for (size_t i = 0; i < sections && at + 40 <= head->size(); ++i, at += 40) {
    if (head->compare(at, 5, ".rsrc") != 0) continue;
    return std::make_pair(static_cast<uint64_t>(LittleEndian(*head, at + 20, 4)),
                          LittleEndian(*head, at + 16, 4));
  }
  return std::nullopt;
}

/// The bytes the publisher is looked for in: a program's resource section, else the start of
/// the file; never more than kMaxVersionBytes.
std::optional<std::string> VersionBytes(platform::FileSystem& files, const std::string& path) {
  if (auto section = ResourceSection(files, path)) {
    auto bytes = files.ReadFileRange(path, section->first,
                                     std::min<size_t>(section->second, kMaxVersionBytes));
    if (bytes && !bytes->empty()) return bytes;
  }
  return files.ReadFileRange(path, 0, kMaxVersionBytes);
}

}  // namespace

std::string ReadPublisherName(platform::FileSystem& files, const std::string& path) {
  std::optional<std::string> bytes = VersionBytes(files, path);
  if (!bytes) return "";
  const std::string& data = *bytes;

  size_t start = 0;
  bool wideInfo = false;
  if (size_t at = FindBytes(data, Wide("StringFileInfo"), 0); at != std::string::npos) {
    start = at;
    wideInfo = true;
  } else if (size_t at8 = FindBytes(data, "StringFileInfo", 0); at8 != std::string::npos) {
    start = at8;
  }

  bool wide = wideInfo;
  size_t key = std::string::npos;
  size_t valueStart = 0;
  if (wideInfo) {
    key = FindBytes(data, Wide("CompanyName"), start);
    valueStart = key + 26;
  } else {
    key = FindBytes(data, "CompanyName", start);
    valueStart = key + 12;
    if (key == std::string::npos) {
      key = FindBytes(data, Wide("CompanyName"), start);
      valueStart = key + 26;
      wide = true;
    }
  }
  if (key == std::string::npos || valueStart >= data.size()) return "";

  // The value ends at the terminating zero (with a wide value: its last character's high
  // byte and the zero character). A resource cut off before that carries no usable name.
  const size_t end = FindBytes(data, std::string(3, '\0'), valueStart);
  if (end == std::string::npos) return "";
  std::string value = data.substr(valueStart, end - valueStart);

  // No terminator right after the value: the stretch ran into the next key. The value then
  // ends at its first control character, looked for within 255 bytes (whole characters in
  // wide text, whose high bytes are zero).
  // (A wide key at the very end of the stretch lacks its last high byte: leave it out.)
  std::string nextKey = wide ? Wide("FileDescription") : std::string("FileDescription");
  if (wide) nextKey.pop_back();
  if (value.find(nextKey) != std::string::npos) {
    const size_t limit = std::min(data.size(), valueStart + 255);
    const size_t step = wide ? 2 : 1;
    size_t stop = limit;
    for (size_t i = valueStart + step; i < limit; i += step) {
      const auto c = static_cast<unsigned char>(data[i]);
      const bool control = wide ? (c < 32 && i + 1 < data.size() && data[i + 1] == '\0') : c < 32;
      if (control) {
        stop = i;
        break;
      }
    }
    value = data.substr(valueStart, stop - valueStart);
  }
  value.erase(std::remove(value.begin(), value.end(), '\0'), value.end());
  return value;
}

bool TerminateProcessById(platform::Processes& processes, uint32_t pid, uint32_t exitCode) {
  return processes.Terminate(pid, exitCode);
}

namespace {

/// The name as short process lists show it: 15 characters at most, else the part before the
/// first "."; compared trimmed and without regard to case.
std::string ReducedName(const std::string& name) {
  std::string reduced;
  if (name.size() >= 16) {
    reduced = name.substr(0, 15);
  } else if (size_t dot = name.find('.'); dot != std::string::npos) {
    reduced = name.substr(0, dot);
  } else {
    reduced = name;
  }
  return text::ToUpper(text::Trim(reduced));
}

}  // namespace

bool StopProcessForFile(ProgramContext& app, const std::string& fileName) {
  // No name names no process.
  if (text::Trim(fileName).empty()) return true;
  const std::string base = text::ReplaceAllNoCase(fileName, ".exe", "");
  const std::string shortName =
      text::ToUpper(text::Trim((base.size() >= 7 ? base.substr(0, 6) : base) + "~1"));
  const std::string wanted = ReducedName(fileName);

  std::vector<std::string> names;
  std::vector<uint32_t> ids;
  if (EnumerateProcesses(app.Processes(), names, ids) < 0) return true;
  std::optional<uint32_t> target;
  for (size_t i = 0; i < names.size() && !target; ++i) {
    const std::string image = text::AfterLastBackslash(names[i].substr(0, names[i].find('\0')));
    const std::string reduced = ReducedName(image);
    if (reduced == wanted || reduced == shortName) target = ids[i];
  }
  if (!target) return true;
  return StopProcessById(app, *target);
}

bool StopProcessById(ProgramContext& app, uint32_t pid) {
  for (int attempt = 0; attempt < kStopAttempts; ++attempt) {
    if (TerminateProcessById(app.Processes(), pid, 0)) return true;
    if (app.Processes().WaitForExit(pid, 1)) return true;
  }
  return false;
}

void ProcessCheck(ScanWindow& main) {
  try {
    const int platformId = main.Context().System().Version().platformId;
    if (platformId == 2) {
      CheckById(main);
    } else if (platformId == 1) {
      CheckBySnapshot(main);
    }
  } catch (const std::exception& e) {
    main.Context().Host().HandlerFailed("ProcessCheck", e.what());
  }
}

}  // namespace quill
