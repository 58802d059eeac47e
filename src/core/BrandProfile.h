#pragma once

#include <string>

#include "platform/System.h"

namespace quill {

/// The names the program ships under, substituted for "[ProgramName]", "[CompanyName]" and
/// "[Website]" in every text. Set once, before the main window loads.
struct BrandProfile {
  std::string programName;
  std::string companyName;
  std::string website;
  int brandNumber = 0;
  /// Branding features that are inactive in this edition.
  bool skinActive = false;
  bool bannerActive = false;

  static BrandProfile FromIdentity(const platform::ProgramIdentity& id);
  /// Replaces the three placeholders, ignoring the letter case of the placeholders.
  std::string Substitute(const std::string& text) const;
};

}  // namespace quill
