#pragma once

#include <string>

#include "base/MessageLookup.h"

namespace quill {

namespace forms {
class Host;
}
namespace platform {
class FileSystem;
class Processes;
class Registry;
class Shell;
class System;
}  // namespace platform
class DefinitionSet;
class ExclusionList;
class PathTokens;
class ProgramContext;
class ProtectedFloor;

/// What the scanners read and change besides the window that shows the scan, each named: the
/// outside world, the definition tables, the exclusions and the protected floor. It holds
/// references only; ScanInputsOf takes them from the program when a stage begins.
struct ScanInputs {
  forms::Host& host;
  platform::FileSystem& files;
  platform::Registry& registry;
  platform::Shell& shell;
  platform::Processes& processes;
  platform::System& system;
  DefinitionSet& definitions;
  ExclusionList& exclusions;
  const ProtectedFloor& floor;
  PathTokens& tokens;
  /// Where the definition files are, without a trailing backslash.
  const std::string& dataFolder;
  /// The program's name, in the title of the process alert.
  const std::string& programName;
  /// Catalogue text by "MSG_" key.
  MessageLookup msg;
};

/// The scanners' inputs as the program holds them now: the one place they are taken from the
/// program context.
ScanInputs ScanInputsOf(ProgramContext& app);

}  // namespace quill
