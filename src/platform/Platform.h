#pragma once

#include <memory>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Internet.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/System.h"

namespace quill::platform {

/// Everything outside the program, one object per service.
struct Platform {
  /// The machine's root on the host: the Wine prefix folder (posix); empty on Windows.
  std::string nativePrefix;
  std::unique_ptr<Registry> registry;
  std::unique_ptr<FileSystem> files;
  std::unique_ptr<Processes> processes;
  std::unique_ptr<Shell> shell;
  std::unique_ptr<Internet> internet;
  std::unique_ptr<System> system;
  std::unique_ptr<SettingsStore> settings;
};

struct PlatformOptions {
  /// The machine to protect: a Wine prefix folder (posix). Empty: $WINEPREFIX, ~/.wine when
  /// it exists, else the embedded default prefix (created on first use).
  std::string prefix;
  /// Folder of the per-user settings (posix); empty: $XDG_CONFIG_HOME/quillonet.
  std::string settingsFolder;
  /// Program folder override (posix); empty: $QUILLONET_PROGRAM_DIR or the installed data
  /// folder.
  std::string programFolder;
  /// The native program the machine's start entry starts (posix); empty: this executable.
  std::string startupProgram;
  /// Bounds on every network request (a stalled server must not hang the program).
  NetworkLimits network;
};

/// The one place that chooses the backend.
Platform CreatePlatform(const PlatformOptions& options);

}  // namespace quill::platform
