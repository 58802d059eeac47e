#include "platform/Platform.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/posix/CurlInternet.h"
#include "platform/posix/IniSettingsStore.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProcesses.h"
#include "platform/posix/PosixShell.h"
#include "platform/posix/PosixSystem.h"
#include "platform/posix/WinePrefix.h"
#include "platform/posix/WineRegistry.h"

namespace quill::platform {
namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  if (const passwd* entry = ::getpwuid(::getuid())) {
    if (entry->pw_dir != nullptr) return entry->pw_dir;
  }
  return "/tmp";
}

/// ${XDG_CONFIG_HOME:-~/.config}/quillonet
std::string DefaultSettingsFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  // The base directory rules accept only absolute paths; anything else is ignored.
  std::string base =
      (config != nullptr && config[0] == '/') ? std::string(config) : HomeFolder() + "/.config";
  return base + "/quillonet";
}

}  // namespace

Platform CreatePlatform(const PlatformOptions& options) {
  Platform platform;
  posix::WinePrefix prefix = posix::WinePrefix::Resolve(options.prefix);
  platform.nativePrefix = prefix.Root();

  auto registry = std::make_unique<posix::WineRegistry>(prefix.Root());
  auto files = std::make_unique<posix::PosixFileSystem>(prefix.Root());
  platform.processes = std::make_unique<posix::PosixProcesses>(*files, prefix.Root());
  platform.shell = std::make_unique<posix::PosixShell>(prefix.Root(), *registry, *files);
  platform.system = std::make_unique<posix::PosixSystem>(
      prefix.Root(), *files, options.programFolder, options.startupProgram);
  platform.internet = std::make_unique<posix::CurlInternet>(platform::OverrideLimits(
      options.network,
      std::getenv("QUILLONET_NETWORK_LIMITS") ? std::getenv("QUILLONET_NETWORK_LIMITS") : ""));
  platform.settings = std::make_unique<posix::IniSettingsStore>(
      options.settingsFolder.empty() ? DefaultSettingsFolder() : options.settingsFolder);
  platform.registry = std::move(registry);
  platform.files = std::move(files);
  return platform;
}

}  // namespace quill::platform
