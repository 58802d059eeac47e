#pragma once

#include <windows.h>

namespace quill::win {

/// The system's message font (the one dialogs use) and two variants of it for headings, each
/// made once for the program's life.
HFONT MessageFont();
HFONT BoldFont();
HFONT HeadingFont();

/// Gives a child window a font.
void SetFont(HWND child, HFONT font);
/// A picture of one of the system's stock icons (IDI_...), as a child of `parent`.
HWND StockIconPicture(HWND parent, LPCWSTR icon);

}  // namespace quill::win
