#pragma once

#include <optional>
#include <string>
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

}  // namespace quill
