#include "forms/HandlerBoundary.h"

#include <exception>
#include <string>

#include "forms/Host.h"

namespace quill::forms {

void RunHandler(Host* host, const char* what, const std::function<void()>& handler) {
  if (!handler) return;
  std::string message;
  try {
    handler();
    return;
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
    message = "unknown exception";
  }
  if (!host) return;
  // The host's own report must not undo the boundary either.
  try {
    host->HandlerFailed(what ? what : "", message);
  } catch (...) {
  }
}

}  // namespace quill::forms
