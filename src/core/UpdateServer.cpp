#include "core/UpdateServer.h"

#include <cstdlib>

namespace quill {

namespace {
std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}
}  // namespace

std::string UpdateServerBase() {
  std::string base = UpdateServerIsDefault() ? std::string(kDefaultUpdateServer)
                                             : Environment("QUILLONET_UPDATE_SERVER");
  // Paths are appended with their leading slash.
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base;
}

bool UpdateServerIsDefault() {
  return Environment("QUILLONET_UPDATE_SERVER").empty();
}

std::string UpdateServerKeyFile() {
  return Environment("QUILLONET_UPDATE_KEY");
}

}  // namespace quill
