#include "scan/FileScan.h"

#include <limits>
#include <optional>

#include "base/Numbers.h"
#include "base/Text.h"
#include "core/ProcessTools.h"
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

constexpr uint32_t kNotListed = platform::kAttrHidden | platform::kAttrSystem;
constexpr const char* kMicrosoft = "MICROSOFT CORPORATION";
constexpr const char* kCrLf = "\r\n";

// A percentage the progress bars take (16-bit), or nothing when the divisor is zero or the
// value cannot be shown.
std::optional<int> ProgressPercent(double part, double whole) {
  if (whole == 0) return std::nullopt;
  int64_t value = numbers::Percent(part, whole);
  if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
    return std::nullopt;
  return static_cast<int>(value);
}

// Counts one more definition line of the direct stages as inspected and reports it; answers
// whether the scan goes on.
bool CountDefinitionLine(const ScanInputs& in, ScanWindow& main, const std::string& shownName) {
  auto& scan = main.Scan();
  ++scan.counters.FilesFoldersInspected;
  const DefinitionCounts& counts = in.definitions.Counts();
  const double inspected = scan.counters.FilesFoldersInspected;
  auto stage = ProgressPercent(inspected, static_cast<double>(counts.filesAndFolders));
  auto overall = ProgressPercent(
      inspected + static_cast<double>(counts.registry + counts.cookies + counts.executables),
      static_cast<double>(counts.total));
  if (stage && overall) main.ReportProgress(scan.StageLabel + kCrLf + shownName, *stage, *overall);
  return !scan.StopRequested;
}

bool IsMicrosoftPublisher(platform::FileSystem& files, const std::string& path) {
  return text::ToUpper(text::Trim(ReadPublisherName(files, path))) == kMicrosoft;
}

// A bare drive ("c:", "C:\") is never reported: removing it would wipe the volume.
bool IsDriveRoot(std::string_view path) {
  std::string t = text::Trim(path);
  while (!t.empty() && (t.back() == '\\' || t.back() == '/')) t.pop_back();
  return t.size() <= 2 && (t.empty() || t.back() == ':' || t.size() == 1);
}

// The threat name shown for a definition that has none: the name it looks for.
std::string ShownThreat(const std::string& threat, const std::string& fallback) {
  return text::Trim(threat).empty() ? fallback : threat;
}

// Hands each decoded line of a definition file to examine, until the scan is stopped or
// examine answers false.
template <typename Examine>
void ForEachDefinitionLine(const ScanInputs& in, ScanWindow& main, const char* fileName,
                           Examine examine) {
  auto& scan = main.Scan();
  auto bytes = ReadDefinitionFile(in, scan, fileName);
  if (!bytes) return;
  DefinitionLineReader reader(*bytes);
  std::string_view raw;
  while (!scan.StopRequested && reader.Next(raw)) {
    std::string line(raw);
    DecodeDefinitionLineInPlace(line);
    if (!examine(line)) return;
  }
}

/// A file or folder listed for removal.
void AddHit(ScanWindow& main, FindingKind kind, const std::string& name, const std::string& threat,
            const std::string& location, const std::string& type) {
  Finding hit;
  hit.kind = kind;
  hit.name = name;
  hit.threat = threat;
  hit.location = location;
  hit.threatType = type;
  main.Findings().Add(std::move(hit));
  ++main.Scan().counters.TracesFound;
}

}  // namespace

// ---- Path helpers ---------------------------------------------------------------------------

bool FileExists(platform::FileSystem& files, const std::string& path) {
  const std::string name = text::AfterLastBackslash(path);
  if (name.empty() || name.find_first_of("*?") != std::string::npos) return false;
  auto attributes = files.Attributes(path);
  if (!attributes) return false;
  return (*attributes & (platform::kAttrDirectory | kNotListed)) == 0;
}

bool FolderExists(platform::FileSystem& files, const std::string& path) {
  if (path.find_first_of("*?") != std::string::npos) return false;
  auto attributes = files.Attributes(path);
  return attributes && (*attributes & platform::kAttrDirectory) != 0;
}

int PathDepth(std::string_view text) {
  int depth = 0;
  for (char c : text)
    if (c == '\\') ++depth;
  return depth;
}

