#pragma once

// The process tools the check is built on; its callers reach them through this header too.
#include "core/ProcessTools.h"

namespace quill {

class ProgramContext;
class ScanWindow;

/// Compares the running programs with the executable definitions (scan stage and shield).
void ProcessCheck(ProgramContext& app, ScanWindow& main);

}  // namespace quill
