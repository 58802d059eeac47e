#include "core/BrandProfile.h"

#include "base/Text.h"

namespace quill {

BrandProfile BrandProfile::FromIdentity(const platform::ProgramIdentity& id) {
  BrandProfile b;
  b.programName = id.productName;
  b.companyName = id.companyName;
  b.website = id.comments;
  b.brandNumber = id.brandNumber;
  b.trayWhenRunAtStartup = id.productName == "Vastrelline";
  b.runAtStartupOnFirstRun = id.productName == "Pellucor";
  return b;
}

std::string BrandProfile::Substitute(const std::string& s) const {
  std::string r = text::ReplaceAllNoCase(s, "[ProgramName]", programName);
  r = text::ReplaceAllNoCase(r, "[CompanyName]", companyName);
  return text::ReplaceAllNoCase(r, "[Website]", website);
}

}  // namespace quill
