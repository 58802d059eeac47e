#include "core/ProgramContext.h"

namespace quill {

ProgramContext::ProgramContext(forms::Host& host, platform::Platform& platform)
    : host_(host),
      platform_(platform),
      identity_(platform.system->Identity()),
      settings_(*platform.settings, identity_.productName) {
  brand = BrandProfile::FromIdentity(identity_);
}

}  // namespace quill
