#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quill {

/// A definition type with its risk and description.
struct ThreatCategory {
  std::string name;
  std::string risk;
  std::string details;
};

/// The fixed category table, in the order in which it is tested.
const std::vector<ThreatCategory>& ThreatCategories();
/// The category of a type, compared exactly (case-sensitive); empty when unknown.
std::optional<ThreatCategory> FindThreatCategory(const std::string& type);

/// The message keys under which a type's and a risk's words are translated: the English
/// words in capitals, every other character an underscore ("TYPE_TRACKING_COOKIE",
/// "RISK_MEDIUM_HIGH").
std::string TypeTextKey(const std::string& type);
std::string RiskTextKey(const std::string& risk);
/// The key of a type's description ("DETAILS_TRACKING_COOKIE"; "DETAILS_UNKNOWN" for the
/// category without a name).
std::string DetailsTextKey(const std::string& type);
/// Every risk word, type and description of the table with its key, for the message
/// catalogue: risks first, each once, then the types, then the descriptions, in table order.
std::vector<std::pair<std::string, std::string>> CategoryTexts();

}  // namespace quill
