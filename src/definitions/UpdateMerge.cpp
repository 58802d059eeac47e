#include "definitions/UpdateMerge.h"

#include <array>
#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/Text.h"
#include "definitions/DefinitionCodec.h"
#include "definitions/DefinitionSet.h"

namespace quill {

namespace {

// The separators as they are stored: EncodeLine of "|", "=" and "^".
constexpr char kStoredBar = '\xBC';
constexpr char kStoredEquals = '}';
constexpr char kStoredCaret = '\x9E';

enum class TargetKind { Plain, Registry, Cookie, Safety };

struct TargetFile {
  const char* name;
  std::array<const char*, 3> kinds;  // empty entries unused; Safety takes any kind with "S"
  TargetKind how;
};

// The six target files, in the order they are merged.
constexpr TargetFile kTargets[] = {
    {definition_files::kFile, {"FILE", "EXE", "DLL"}, TargetKind::Plain},
    {definition_files::kExecutable, {"EXE", "", ""}, TargetKind::Plain},
    {definition_files::kRegistry, {"REG", "", ""}, TargetKind::Registry},
    {definition_files::kCookies, {"COOK", "", ""}, TargetKind::Cookie},
    {definition_files::kDirectory, {"DIR", "", ""}, TargetKind::Plain},
    {definition_files::kSafety, {"", "", ""}, TargetKind::Safety},
};

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

/// Finds "[BR]" without regard to case.
size_t FindBreak(std::string_view body, size_t from) {
  for (size_t at = body.find('[', from); at != std::string_view::npos; at = body.find('[', at + 1))
    if (at + 4 <= body.size() && Lower(body[at + 1]) == 'b' && Lower(body[at + 2]) == 'r' &&
        body[at + 3] == ']')
      return at;
  return std::string_view::npos;
}

struct UpdateLine {
  std::string kind;  // decoded
  bool add = false;
  std::string_view definition;  // stored form, separators plain
};

/// The update lines that can be applied; empty, malformed and unknown lines are left out.
std::vector<UpdateLine> ParseBody(std::string_view body) {
  std::vector<UpdateLine> lines;
  for (size_t start = 0; start <= body.size();) {
    size_t end = FindBreak(body, start);
    if (end == std::string_view::npos) end = body.size();
    std::string_view line = TrimBlanks(body.substr(start, end - start));
    start = end + 4;
    const size_t def = line.find("[DEF]");
    if (line.empty() || def == std::string_view::npos) continue;
    std::string_view header = line.substr(0, def);
    std::string_view definition = line.substr(def + 5);
    const size_t bar = header.find('|');
    // A line holding CR LF (in its kind or its definition) could not be stored as one line.
    if (bar == std::string_view::npos || definition.empty() ||
        definition.find("[DEF]") != std::string_view::npos ||
        line.find("\r\n") != std::string_view::npos)
      continue;
    std::string_view operation = header.substr(bar + 1);
    if (operation != "ADD" && operation != "DEL") continue;
    lines.push_back({DecodeLine(header.substr(0, bar)), operation == "ADD", definition});
  }
  return lines;
}

bool Accepts(const TargetFile& target, std::string_view kind) {
  if (target.how == TargetKind::Safety)
    return kind.find('S') != std::string_view::npos || kind.find('s') != std::string_view::npos;
  for (const char* k : target.kinds)
    if (*k != '\0' && SameNoCase(kind, k)) return true;
  return false;
}

std::string StoreSeparators(std::string_view definition) {
  std::string line(definition);
  for (char& c : line) {
    if (c == '|') c = kStoredBar;
    if (c == '=') c = kStoredEquals;
  }
  return line;
}

/// The line an "ADD" writes into the target; empty when the definition lacks its fields.
std::optional<std::string> StoredLine(TargetKind how, std::string_view kind,
                                      std::string_view definition) {
  switch (how) {
    case TargetKind::Plain:
      return StoreSeparators(definition);
    case TargetKind::Cookie:
      return std::string(definition.substr(0, definition.find('=')));
    case TargetKind::Safety:
      return EncodeLine(kind) + kStoredBar + StoreSeparators(definition);
    case TargetKind::Registry: {
      // name=threat|location|type  ->  location ^= threat | type
      const size_t equals = definition.find('=');
      if (equals == std::string_view::npos) return std::nullopt;
      std::string_view rest = definition.substr(equals + 1);
      const size_t bar1 = rest.find('|');
      if (bar1 == std::string_view::npos) return std::nullopt;
      const size_t bar2 = rest.find('|', bar1 + 1);
      if (bar2 == std::string_view::npos || rest.find('|', bar2 + 1) != std::string_view::npos)
        return std::nullopt;
      std::string line(rest.substr(bar1 + 1, bar2 - bar1 - 1));
      line += kStoredCaret;
      line += kStoredEquals;
      line += rest.substr(0, bar1);
      line += kStoredBar;
      line += rest.substr(bar2 + 1);
      return line;
    }
  }
  return std::nullopt;
}

/// The name of a text: what stands before its first "=" (all of it when there is none),
/// decoded, in lower case, written into name (whose buffer is reused). stop is the stored or
/// the plain equals sign.
void NameInto(std::string_view text, char stop, std::string& name) {
  text = text.substr(0, text.find(stop));
  name.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    int d = static_cast<unsigned char>(text[i]) - 64;
    if (d < 0) d += 255;
    name[i] = Lower(static_cast<char>(d));
  }
}

std::string NameOf(std::string_view text, char stop) {
  std::string name;
  NameInto(text, stop, name);
  return name;
}

/// Lets the hash tables be asked with a string_view, without making a string of each line.
struct TextHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

/// A quick first answer for a hash table asked about every line of a large file: most lines
/// are not in it, and one bit tells so without walking the table.
class HashFilter {
 public:
  template <class Keys>
  void Fill(const Keys& keys) {
    size_t size = 64;
    while (size < keys.size() * 16) size *= 2;
    bits_.assign(size, false);
    for (const auto& key : keys) bits_[Hash(KeyOf(key)) & (size - 1)] = true;
  }
  bool MayContain(std::string_view text) const {
    return !bits_.empty() && bits_[Hash(text) & (bits_.size() - 1)];
  }

