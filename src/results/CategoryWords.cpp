#include "results/CategoryWords.h"

#include "results/Finding.h"
#include "results/ThreatCategory.h"

namespace quill {

std::string Words(const MessageLookup& msg, const std::string& key, const std::string& english) {
  std::string words = msg(key);
  return words.empty() ? english : words;
}

std::string EnglishType(const MessageLookup& msg, const std::string& shown) {
  if (FindThreatCategory(shown)) return shown;
  for (const auto& c : ThreatCategories())
    if (!c.name.empty() && msg(TypeTextKey(c.name)) == shown) return c.name;
  return shown;
}

std::string TypeWords(const MessageLookup& msg, const std::string& type) {
  return FindThreatCategory(type) && !type.empty() ? Words(msg, TypeTextKey(type), type) : type;
}

bool CategoryWordsOf(const MessageLookup& msg, const std::string& shownType, CategoryWords& words) {
  const std::string type = EnglishType(msg, shownType);
  auto category = FindThreatCategory(type);
  if (!category) return false;  // an unknown type leaves risk and details empty
  words.type = type.empty() ? shownType : TypeWords(msg, type);
  words.risk = Words(msg, RiskTextKey(category->risk), category->risk);
  words.details = Words(msg, DetailsTextKey(type), category->details);
  return true;
}

void FillCategories(const MessageLookup& msg, FindingList& findings,
                    const std::vector<int>& shown) {
  for (int index : shown) {
    Finding& finding = findings.At(index);
    // The type as the row shows it: the table's types in the current language.
    std::string type = finding.threatType.empty() ? "" : TypeWords(msg, finding.threatType);
    CategoryWords words;
    const bool known = CategoryWordsOf(msg, type, words);
    finding.threatType = known ? words.type : type;
    finding.risk = known ? words.risk : "";
    finding.details = known ? words.details : "";
  }
}

}  // namespace quill
