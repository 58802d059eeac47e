#pragma once

#include <string>

namespace quill {

class Application;

/// The current time in the general date form, as the scan dates are written.
std::string ScanTimeText(Application& app);

}  // namespace quill
