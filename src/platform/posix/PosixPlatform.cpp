// The one place that chooses the platform backend: on POSIX the machine is a Wine prefix.
#include "platform/Platform.h"

#include "platform/posix/CurlInternet.h"
#include "platform/posix/IniSettingsStore.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProcesses.h"
#include "platform/posix/PosixShell.h"
#include "platform/posix/PosixSystem.h"
#include "platform/posix/WinePrefix.h"
#include "platform/posix/WineRegistry.h"

#include <cstdlib>

namespace quill::platform {

namespace {
std::string SettingsFolder(const std::string& configured) {
  if (!configured.empty()) return configured;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    return std::string(xdg) + "/quillonet";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.config/quillonet";
}
}  // namespace

Platform CreatePlatform(const PlatformOptions& options) {
  Platform p;
  auto prefix = posix::WinePrefix::Resolve(options.prefix);
  p.nativePrefix = prefix.Root();
  p.registry = std::make_unique<posix::WineRegistry>(prefix.Root());
  p.files = std::make_unique<posix::PosixFileSystem>(prefix.Root());
  p.shell = std::make_unique<posix::PosixShell>(prefix.Root(), *p.registry, *p.files);
  p.processes = std::make_unique<posix::PosixProcesses>(*p.files);
  p.internet = std::make_unique<posix::CurlInternet>(options.connectTimeoutSeconds,
                                                     options.lowSpeedTimeoutSeconds);
  p.system = std::make_unique<posix::PosixSystem>(prefix.Root(), *p.files, options.programFolder);
  p.settings = std::make_unique<posix::IniSettingsStore>(SettingsFolder(options.settingsFolder));
  return p;
}

}  // namespace quill::platform
