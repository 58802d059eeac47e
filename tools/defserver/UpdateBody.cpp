#include "UpdateBody.h"

#include <string_view>
#include <unordered_set>
#include <vector>

namespace quill::defserver {
namespace {

using LineSet = std::unordered_set<std::string_view>;

LineSet SetOf(const std::vector<std::string>& lines) {
  LineSet set(lines.begin(), lines.end());
  return set;
}

// What changes in one file: the names to delete (first spelling met, in file order) and the
// lines to add, in the new file's order.
struct FileChange {
  std::vector<std::string_view> deletedNames;  // stored lines whose names are deleted
  std::unordered_set<std::string> deletedKeys;
  std::vector<std::string_view> added;
};

void DeleteNamesOf(const std::vector<std::string>& oldLines, const LineSet& newSet,
                   FileChange& change) {
  for (const auto& line : oldLines) {
    if (newSet.count(line)) continue;
    if (change.deletedKeys.insert(LineName(line)).second) change.deletedNames.push_back(line);
  }
}

void CollectAdded(const std::vector<std::string>& newLines, const LineSet* oldSet,
                  FileChange& change) {
  for (const auto& line : newLines) {
    if (oldSet == nullptr || !oldSet->count(line) ||
        (!change.deletedKeys.empty() && change.deletedKeys.count(LineName(line))))
      change.added.push_back(line);
  }
}

void Append(std::string& body, const std::string& line) {
  if (!body.empty()) body += "[BR]";
  body += line;
}

}  // namespace

std::string UpdateBody(const Release* from, const Release& to) {
  std::array<FileChange, kTargetCount> changes;
  std::array<LineSet, kTargetCount> oldSets;
  std::array<LineSet, kTargetCount> newSets;
  for (size_t t = 0; t < kTargetCount; ++t) newSets[t] = SetOf(to.lines[t]);
  if (from != nullptr) {
    for (size_t t = 0; t < kTargetCount; ++t) {
      oldSets[t] = SetOf(from->lines[t]);
      DeleteNamesOf(from->lines[t], newSets[t], changes[t]);
    }
  }
  auto& file = changes[static_cast<size_t>(Target::File)];
  auto& exe = changes[static_cast<size_t>(Target::Exe)];
  // An "EXE" deletion reaches "FileDefinition.dat" as well: its lines of that name come back.
  for (const auto& key : exe.deletedKeys) file.deletedKeys.insert(key);
  for (size_t t = 0; t < kTargetCount; ++t)
    CollectAdded(to.lines[t], from ? &oldSets[t] : nullptr, changes[t]);

  std::string body;
  for (size_t t = 0; t < kTargetCount; ++t) {
    const auto target = static_cast<Target>(t);
    for (std::string_view line : changes[t].deletedNames) {
      // Names gone from the executable list are deleted from both files at once.
      if (target == Target::File && exe.deletedKeys.count(LineName(line))) continue;
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
