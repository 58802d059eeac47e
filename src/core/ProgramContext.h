#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/MessageLookup.h"
#include "core/BrandProfile.h"
#include "core/Settings.h"
#include "forms/Host.h"
#include "platform/Platform.h"

namespace quill {

class clsLanguages;
class DefinitionSet;
class ExclusionList;
class PathTokens;
class ProtectedFloor;

/// What every subsystem shares: the outside world (host and platform), the brand, the data
/// folder, the settings, and the tables and lists that live until the process ends (the scan
/// state belongs to the scan run). The application object provides it; the subsystems see
/// nothing above it (the windows reach them through the narrow interfaces each subsystem
/// declares).
class ProgramContext {
 public:
  ProgramContext(forms::Host& host, platform::Platform& platform);
  virtual ~ProgramContext() = default;
  ProgramContext(const ProgramContext&) = delete;
  ProgramContext& operator=(const ProgramContext&) = delete;

  forms::Host& Host() { return host_; }
  platform::Platform& Platform() { return platform_; }
  platform::FileSystem& Files() { return *platform_.files; }
  platform::Registry& Registry() { return *platform_.registry; }
  platform::Shell& Shell() { return *platform_.shell; }
  platform::Processes& Processes() { return *platform_.processes; }
  platform::Internet& Internet() { return *platform_.internet; }
  platform::System& System() { return *platform_.system; }
  const platform::ProgramIdentity& Identity() const { return identity_; }

  // --- Process-wide single instances -------------------------------------------------
  BrandProfile brand;
  /// "[appdata]QuillonetDAT" expanded, without a trailing backslash. Fixed at start.
  std::string dataFolder;
  /// DataFolder + "\" + name.
  std::string DataFile(const std::string& name) const { return dataFolder + "\\" + name; }
  virtual PathTokens& Tokens() = 0;
  virtual clsLanguages& Catalog() = 0;
  virtual DefinitionSet& Definitions() = 0;
  virtual ExclusionList& Exclusions() = 0;
  /// The places no removal may touch; gathered anew by RefreshFloor (each scan and removal).
  virtual ProtectedFloor& Floor() = 0;
  virtual void RefreshFloor() = 0;

  // --- Per-user settings (application = product name) ----------------------------------
  /// The program's settings, read and written through the typed declarations of Settings.h.
  const settings::Store& Settings() const { return settings_; }

  // --- Messages ------------------------------------------------------------------------
  /// Catalogue text by "MSG_" key.
  virtual std::string Msg(const std::string& key) = 0;
  /// Msg as a lookup, for what reads the catalogue without knowing the program.
  MessageLookup Messages();

 private:
  forms::Host& host_;
  platform::Platform& platform_;
  platform::ProgramIdentity identity_;
  settings::Store settings_;
};

}  // namespace quill
