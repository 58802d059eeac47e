#pragma once

// The process tools the check is built on; its callers reach them through this header too.
#include "core/ProcessTools.h"

namespace quill {

class ProgramContext;
struct ScanInputs;
class ScanWindow;

/// Compares the running programs with the executable definitions (scan stage and shield).
void ProcessCheck(const ScanInputs& in, ScanWindow& main);
/// The shield's check, with the inputs the program holds at that tick.
void ProcessCheck(ProgramContext& app, ScanWindow& main);

}  // namespace quill
