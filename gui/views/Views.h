#pragma once

#include "QtHost.h"

class QApplication;

namespace quill {
class Application;
}

namespace quill::gui {

/// Makes the view of each window the program shows; the invisible windows get none.
QtHost::ViewFactory MakeViewFactory(Application& app);

/// The program's look: a calm light palette with a dark navigation bar, the same on every
/// desktop (the Fusion style under one style sheet).
void ApplyStyle(QApplication& qapp);

}  // namespace quill::gui
