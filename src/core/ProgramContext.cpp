#include "core/ProgramContext.h"

namespace quill {

ProgramContext::ProgramContext(forms::Host& host, platform::Platform& platform)
    : host_(host),
      platform_(platform),
      identity_(platform.system->Identity()),
      settings_(*platform.settings, identity_.productName) {
  brand = BrandProfile::FromIdentity(identity_);
}

MessageLookup ProgramContext::Messages() {
  return [this](const std::string& key) { return Msg(key); };
}

}  // namespace quill
