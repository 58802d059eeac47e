#pragma once

#include <windows.h>

namespace quill::win {

/// The system's message font (the one dialogs use) and two variants of it for headings, each
/// made once for the program's life.
HFONT MessageFont();
HFONT BoldFont();
HFONT HeadingFont();
/// The message font with the flags a control of a form carries, made once per combination.
HFONT StyledFont(bool bold, bool italic, bool underline);
/// A fixed-pitch font of the message font's size, for texts laid out in columns (the report).
HFONT MonoFont();
/// The program's own icon at `size` pixels (at 96 dots per inch), made once per size.
HICON ProgramIcon(int size);

/// Gives a child window a font.
void SetFont(HWND child, HFONT font);
/// A picture of one of the system's stock icons (IDI_...), as a child of `parent`.
HWND StockIconPicture(HWND parent, LPCWSTR icon);
/// A picture of an icon, as a child of `parent`.
HWND IconPicture(HWND parent, HICON icon);

}  // namespace quill::win
