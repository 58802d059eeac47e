#pragma once

#include <string>
#include <vector>

#include "base/MessageLookup.h"

namespace quill {

class FindingList;

/// The current language's words for a key, or the English ones when it has none.
std::string Words(const MessageLookup& msg, const std::string& key, const std::string& english);

/// A type as the category table names it, from the table's name or the current language's
/// words for it (any other text as it is).
std::string EnglishType(const MessageLookup& msg, const std::string& shown);
/// A type of the table in the current language's words (any other text as it is).
std::string TypeWords(const MessageLookup& msg, const std::string& type);

/// The words a results row shows for a type as shown: its type, risk and details in the
/// current language; false when the table does not know the type (the row stays as it is).
struct CategoryWords {
  std::string type;
  std::string risk;
  std::string details;
};
bool CategoryWordsOf(const MessageLookup& msg, const std::string& shownType, CategoryWords& words);

/// The type, risk and details of the findings at `shown`, in the current language, as the
/// results list shows them when a scan has ended.
void FillCategories(const MessageLookup& msg, FindingList& findings, const std::vector<int>& shown);

}  // namespace quill
