#include "UpdateBody.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quill::defserver {
namespace {

using LineSet = std::unordered_set<std::string_view>;

struct NameHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using NameSet = std::unordered_set<std::string, NameHash, std::equal_to<>>;

// What changes in one file: the names to delete (first spelling met, in file order) and the
// lines to add, in the new file's order.
struct FileChange {
  std::vector<std::string_view> deletedNames;  // stored lines whose names are deleted
  NameSet deletedKeys;
  std::vector<char> isNew;  // per line of the new file: not in the old one
  std::vector<std::string_view> added;
};

// One hash table per file: the old lines by index, looked up once per new line.
void Compare(const std::vector<std::string>* oldLines, const std::vector<std::string>& newLines,
             FileChange& change) {
  change.isNew.assign(newLines.size(), 1);
  if (oldLines == nullptr) return;
  std::unordered_map<std::string_view, size_t> oldIndex;
  oldIndex.reserve(oldLines->size());
  for (size_t i = 0; i < oldLines->size(); ++i) oldIndex.emplace((*oldLines)[i], i);
  std::vector<char> kept(oldLines->size(), 0);
  for (size_t i = 0; i < newLines.size(); ++i) {
    auto it = oldIndex.find(newLines[i]);
    if (it == oldIndex.end()) continue;
    kept[it->second] = 1;
    change.isNew[i] = 0;
  }
  std::string buffer;
  for (size_t i = 0; i < oldLines->size(); ++i) {
    if (kept[i]) continue;
    if (change.deletedKeys.insert(std::string(LineName((*oldLines)[i], buffer))).second)
      change.deletedNames.push_back((*oldLines)[i]);
  }
}

void CollectAdded(const std::vector<std::string>& newLines, FileChange& change) {
  std::string buffer;
  for (size_t i = 0; i < newLines.size(); ++i) {
    // New lines, and kept lines whose name a deletion takes away on the client.
    if (change.isNew[i] ||
        (!change.deletedKeys.empty() && change.deletedKeys.count(LineName(newLines[i], buffer))))
      change.added.push_back(newLines[i]);
  }
}

void Append(std::string& body, const std::string& line) {
  if (!body.empty()) body += "[BR]";
  body += line;
}

}  // namespace

std::string UpdateBody(const Release* from, const Release& to) {
  std::array<FileChange, kTargetCount> changes;
  for (size_t t = 0; t < kTargetCount; ++t)
    Compare(from ? &from->lines[t] : nullptr, to.lines[t], changes[t]);
  auto& file = changes[static_cast<size_t>(Target::File)];
  auto& exe = changes[static_cast<size_t>(Target::Exe)];
  // An "EXE" deletion reaches "FileDefinition.dat" as well: its lines of that name come back.
  for (const auto& key : exe.deletedKeys) file.deletedKeys.insert(key);
  for (size_t t = 0; t < kTargetCount; ++t) CollectAdded(to.lines[t], changes[t]);

  std::string body;
  std::string buffer;
  for (size_t t = 0; t < kTargetCount; ++t) {
    const auto target = static_cast<Target>(t);
    for (std::string_view line : changes[t].deletedNames) {
      // Names gone from the executable list are deleted from both files at once.
      if (target == Target::File && exe.deletedKeys.count(LineName(line, buffer))) continue;
      Append(body, UpdateLine(Operation::Del, target, line));
    }
  }
  const LineSet exeAdded(exe.added.begin(), exe.added.end());
  for (size_t t = 0; t < kTargetCount; ++t) {
    const auto target = static_cast<Target>(t);
    for (std::string_view line : changes[t].added) {
      // A new executable line reaches "FileDefinition.dat" through its "EXE" line.
      if (target == Target::File && exeAdded.count(line)) continue;
      Append(body, UpdateLine(Operation::Add, target, line));
    }
  }
  return body;
}

}  // namespace quill::defserver
