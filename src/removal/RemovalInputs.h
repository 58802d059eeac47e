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
class ProgramContext;
class ProtectedFloor;

/// What a removal, the quarantine and a restore read and change besides the window that
/// shows them, each named: the outside world, the protected floor and the data folder that
/// holds the quarantine. It holds references only; RemovalInputsOf takes them from the program.
struct RemovalInputs {
  forms::Host& host;
  platform::FileSystem& files;
  platform::Registry& registry;
  platform::Shell& shell;
  platform::Processes& processes;
  platform::System& system;
  /// The places no removal or restore may touch.
  const ProtectedFloor& floor;
  /// The data folder, without a trailing backslash: the quarantine and the change lock live
  /// there.
  const std::string& dataFolder;
  /// The program's name, in the name of a restore point.
  const std::string& programName;
  /// Catalogue text by "MSG_" key.
  MessageLookup msg;
};

/// The removal's inputs as the program holds them now: the one place they are taken from the
/// program context.
RemovalInputs RemovalInputsOf(ProgramContext& app);

}  // namespace quill
