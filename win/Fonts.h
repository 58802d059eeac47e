#pragma once

#include <windows.h>

namespace quill::win {

/// The system's message font (the one dialogs use) and two variants of it for headings, each
/// made once for the program's life.
HFONT MessageFont();
HFONT BoldFont();
HFONT HeadingFont();

}  // namespace quill::win
