#include "reports/ExclusionList.h"

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

void ExclusionList::AddExclusion(const std::string& entry) {
  // The entry carries its own CR LF and the line write adds another.
  files_.AppendFile(FilePath(), text::Trim(entry) + "\r\n" + "\r\n");
  LoadExclusions();
}

void ExclusionList::AppendLine(const std::string& entry, bool reload) {
  files_.AppendFile(FilePath(), text::Trim(entry) + "\r\n");
  if (reload) LoadExclusions();
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
