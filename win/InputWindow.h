#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace quill::win {

/// A small modal window asking for one line of text: the prompt, a text field holding
/// `defaultText`, OK and Cancel. `runLoop` runs the message loop until its argument says the
/// window is done. Returns the text, or nothing when the user cancelled or closed it.
std::optional<std::string> AskForText(HWND owner, const std::string& prompt,
                                      const std::string& title, const std::string& defaultText,
                                      const std::function<void(std::function<bool()>)>& runLoop);

}  // namespace quill::win
