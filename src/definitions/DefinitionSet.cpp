#include "definitions/DefinitionSet.h"

#include <algorithm>
#include <array>

#include "base/Text.h"
#include "definitions/DefinitionCodec.h"
#include "definitions/LocationForm.h"

namespace quill {
namespace {

constexpr std::string_view kDriveToken = "[drive]";

bool IsBlank(std::string_view s) {
  return s.find_first_not_of(' ') == std::string_view::npos;
}

void RemoveOneTrailing(std::string& s, char c) {
  if (!s.empty() && s.back() == c) s.pop_back();
}

// Lower case, in the form deletion uses (separators collapsed, "." and ".." resolved; a
// registry text only trimmed and collapsed), the drive letter counted as "c". False when
// nothing but blanks remains.
bool NormaliseForProtection(std::string_view path, std::string& out) {
  const std::string trimmed = text::Trim(path);
  if (text::StartsWithNoCase(trimmed, "HKEY_")) {
    out = text::ToLower(location::CanonicalKeyPath(trimmed));
  } else {
    out = text::ToLower(location::CanonicalFilePath(trimmed));
    // Only a leading drive is normalised: registry texts may hold ":\" inside value names.
    if (location::IsDrivePath(out)) out[0] = 'c';
  }
  return !IsBlank(out);
}

bool IsRegistryRootName(std::string_view normalised) {
  static constexpr std::array<std::string_view, 5> kRoots = {
      "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
      "HKEY_CURRENT_CONFIG"};
  std::string_view s = normalised;
  if (!s.empty() && s.back() == '\\') s.remove_suffix(1);
  return std::any_of(kRoots.begin(), kRoots.end(),
                     [&](std::string_view root) { return text::EqualsNoCase(s, root); });
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TextArena

TextArena::Ref TextArena::Allocate(size_t length) {
  Ref ref;
  ref.length = static_cast<uint32_t>(length);
  if (length == 0) return ref;  // nothing to hold; viewed as empty
  if (length > kBlockSize / 4) {
    // A long text gets a block of its own; small texts keep filling the current one.
    blocks_.push_back(std::make_unique<char[]>(length));
    ref.block = static_cast<uint32_t>(blocks_.size() - 1);
    return ref;
  }
  if (used_ + length > kBlockSize) {
    blocks_.push_back(std::make_unique<char[]>(kBlockSize));
    current_ = static_cast<uint32_t>(blocks_.size() - 1);
    used_ = 0;
  }
  ref.block = current_;
  ref.offset = static_cast<uint32_t>(used_);
  used_ += length;
  return ref;
}

TextArena::Ref TextArena::Store(std::string_view text) {
  Ref ref = Allocate(text.size());
  if (!text.empty()) std::copy(text.begin(), text.end(), Data(ref));
  return ref;
}

// ---------------------------------------------------------------------------------------
// RowKeyIndex

uint32_t RowKeyIndex::Hash(std::string_view key) {
  // FNV-1a: short keys, and equal keys must meet.
  uint32_t h = 2166136261u;
  for (char c : key) h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
  return h;
}

void RowKeyIndex::Reserve(size_t rows) {
  keys_.reserve(rows);
  next_.reserve(rows);
  Grow(rows * 10 / 7 + 1);
}

void RowKeyIndex::Add(TextArena::Ref key, uint32_t row) {
  if (next_.size() <= row) next_.resize(static_cast<size_t>(row) + 1, kNone);
  if ((keys_.size() + 1) * 10 > slots_.size() * 7) Grow(slots_.size() * 2);
  const std::string_view text = arena_.View(key);
  const uint32_t hash = Hash(text);
  const size_t slot = FindSlot(text, hash);
  if (slots_[slot].key != 0) {
    Key& k = keys_[slots_[slot].key - 1];
    next_[k.last] = row;
    k.last = row;
    return;
  }
  keys_.push_back(Key{key, row, row, hash});
  slots_[slot] = Slot{static_cast<uint32_t>(keys_.size()), hash};
}

uint32_t RowKeyIndex::First(std::string_view key) const {
  if (slots_.empty()) return kNone;
  const size_t slot = FindSlot(key, Hash(key));
  return slots_[slot].key == 0 ? kNone : keys_[slots_[slot].key - 1].first;
}

size_t RowKeyIndex::FindSlot(std::string_view key, uint32_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    // The hash sits in the slot so that passing other keys touches nothing else.
    if (s.key == 0 || (s.hash == hash && arena_.View(keys_[s.key - 1].text) == key)) return i;
  }
}

void RowKeyIndex::Grow(size_t minimumSlots) {
  size_t size = 64;
  while (size < minimumSlots) size *= 2;
  if (size <= slots_.size()) return;
  slots_.assign(size, Slot{});
  const size_t mask = size - 1;
  for (size_t n = 0; n < keys_.size(); ++n) {
    size_t i = keys_[n].hash & mask;
    while (slots_[i].key != 0) i = (i + 1) & mask;
    slots_[i] = Slot{static_cast<uint32_t>(n + 1), keys_[n].hash};
  }
}

// ---------------------------------------------------------------------------------------
// Tables

DefinitionRow DefinitionTable::Row(size_t index) const {
  const Stored& r = rows_.at(index);
  const std::string_view all = arena_.View(r.text);
  DefinitionRow row;
  row.folder = all.substr(0, r.folderLength);
  row.name = all.substr(r.folderLength, r.nameLength);
  row.type = all.substr(r.folderLength + r.nameLength, r.typeLength);
  row.threatName = all.substr(r.folderLength + r.nameLength + r.typeLength);
  return row;
}

void DefinitionTable::Reserve(size_t rows) {
  rows_.reserve(std::min(rows, kCapacity));
}

std::optional<DefinitionTable::Stored> DefinitionTable::Store(std::string_view folder,
                                                              std::string_view name,
                                                              std::string_view type,
                                                              std::string_view threatName,
                                                              bool comparedTextBlank) {
  if (rows_.size() >= kCapacity) return std::nullopt;
  Stored row;
  row.text = arena_.Allocate(folder.size() + name.size() + type.size() + threatName.size());
  row.folderLength = static_cast<uint32_t>(folder.size());
  row.nameLength = static_cast<uint32_t>(name.size());
  row.typeLength = static_cast<uint32_t>(type.size());
  if (row.text.length != 0) {
    char* out = arena_.Data(row.text);
    for (std::string_view part : {folder, name, type, threatName})
      out = std::copy(part.begin(), part.end(), out);
  }
  if (comparedTextBlank && firstEmpty_ == SIZE_MAX) firstEmpty_ = rows_.size();
  rows_.push_back(row);
  return row;
}

void FileTable::Reserve(size_t rows) {
  DefinitionTable::Reserve(rows);
  byName_.Reserve(std::min(rows, kCapacity));
}

bool FileTable::Add(std::string_view folder, std::string_view fileName, std::string_view type,
                    std::string_view threatName) {
  const size_t begin = fileName.find_first_not_of(' ');
  const size_t end = fileName.find_last_not_of(' ');
  const bool blank = begin == std::string_view::npos;
  const uint32_t row = static_cast<uint32_t>(rows_.size());
  const std::optional<Stored> stored = Store(folder, fileName, type, threatName, blank);
  if (!stored) return false;
  // The key is the trimmed name, inside the stored row.
  TextArena::Ref key = stored->text;
  key.offset += stored->folderLength + (blank ? 0 : static_cast<uint32_t>(begin));
  key.length = blank ? 0 : static_cast<uint32_t>(end - begin + 1);
  byName_.Add(key, row);
  return true;
}

void FileTable::RowsNamed(std::string_view name, std::vector<uint32_t>& out) const {
  out.clear();
  const std::string key = text::Trim(name);
  const size_t limit = FirstEmptyRow();
  for (uint32_t r = byName_.First(key); r != RowKeyIndex::kNone && r < limit; r = byName_.Next(r))
    out.push_back(r);
}

std::string DirectoryTable::ComparedFolderPath(std::string_view storedFolderPath,
                                               std::string_view drive) {
  std::string l =
      text::Trim(text::ToLower(text::ReplaceAllNoCase(storedFolderPath, kDriveToken, drive)));
  if (l.size() > 1 && l.back() == '\\') l.pop_back();
  return l;
}

bool DirectoryTable::Add(std::string_view folderPath, std::string_view label, std::string_view type,
                         std::string_view threatName) {
  const uint32_t row = static_cast<uint32_t>(rows_.size());
  const std::optional<Stored> stored =
      Store(folderPath, label, type, threatName, IsBlank(folderPath));
  if (!stored) return false;

  const std::string lower = text::ToLower(folderPath);
  // Keys are pieces of the stored path when it is lower case already (as the loader stores
  // it); otherwise they are kept beside it.
  auto keyRef = [&](std::string_view key, size_t position) {
    if (lower != folderPath) return arena_.Store(key);
    TextArena::Ref ref = stored->text;
    ref.offset += static_cast<uint32_t>(position);
    ref.length = static_cast<uint32_t>(key.size());
    return ref;
  };
  const size_t drive = lower.find(kDriveToken);
  if (drive == std::string::npos) {
    const std::string key = ComparedFolderPath(lower, {});
    byPath_.Add(keyRef(key, key.empty() ? 0 : lower.find_first_not_of(' ')), row);
  } else if (drive == 0 && lower.find(kDriveToken, kDriveToken.size()) == std::string::npos) {
    // The compared text is the met drive followed by this rest.
    std::string rest = text::TrimRight(std::string_view(lower).substr(kDriveToken.size()));
    RemoveOneTrailing(rest, '\\');
    byDriveRest_.Add(keyRef(rest, kDriveToken.size()), row);
  } else {
    irregular_.push_back(row);
  }
  return true;
}

void DirectoryTable::RowsForFolder(std::string_view folder, std::vector<uint32_t>& out) const {
  out.clear();
  const size_t limit = FirstEmptyRow();
  const std::string_view drive = folder.substr(0, folder.find('\\'));
  if (IsBlank(drive)) {
    // Not a drive path: the compared texts cannot be predicted, so offer every row.
    for (uint32_t r = 0; r < limit; ++r) out.push_back(r);
    return;
  }
  // Three row chains, each in file order, merged into one.
  uint32_t a = byPath_.First(folder);
  uint32_t b = byDriveRest_.First(folder.substr(drive.size()));
  size_t c = 0;
  constexpr uint32_t kNone = RowKeyIndex::kNone;
  while (true) {
    const uint32_t ci = c < irregular_.size() ? irregular_[c] : kNone;
    const uint32_t next = std::min({a, b, ci});
    if (next == kNone || next >= limit) break;
    out.push_back(next);
    if (next == a) a = byPath_.Next(a);
    if (next == b) b = byDriveRest_.Next(b);
    if (next == ci) ++c;
  }
}

// ---------------------------------------------------------------------------------------
// Protected locations

void ProtectedLocations::Assign(std::vector<std::string> entries) {
  entries_ = std::move(entries);
  normalised_.clear();
  std::string n;
  for (const std::string& entry : entries_)
    if (NormaliseForProtection(entry, n)) normalised_.insert(n);
}

bool ProtectedLocations::IsProtected(std::string_view path) const {
  std::string p;
  if (!NormaliseForProtection(path, p)) return true;
  // A whole registry root is never a thing to remove, whatever the list holds.
  if (IsRegistryRootName(p)) return true;
  if (normalised_.empty()) return false;
  const std::string_view view(p);
  if (normalised_.find(view) != normalised_.end()) return true;
  if (view.back() == '\\' && normalised_.find(view.substr(0, view.size() - 1)) != normalised_.end())
    return true;
  p.push_back('\\');
  return normalised_.find(std::string_view(p)) != normalised_.end();
}

// ---------------------------------------------------------------------------------------
// DefinitionSet

DefinitionSet::DefinitionSet(platform::FileSystem& fs, std::string dataFolder, PathTokens& tokens,
                             DefinitionHooks hooks)
    : fs_(fs), dataFolder_(std::move(dataFolder)), tokens_(tokens), hooks_(std::move(hooks)) {}

std::string DefinitionSet::DataFile(std::string_view name) const {
  std::string path = dataFolder_;
  path += '\\';
  path += name;
  return path;
}

std::vector<std::string> DefinitionSet::ReadLines(const char* name,
                                                  std::vector<std::string>* unreadable) {
  const std::string path = DataFile(name);
  std::optional<std::string> content = fs_.ReadFile(path);
  if (!content) {
    if (unreadable && fs_.Attributes(path)) unreadable->emplace_back(name);
    return {};
  }
  // date.dat is plain text; the others are stored definition lines.
  if (std::string_view(name) == definition_files::kDate) return text::SplitLines(*content);
  return DefinitionFileLines(*content);
}

bool DefinitionSet::LoadProtectedList() {
  std::vector<std::string> entries;
  std::vector<std::string> lines = ReadLines(definition_files::kSafety);
  if (!lines.empty()) {
    LocationExpander expander(tokens_);
    ProtectedLocationReader reader(expander, tokens_.SystemDriveRoot());
    for (std::string& line : lines) {
      if (Stopped()) break;
      DecodeDefinitionLineInPlace(line);
      entries.push_back(reader.Next(line));
      Yield();
    }
    // Entries were gathered one per line, each followed by a line end: the list ends with
    // an empty element.
    entries.emplace_back();
  }
  protected_.Assign(std::move(entries));
  return true;
}

const std::vector<std::string>& DefinitionSet::LoadDefinitionSet() {
  if (tablesCreated_) return unreadableTables_;
  tablesCreated_ = true;
  if (hooks_.loadBegin) hooks_.loadBegin();
  LocationExpander expander(tokens_);
  // One carried type for the whole load: it is never reset between lines.
  InheritedType type;
  if (!LoadFileLines(expander, type)) return unreadableTables_;
  if (!LoadDirectoryLines(expander, type)) return unreadableTables_;
  if (hooks_.loadEnd) hooks_.loadEnd();
  return unreadableTables_;
}

bool DefinitionSet::LoadFileLines(LocationExpander& expander, InheritedType& type) {
  std::vector<std::string> lines = ReadLines(definition_files::kFile, &unreadableTables_);
  fileTable_.Reserve(lines.size());
  std::string folder;
  for (std::string& line : lines) {
    if (Stopped()) return false;
    DecodeDefinitionLineInPlace(line);
    if (auto def = ParseFileDefinition(line, TypeWord::TypeMeansSpyware)) {
      const std::string& rowType = type.Apply(def->type);
      const std::string location = expander.ExpandLocation(def->location);
      folder = location.empty() ? std::string() : CollapseBackslashes(location + "\\");
      if (fileTable_.Size() < DefinitionTable::kCapacity && !IsProtected(folder + def->fileName))
        fileTable_.Add(text::ToLower(folder), text::ToLower(def->fileName), rowType,
                       def->threatName);
    }
    Yield();
  }
  return true;
}

bool DefinitionSet::LoadDirectoryLines(LocationExpander& expander, InheritedType& type) {
  std::vector<std::string> lines = ReadLines(definition_files::kDirectory, &unreadableTables_);
  directoryTable_.Reserve(lines.size());
  for (std::string& line : lines) {
    if (Stopped()) return false;
    DecodeDefinitionLineInPlace(line);
    if (auto def = ParseFolderDefinition(line)) {
      const std::string& rowType = type.Apply(def->type);
      std::string folderPath = expander.ExpandLocation(def->location);
      RemoveOneTrailing(folderPath, '\\');
      // A line without a location gives an empty path, which counts as protected.
      if (directoryTable_.Size() < DefinitionTable::kCapacity && !IsProtected(folderPath))
        directoryTable_.Add(text::ToLower(folderPath), text::ToLower(def->label), rowType,
                            def->threatName);
    }
    Yield();
  }
  return true;
}

int64_t DefinitionSet::CountDefinitions() {
  counts_ = DefinitionCounts{};
  auto count = [this](const char* name) -> int64_t {
    std::optional<std::string> content = fs_.ReadFile(DataFile(name));
    return content ? static_cast<int64_t>(DefinitionFileLines(*content).size()) : 0;
  };
  counts_.cookies = count(definition_files::kCookies);
  counts_.executables = count(definition_files::kExecutable);
  counts_.registry = count(definition_files::kRegistry);
  counts_.filesAndFolders = count(definition_files::kFile);
  counts_.filesAndFolders += count(definition_files::kDirectory);
  counts_.total =
      counts_.cookies + counts_.executables + counts_.registry + counts_.filesAndFolders;
  return counts_.total;
}

bool DefinitionSet::DefinitionsPresent(const std::function<void()>& showMissingFiles) {
  static constexpr std::array<const char*, 5> kChecked = {
      definition_files::kFile, definition_files::kRegistry, definition_files::kExecutable,
      definition_files::kCookies, definition_files::kDirectory};
  for (const char* name : kChecked) {
    const std::optional<uint32_t> attributes = fs_.Attributes(DataFile(name));
    if (attributes && (*attributes & platform::kAttrDirectory) == 0) continue;
    if (showMissingFiles) showMissingFiles();
    // A partial set is worse than none: Live Update then installs a complete one.
    for (const char* victim : kChecked) fs_.DeleteFile(DataFile(victim));
    fs_.DeleteFile(DataFile(definition_files::kDate));
    return false;
  }
  return true;
}

std::string DefinitionSet::ReadDefinitionDate() {
  std::vector<std::string> lines = ReadLines(definition_files::kDate);
  // An empty file (a write that failed half-way) reads like a missing one.
  if (lines.empty()) return kDefaultDefinitionDate;
  return lines.front();
}

bool DefinitionSet::WriteDefinitionDate(const std::string& text) {
  // Replaced in one step: a crash never leaves the date without definitions or the reverse.
  return fs_.ReplaceFile(DataFile(definition_files::kDate), text + "\r\n");
}

}  // namespace quill
