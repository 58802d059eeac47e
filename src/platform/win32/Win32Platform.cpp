// The Windows backend: the machine is the one the program runs on.
#include "platform/Platform.h"

#include <cstdlib>
#include <memory>
#include <utility>

#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/WinInetInternet.h"

namespace quill::platform {

Platform CreatePlatform(const PlatformOptions& options) {
  Platform platform;
  auto registry = std::make_unique<win32::Win32Registry>();
  platform.settings = std::make_unique<win32::RegistrySettingsStore>(*registry);
  platform.registry = std::move(registry);
  platform.files = std::make_unique<win32::Win32FileSystem>();
  platform.processes = std::make_unique<win32::Win32Processes>();
  platform.shell = std::make_unique<win32::Win32Shell>();
  platform.system = std::make_unique<win32::Win32System>(options.programFolder);
  platform.internet = std::make_unique<win32::WinInetInternet>(platform::OverrideLimits(
      options.network,
      std::getenv("QUILLONET_NETWORK_LIMITS") ? std::getenv("QUILLONET_NETWORK_LIMITS") : ""));
  return platform;
}

}  // namespace quill::platform