 private:
  static size_t Hash(std::string_view text) { return std::hash<std::string_view>{}(text); }
  static std::string_view KeyOf(const std::string& key) { return key; }
  template <class Pair>
  static std::string_view KeyOf(const Pair& pair) {
    return pair.first;
  }
  std::vector<bool> bits_;
};

/// One target file's share of the body, applied in order, then laid over the file's lines in
/// one pass.
class FileMerge {
 public:
  void Delete(TargetKind how, const UpdateLine& line) {
    // Both the definition's own name and the name of the line it would be stored as: for
    // registry and safety lines only the second can match what is on disk.
    std::string own = NameOf(line.definition, '=');
    if (auto stored = StoredLine(how, line.kind, line.definition)) {
      std::string storedName = NameOf(*stored, kStoredEquals);
      if (storedName != own) DeleteName(std::move(storedName));
    }
    DeleteName(std::move(own));
  }

  /// Appends the line unless this body already added it. Lines the file already holds are
  /// found by Build.
  void Add(std::string line) {
    if (addedIndex_.count(line) != 0) return;
    std::string name = NameOf(line, kStoredEquals);
    addedIndex_.emplace(line, added_.size());
    addedByName_[std::move(name)].push_back(added_.size());
    added_.push_back(std::move(line));
    alive_.push_back(true);
  }

  bool HasDeletions() const { return !deleted_.empty(); }
  /// Lines Build appended (after it ran).
  int Appended() const { return appended_; }
  bool Changed() const { return appended_ > 0 || HasDeletions(); }

