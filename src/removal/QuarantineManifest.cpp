#include "removal/QuarantineManifest.h"

#include <algorithm>
#include <set>
#include <utility>

#include "base/Text.h"
#include "platform/FileSystem.h"
#include "removal/RemovalContract.h"

namespace quill {

namespace {

constexpr const char* kHeaderLine = "# Quillonet quarantine manifest 1";
constexpr size_t kFields = 9;
// Ids are read back with at most this many digits.
constexpr size_t kIdDigits = 9;
constexpr int kMaxId = 999999999;

std::string Escape(const std::string& field) {
  std::string out;
  for (char c : field) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::string> Unescape(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      out += field[i];
      continue;
    }
    if (++i >= field.size()) return std::nullopt;
    const char e = field[i];
    if (e == '\\') {
      out += '\\';
    } else if (e == 't') {
      out += '\t';
    } else if (e == 'r') {
      out += '\r';
    } else if (e == 'n') {
      out += '\n';
    } else {
      return std::nullopt;
    }
  }
  return out;
}

std::optional<QuarantineKind> KindFromName(const std::string& name) {
  for (QuarantineKind kind : {QuarantineKind::File, QuarantineKind::Folder, QuarantineKind::Cookie,
                              QuarantineKind::Registry}) {
    if (KindName(kind) == name) return kind;
  }
  return std::nullopt;
}

bool AllDigits(const std::string& s, size_t maxDigits) {
  return !s.empty() && s.size() <= maxDigits &&
         std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string KindName(QuarantineKind kind) {
  switch (kind) {
    case QuarantineKind::File:
      return "file";
    case QuarantineKind::Folder:
      return "folder";
    case QuarantineKind::Cookie:
      return "cookie";
    case QuarantineKind::Registry:
      return "registry";
  }
  return "file";
}

QuarantineManifest::QuarantineManifest(platform::FileSystem& files, std::string folder)
    : files_(files), folder_(std::move(folder)) {}

std::string QuarantineManifest::Path() const {
  return folder_ + "\\" + kFileName;
}

std::string QuarantineManifest::FormatLine(const QuarantineItem& item) {
  const std::string fields[kFields] = {std::to_string(item.id),
                                       item.time,
                                       KindName(item.kind),
                                       item.restoredTo.empty() ? "saved" : "restored",
                                       item.original,
                                       item.copy,
                                       std::to_string(item.size),
                                       item.sha256,
                                       item.restoredTo};
  std::string line;
  for (size_t i = 0; i < kFields; ++i) {
    if (i) line += '\t';
    line += Escape(fields[i]);
  }
  return line;
}

std::optional<QuarantineItem> QuarantineManifest::ParseLine(const std::string& line) {
  const std::vector<std::string> raw = text::Split(line, "\t");
  if (raw.size() != kFields) return std::nullopt;
  std::vector<std::string> f;
  for (const std::string& field : raw) {
    auto value = Unescape(field);
    if (!value) return std::nullopt;
    f.push_back(std::move(*value));
  }
  auto kind = KindFromName(f[2]);
  if (!AllDigits(f[0], kIdDigits) || !kind || !AllDigits(f[6], 19) || f[4].empty() || f[5].empty())
    return std::nullopt;
  if ((f[3] == "restored") == f[8].empty() || (f[3] != "saved" && f[3] != "restored"))
    return std::nullopt;
  QuarantineItem item;
  item.id = static_cast<int>(text::Val(f[0]));
  item.time = f[1];
  item.kind = *kind;
  item.original = f[4];
  item.copy = f[5];
  item.size = std::stoull(f[6]);
  item.sha256 = f[7];
  item.restoredTo = f[8];
  return item;
}

std::optional<std::vector<QuarantineItem>> QuarantineManifest::Load() {
  unreadable_.clear();
  std::vector<QuarantineItem> items;
  if (!files_.Attributes(Path())) return items;
  auto textFile = files_.ReadFile(Path());
  if (!textFile) return std::nullopt;
  for (const std::string& line : text::SplitLines(*textFile)) {
    if (line.empty() || line[0] == '#') continue;
    auto item = ParseLine(line);
    // A line we cannot read (a hand edit, a newer format) is kept, never dropped.
    if (!item || std::any_of(items.begin(), items.end(),
                             [&](const QuarantineItem& i) { return i.id == item->id; })) {
      unreadable_.push_back(line);
      continue;
    }
    items.push_back(std::move(*item));
  }
  return items;
}

bool QuarantineManifest::Save(const std::vector<QuarantineItem>& items) {
  std::string out = std::string(kHeaderLine) + "\r\n";
  for (const QuarantineItem& item : items) out += FormatLine(item) + "\r\n";
  for (const std::string& line : unreadable_) out += line + "\r\n";
  // Never written where a link at its name (or the folder's) would lead.
  return StaysOnMachine(files_, Path()) && files_.ReplaceFile(Path(), out);
}

bool QuarantineManifest::Add(QuarantineItem& item) {
  auto items = Load();
  if (!items) return false;
  // The id after the highest; when a (planted) line holds the highest id there is, the
  // lowest free one, so that every id written can be read back.
  std::set<int> used;
  for (const QuarantineItem& i : *items) used.insert(i.id);
  int next = used.empty() ? 1 : *used.rbegin() + 1;
  if (next > kMaxId || next < 1)
    for (next = 1; used.count(next) != 0 && next < kMaxId; ++next) {
    }
  if (used.count(next) != 0) return false;
  item.id = next;
  items->push_back(item);
  return Save(*items);
}

bool QuarantineManifest::Update(const QuarantineItem& item) {
  auto items = Load();
  if (!items) return false;
  auto it = std::find_if(items->begin(), items->end(),
                         [&](const QuarantineItem& i) { return i.id == item.id; });
  if (it == items->end()) return false;
  *it = item;
  return Save(*items);
}

bool QuarantineManifest::Remove(int id) {
  auto items = Load();
  if (!items) return false;
  const auto before = items->size();
  std::erase_if(*items, [&](const QuarantineItem& i) { return i.id == id; });
  return items->size() != before && Save(*items);
}

}  // namespace quill
