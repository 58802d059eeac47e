#pragma once

#include "QtHost.h"

namespace quill {
class Application;
}

namespace quill::gui {

/// Makes the view of each window the program shows; the invisible windows get none.
QtHost::ViewFactory MakeViewFactory(Application& app);

}  // namespace quill::gui
