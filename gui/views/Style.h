#pragma once

class QApplication;

namespace quill::gui {

/// The program's look: a calm light palette with a dark navigation bar, the same on every
/// desktop (the Fusion style under one style sheet).
void ApplyStyle(QApplication& qapp);

}  // namespace quill::gui