int MatchingTailCount(std::string_view a, std::string_view b) {
  auto dropDrive = [](std::string_view s) {
    size_t colon = s.find(':');
    if (colon == std::string_view::npos) return s;
    return colon + 2 <= s.size() ? s.substr(colon + 2) : std::string_view();
  };
  a = dropDrive(a);
  b = dropDrive(b);
  // An empty text has no parts at all (no position to compare).
  if (a.empty() || b.empty()) return 0;
  // Compare part by part from the end, without splitting into new strings.
  int count = 0;
  size_t aEnd = a.size(), bEnd = b.size();
  while (true) {
    size_t aStart = a.rfind('\\', aEnd == 0 ? std::string_view::npos : aEnd - 1);
    size_t bStart = b.rfind('\\', bEnd == 0 ? std::string_view::npos : bEnd - 1);
    if (aEnd == 0) aStart = std::string_view::npos;
    if (bEnd == 0) bStart = std::string_view::npos;
    size_t aFrom = aStart == std::string_view::npos ? 0 : aStart + 1;
    size_t bFrom = bStart == std::string_view::npos ? 0 : bStart + 1;
    std::string_view partA = a.substr(aFrom, aEnd - aFrom);
    std::string_view partB = b.substr(bFrom, bEnd - bFrom);
    if (!partA.empty() && partA == partB) ++count;
    if (aStart == std::string_view::npos || bStart == std::string_view::npos) break;
    aEnd = aStart;
    bEnd = bStart;
  }
  return count;
}

// ---- Definition-driven stages ----------------------------------------------------------------

void ScanFileDefinitions(const ScanInputs& in, ScanWindow& main) {
  auto& files = in.files;
  auto& definitions = in.definitions;
  LocationExpander expander(in.tokens);
  const std::string driveRoot = in.tokens.SystemDriveRoot();
  InheritedType type;
  ForEachDefinitionLine(in, main, definition_files::kFile, [&](const std::string& line) {
    std::optional<FileDefinition> def = ParseFileDefinition(line, TypeWord::AsWritten);
    std::string fileName, threat, path;
    if (def) {
      type.Apply(def->type);
      fileName = def->fileName;
      threat = ShownThreat(def->threatName, fileName);
      std::string location =
          def->hasLocationField ? expander.ExpandLocation(def->location, driveRoot) : std::string();
      // Without a location the bare name is looked up as the file system resolves it.
      path = CollapseBackslashes(location.empty() ? fileName : location + "\\" + fileName);
    }

    if (!CountDefinitionLine(in, main, fileName)) return false;

    if (def && FileExists(files, path) && !definitions.IsProtected(path)) {
      if (in.floor.ProtectsPath(path)) {
        main.Findings().Add(LeftAloneFinding(FindingKind::File, FindingState::Protected, path));
      } else if (in.exclusions.IsExcluded(path)) {
        main.Findings().Add(LeftAloneFinding(FindingKind::File, FindingState::Excluded, path));
      } else if (!IsMicrosoftPublisher(files, path)) {
        AddHit(main, FindingKind::File, threat, threat, path, type.Current());
        type.Clear();
      }
    }
    in.host.DoEvents();
    return true;
  });
}

void ScanFolderDefinitions(const ScanInputs& in, ScanWindow& main) {
  auto& files = in.files;
  auto& definitions = in.definitions;
  LocationExpander expander(in.tokens);
  const std::string driveRoot = in.tokens.SystemDriveRoot();
  InheritedType type;
  ForEachDefinitionLine(in, main, definition_files::kDirectory, [&](const std::string& line) {
    std::optional<FolderDefinition> def = ParseFolderDefinition(line);
    // A folder definition without a location names nothing to look for.
    if (!def || !def->hasLocationField) return true;
    type.Apply(def->type);
    const std::string folder = expander.ExpandLocation(def->location, driveRoot);
    std::string label = def->label;
    for (const char* cut : {"\r\n", "\r", "\n", "\t"}) label = text::ReplaceAll(label, cut, "");
    const std::string threat = ShownThreat(def->threatName, label);

    if (!CountDefinitionLine(in, main, label)) return false;

    if (!folder.empty() && !IsDriveRoot(folder) && FolderExists(files, folder) &&
        !definitions.IsProtected(folder)) {
      if (in.floor.ProtectsPath(folder)) {
        main.Findings().Add(LeftAloneFinding(FindingKind::Folder, FindingState::Protected, folder));
      } else if (in.exclusions.IsExcludedOrContained(folder)) {
        main.Findings().Add(LeftAloneFinding(FindingKind::Folder, FindingState::Excluded, folder));
      } else {
        AddHit(main, FindingKind::Folder, threat, threat, folder, type.Current());
        type.Clear();
      }
    }
    in.host.DoEvents();
    return true;
  });
}

// ---- The tree walk ---------------------------------------------------------------------------

FolderWalk::FolderWalk(const ScanInputs& in, ScanWindow& main)
    : main_(main),
      host_(in.host),
      scan_(main.Scan()),
      files_(in.files),
      definitions_(in.definitions),
      exclusions_(in.exclusions),
      floor_(in.floor),
      systemDirectoryLower_(text::ToLower(in.tokens.SystemDirectory())) {}