  /// The new content, in one pass over the old lines: the deleted ones dropped and the added
  /// ones appended unless the file (still) holds them. Lines are cut as the loaders cut them (a
  /// lone LF inside a CR LF file is data). Without deletions the old bytes of a file whose
  /// lines end in CR LF stay as they are; otherwise the file is rebuilt with CR LF line ends
  /// and without empty lines, so that an appended line never joins or splits an old one.
  std::string Build(std::string_view existing, const MergeProgress& progress) {
    std::vector<bool> present(added_.size(), false);
    HashFilter deleted, added;
    deleted.Fill(deleted_);
    added.Fill(addedIndex_);
    const bool keepBytes =
        deleted_.empty() && (existing.empty() || text::EndsWith(existing, "\r\n"));
    std::string out;
    out.reserve(existing.size() + added_.size() * 64);
    if (keepBytes) out.append(existing);
    std::string name;
    size_t number = 0;
    DefinitionLineReader reader(existing);
    for (std::string_view line; reader.Next(line);) {
      if (!keepBytes) {
        if (!deleted_.empty() && ++number % 100 == 0) {
          if (progress.checking) progress.checking(number);
          if (progress.yield) progress.yield();
        }
        if (line.empty() || line == " ") continue;
        NameInto(line, kStoredEquals, name);
        if (deleted.MayContain(name) && deleted_.count(name) != 0) continue;
        out.append(line);
        out += "\r\n";
      }
      if (!added.MayContain(line)) continue;
      if (auto it = addedIndex_.find(line); it != addedIndex_.end()) present[it->second] = true;
    }
    for (size_t i = 0; i < added_.size(); ++i) {
      if (!alive_[i] || present[i]) continue;
      out += added_[i];
      out += "\r\n";
      ++appended_;
    }
    return out;
  }

 private:
  void DeleteName(std::string name) {
    if (auto it = addedByName_.find(name); it != addedByName_.end()) {
      for (size_t index : it->second) {
        addedIndex_.erase(added_[index]);
        alive_[index] = false;
      }
      addedByName_.erase(it);
    }
    deleted_.insert(std::move(name));
  }

  std::unordered_set<std::string> deleted_;
  std::vector<std::string> added_;
  std::vector<bool> alive_;
  std::unordered_map<std::string, size_t, TextHash, std::equal_to<>> addedIndex_;
  std::unordered_map<std::string, std::vector<size_t>> addedByName_;
  int appended_ = 0;
};

}  // namespace

PreparedMerge::PreparedMerge(platform::FileSystem& files, std::string dataFolder,
                             std::string_view body, const MergeProgress& progress)
    : files_(files), dataFolder_(std::move(dataFolder)) {
  const std::vector<UpdateLine> lines = ParseBody(body);
  for (const TargetFile& target : kTargets) {
    Target file;
    file.path = dataFolder_ + "\\" + target.name;
    bool any = false;
    for (const UpdateLine& line : lines) any = any || Accepts(target, line.kind);
    if (!any) continue;

    file.before = files_.ReadFile(file.path);
    const std::string_view existing = file.before ? std::string_view(*file.before) : "";
    FileMerge merge;
    for (const UpdateLine& line : lines) {
      if (!Accepts(target, line.kind)) continue;
      if (!line.add) {
        merge.Delete(target.how, line);
      } else if (auto stored = StoredLine(target.how, line.kind, line.definition)) {
        merge.Add(std::move(*stored));
      }
    }
    if (progress.applying) progress.applying();
    if (progress.yield) progress.yield();
    file.after = merge.Build(existing, progress);
    changes_ += merge.Appended() + (merge.HasDeletions() ? 1 : 0);
    if (merge.Changed()) targets_.push_back(std::move(file));
  }
}

bool PreparedMerge::Commit() {
  for (size_t i = 0; i < targets_.size(); ++i) {
    if (files_.ReplaceFile(targets_[i].path, targets_[i].after)) continue;
    // Put back what was already replaced: a half-applied update would leave the files
    // disagreeing with the stored date.
    for (size_t j = 0; j < i; ++j) {
      if (targets_[j].before)
        files_.ReplaceFile(targets_[j].path, *targets_[j].before);
      else
        files_.DeleteFile(targets_[j].path);
    }
    return false;
  }
  return true;
}

std::optional<int> MergeUpdate(platform::FileSystem& files, const std::string& dataFolder,
                               std::string_view body, const MergeProgress& progress) {
  PreparedMerge merge(files, dataFolder, body, progress);
  if (!merge.Commit()) return std::nullopt;
  return merge.Changes();
}

std::string CleanDateReply(std::string_view reply) {
  std::string text;
  for (char c : TrimBlanks(reply))
    if (c != '\t' && c != '\r' && c != '\n') text += c;
  auto cutAfter = [&text](char first) {
    for (size_t i = 0; i + 1 < text.size(); ++i)
      if (Lower(text[i]) == first && Lower(text[i + 1]) == 'm') {
        text.resize(i + 2);
        return true;
      }
    return false;
  };
  if (!cutAfter('p')) cutAfter('a');
  return text;
}

}  // namespace quill
