#pragma once

#include "Win32Host.h"

namespace quill {
class Application;
}

namespace quill::win {

/// Makes the window of each of the program's forms when it loads.
Win32Host::ViewFactory MakeViewFactory(Application& app);

}  // namespace quill::win
