#pragma once

// The process tools the check is built on; its callers reach them through this header too.
#include "core/ProcessTools.h"

namespace quill {

struct ScanInputs;
class ScanWindow;

/// Compares the running programs with the executable definitions (scan stage and shield).
void ProcessCheck(const ScanInputs& in, ScanWindow& main);

}  // namespace quill