bool FolderWalk::SystemFolderRuleHolds(std::string_view met, std::string_view stored) const {
  // A met item inside the system folder only matches a definition naming that folder in full.
  if (systemDirectoryLower_.empty()) return true;
  if (met.find(systemDirectoryLower_) == std::string_view::npos) return true;
  return text::FindNoCase(stored, systemDirectoryLower_) != std::string::npos;
}

bool FolderWalk::WindowsWordRuleHolds(std::string_view met, std::string_view stored) {
  for (std::string_view word : {"system32", "system", "windows"}) {
    if (text::FindNoCase(met, word) != std::string::npos &&
        text::FindNoCase(stored, word) == std::string::npos)
      return false;
  }
  return true;
}

bool FolderWalk::PublishedByMicrosoft(const std::string& path) {
  return IsMicrosoftPublisher(files_, path);
}

void FolderWalk::CheckFoundFolder(const std::string& folder) {
  if (folder.empty() || folder == " ") return;
  std::string f = text::ToLower(folder);
  if (text::EndsWith(f, "\\")) f.pop_back();
  const size_t slash = f.find('\\');
  const std::string drive = slash == std::string::npos ? f : f.substr(0, slash);

  const auto& table = definitions_.DirectoryTable();
  table.RowsForFolder(f, rows_);
  if (rows_.empty()) return;
  const int depth = PathDepth(f);
  for (uint32_t index : rows_) {
    const DefinitionRow row = table.Row(index);
    const std::string compared = DirectoryTable::ComparedFolderPath(row.folder, drive);
    if (compared.empty()) return;
    if (compared != f) continue;
    bool shapeMatches =
        depth < 2 ? PathDepth(row.folder) == 1 : MatchingTailCount(f, row.folder) >= 2;
    if (!shapeMatches || !SystemFolderRuleHolds(f, row.folder)) continue;
    if (definitions_.IsProtected(f)) return;
    if (floor_.ProtectsPath(f)) {
      main_.Findings().Add(
          LeftAloneFinding(FindingKind::WalkedFolder, FindingState::Protected, f + "\\"));
      return;
    }
    if (exclusions_.IsExcluded(f)) {
      main_.Findings().Add(
          LeftAloneFinding(FindingKind::WalkedFolder, FindingState::Excluded, f + "\\"));
      return;
    }
    if (PublishedByMicrosoft(f)) return;
    if (!WindowsWordRuleHolds(f, row.folder)) continue;
    if (IsDriveRoot(f)) return;
    // A folder that went away since it was listed is not reported.
    if (!files_.Attributes(f)) return;
    const std::string threat = ShownThreat(std::string(row.threatName), std::string(row.name));
    AddHit(main_, FindingKind::WalkedFolder, threat + " Directory", threat, f,
           std::string(row.type));
    return;
  }
}

void FolderWalk::CheckFoundFile(const std::string& path) {
  if (path.empty() || path == " ") return;
  const std::string folder = text::ToLower(text::UpToLastBackslash(path));
  if (floor_.IsOwnFolder(folder)) return;
  const std::string name = text::ToLower(text::Trim(text::AfterLastBackslash(path)));
  CheckFile(folder, name);
}

void FolderWalk::CheckFile(const std::string& folderLower, const std::string& nameLower,
                           bool listedOnly) {
  const auto& table = definitions_.FileTable();
  table.RowsNamed(nameLower, rows_);
  if (rows_.empty()) return;
  // A long program name is distinctive enough to be matched wherever it is found.
  const bool nameAlone = nameLower.size() > 16 && nameLower.find(".exe") != std::string::npos;
  const int depth = PathDepth(folderLower);
  const std::string full = folderLower + nameLower;
  for (uint32_t index : rows_) {
    const DefinitionRow row = table.Row(index);
    bool matches = nameAlone;
    if (!matches) {
      matches = depth < 2 ? PathDepth(row.folder) == 1
                          : MatchingTailCount(folderLower, row.folder) >= 2 &&
                                SystemFolderRuleHolds(folderLower, row.folder);
    }
    if (!matches) continue;
    if (definitions_.IsProtected(full)) return;
    if (floor_.ProtectsPath(full)) {
      main_.Findings().Add(LeftAloneFinding(FindingKind::File, FindingState::Protected, full));
      return;
    }
    if (exclusions_.IsExcluded(full)) {
      main_.Findings().Add(LeftAloneFinding(FindingKind::File, FindingState::Excluded, full));
      return;
    }
    if (PublishedByMicrosoft(full)) return;
    if (!WindowsWordRuleHolds(full, row.folder)) continue;
    // A file that went away since it was listed (or never was) is not reported.
    const auto attributes = files_.Attributes(full);
    if (!attributes || (listedOnly && (*attributes & kNotListed))) return;
    const std::string threat = ShownThreat(std::string(row.threatName), std::string(row.name));
    AddHit(main_, FindingKind::File, threat, threat, full, std::string(row.type));
    return;
  }
}

