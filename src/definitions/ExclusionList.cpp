#include "definitions/ExclusionList.h"

#include "base/Text.h"

namespace quill {

std::string ExclusionList::FilePath() const {
  return dataFolder_() + "\\ENoSignature.dat";
}

void ExclusionList::LoadExclusions() {
  std::string built;
  if (auto content = files_.ReadFile(FilePath())) {
    for (const auto& line : text::SplitLines(*content)) {
      if (!text::Trim(line).empty()) built += line + "|";
      if (yield_) yield_();
    }
  }
  list_ = std::move(built);
}

bool ExclusionList::Append(const std::string& lines) {
  const std::string path = FilePath();
  // A file edited by hand may end without a line end: the new entry must not run on from
  // its last line (both would be lost).
  const auto size = files_.FileSize(path);
  if (size && *size > 0) {
    const auto content = files_.ReadFile(path);
    if (!content) return false;
    if (!content->empty() && content->back() != '\n' && content->back() != '\r')
      return files_.AppendFile(path, "\r\n" + lines);
  }
  return files_.AppendFile(path, lines);
}

bool ExclusionList::AddExclusion(const std::string& entry) {
  // The entry carries its own CR LF and the line write adds another.
  const bool written = Append(text::Trim(entry) + "\r\n" + "\r\n");
  LoadExclusions();
  return written;
}

bool ExclusionList::ExcludeItems(const std::vector<ExcludedItem>& items) {
  bool written = true;
  for (const auto& item : items) {
    written = AddExclusion(item.location) && written;
    written = AddExclusion(item.name) && written;
  }
  return written;
}

bool ExclusionList::AppendLine(const std::string& entry, bool reload) {
  const bool written = Append(text::Trim(entry) + "\r\n");
  if (reload) LoadExclusions();
  return written;
}

std::vector<std::string> ExclusionList::Entries() const {
  return text::Split(list_, "|");
}

bool ExclusionList::IsExcluded(const std::string& candidate) const {
  std::string trimmed = text::Trim(candidate);
  for (const auto& entry : Entries())
    if (text::EqualsNoCase(entry, candidate) || text::EqualsNoCase(entry, trimmed)) return true;
  return false;
}

bool ExclusionList::IsExcludedOrContained(const std::string& candidate) const {
  std::string trimmed = text::Trim(candidate);
  for (const auto& entry : Entries()) {
    if (text::EqualsNoCase(entry, candidate) || text::EqualsNoCase(entry, trimmed)) return true;
    if (text::ContainsNoCase(entry, candidate)) return true;
  }
  return false;
}

}  // namespace quill
