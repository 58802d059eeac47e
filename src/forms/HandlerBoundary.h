#pragma once

#include <functional>

namespace quill::forms {

class Host;

/// Runs a handler inside the runtime's boundary: an exception thrown by one handler is
/// swallowed (and reported to the host) so that a bug in one step cannot end the process.
/// The event loop's own helper: work that runs from the loop uses it without any window.
void RunHandler(Host* host, const char* what, const std::function<void()>& handler);

}  // namespace quill::forms