bool FolderWalk::Enters(const platform::DirEntry& entry) {
  const uint32_t kind = entry.attributes & ~platform::kAttrReparsePoint;
  if (kind != platform::kAttrDirectory) return false;
  const bool known = entry.volume != 0 || entry.fileIndex != 0;
  // A linked folder without an identity could lead back into the walk for ever.
  if (!known) return (entry.attributes & platform::kAttrReparsePoint) == 0;
  return scan_.gaps.WalkedFolders.emplace(entry.volume, entry.fileIndex).second;
}

void FolderWalk::ExamineEntries(const std::string& folder, std::vector<std::string>& subfolders) {
  // One listing serves both passes: listing every folder twice doubled the cost of the walk
  // (the file system is its expensive part). Only this listing is open, and it is let go
  // before any subfolder is entered.
  auto listing = files_.ListForWalk(folder);
  if (!listing || listing->empty()) return;

  // First pass: how many subfolders there are, so that the walk enters no more than that.
  size_t folderCount = 0;
  for (const auto& entry : *listing) {
    if (entry.attributes & kNotListed) continue;
    if ((entry.attributes & ~platform::kAttrReparsePoint) == platform::kAttrDirectory)
      ++folderCount;
    if (scan_.StopRequested) return;
    host_.DoEvents();
  }
  subfolders.reserve(folderCount);

  // Second pass: every entry, in listing order.
  const std::string folderLower = text::ToLower(folder);
  std::string progress;
  for (const auto& entry : *listing) {
    if (entry.attributes & kNotListed) continue;
    // Only a plain folder is entered: read-only or archived folders are examined like
    // files. A folder met again (through a link or another drive) was examined already.
    if ((entry.attributes & ~platform::kAttrReparsePoint) == platform::kAttrDirectory) {
      // The program's own folders (its data and quarantine among them) are not looked into.
      if (floor_.IsOwnFolder(folder + entry.name)) continue;
      if (!Enters(entry)) continue;
      CheckFoundFolder(folder + entry.name + "\\");
      if (subfolders.size() < folderCount) subfolders.push_back(entry.name);
    } else {
      CheckFile(folderLower, text::ToLower(text::Trim(entry.name)), !entry.dosBitsKnown);
    }
    ++scan_.counters.FilesFoldersInspected;
    // Only every 25th report reaches the screen: build its text only then.
    if (scan_.counters.ReportTick >= 24)
      progress.assign("Scanning: ").append(folder).append(kCrLf).append(entry.name);
    main_.ReportProgress(progress, 0, 0);
    if (scan_.StopRequested) return;
    host_.DoEvents();
  }
}

void FolderWalk::ScanFolderTree(const std::string& folder) {
  // Depth-first, each folder's entries before its subfolders, with an explicit stack so
  // that a very deep tree cannot exhaust the call stack.
  struct Level {
    std::string folder;
    std::vector<std::string> subfolders;
    size_t next = 0;
  };
  if (floor_.IsOwnFolder(folder)) return;
  // A folder this scan has walked already (a drive that is a folder of another) is not
  // walked again.
  if (auto id = files_.Identity(folder);
      id && !scan_.gaps.WalkedFolders.emplace(id->volume, id->fileIndex).second)
    return;
  std::vector<Level> stack;
  stack.push_back(Level{folder, {}, 0});
  ExamineEntries(stack.back().folder, stack.back().subfolders);
  while (!stack.empty()) {
    if (scan_.StopRequested) return;
    Level& top = stack.back();
    if (top.next >= top.subfolders.size()) {
      stack.pop_back();
      continue;
    }
    std::string child = top.folder + top.subfolders[top.next++] + "\\";
    stack.push_back(Level{std::move(child), {}, 0});
    ExamineEntries(stack.back().folder, stack.back().subfolders);
  }
}

void ScanFolderTree(const ScanInputs& in, ScanWindow& main, const std::string& folder) {
  FolderWalk(in, main).ScanFolderTree(folder);
}

void CheckFoundFolder(const ScanInputs& in, ScanWindow& main, const std::string& folder) {
  FolderWalk(in, main).CheckFoundFolder(folder);
}

void CheckFoundFile(const ScanInputs& in, ScanWindow& main, const std::string& path) {
  FolderWalk(in, main).CheckFoundFile(path);
}

}  // namespace quill
