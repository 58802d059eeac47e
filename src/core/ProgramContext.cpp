#include "core/ProgramContext.h"

namespace quill {

ProgramContext::ProgramContext(forms::Host& host, platform::Platform& platform)
    : host_(host),
      platform_(platform),
      identity_(platform.system->Identity()),
      settings_(*platform.settings, identity_.productName) {
  brand = BrandProfile::FromIdentity(identity_);
}

std::string ProgramContext::GetSetting(const std::string& section, const std::string& key,
                                       const std::string& defaultValue) {
  return platform_.settings->Get(identity_.productName, section, key, defaultValue);
}

void ProgramContext::SaveSetting(const std::string& section, const std::string& key,
                                 const std::string& value) {
  platform_.settings->Save(identity_.productName, section, key, value);
}

}  // namespace quill
