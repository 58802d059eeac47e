#pragma once

#include <QIcon>
#include <QPixmap>

namespace quill::gui {

/// The program's pictures, drawn at the size asked for (sharp on every screen density).
namespace artwork {

/// Palette shared by the pictures and the style sheet.
inline constexpr const char* kNavy = "#1d3547";
inline constexpr const char* kAccent = "#2a8c82";
inline constexpr const char* kAccentDark = "#1f6d65";
inline constexpr const char* kWarn = "#c0603a";

/// The program's shield.
QIcon AppIcon();
/// The shield at a pixel size, for the splash, the home page and the about box.
QPixmap Shield(int size, qreal devicePixelRatio = 1.0);
/// The transfer picture of the download window: a disc with an arrow pointing up (sending)
/// or down (receiving); the two alternate while an update runs.
QPixmap Transfer(int size, bool up, qreal devicePixelRatio = 1.0);
/// Icon of a list row by kind: 1 cookie, 2 registry, 3 file or running program, 4 folder,
/// 5 excluded. A null icon for anything else.
QIcon KindIcon(int kind);

}  // namespace artwork

}  // namespace quill::gui
