#include "app/UpdateServer.h"

#include <cstdlib>

namespace quill {

std::string UpdateServerBase() {
  const char* configured = std::getenv("QUILLONET_UPDATE_SERVER");
  std::string base =
      (configured != nullptr && *configured != '\0') ? configured : kDefaultUpdateServer;
  // Paths are appended with their leading slash.
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base;
}

}  // namespace quill
