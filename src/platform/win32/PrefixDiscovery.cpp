#include "platform/PrefixDiscovery.h"

// Windows is the machine itself: there are no Wine prefixes to find.
namespace quill::platform {

PrefixSearchPlaces PrefixSearchPlaces::OfCurrentUser() {
  return {};
}

std::vector<FoundPrefix> DiscoverPrefixes(const PrefixSearchPlaces&) {
  return {};
}

}  // namespace quill::platform
