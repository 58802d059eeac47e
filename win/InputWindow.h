#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace quill::win {

/// The words on the input box's two buttons.
struct InputButtons {
  std::string ok = "OK";
  std::string cancel = "Cancel";
};

/// A small modal window asking for one line of text: the prompt, a text field holding
/// `defaultText`, OK and Cancel. `runLoop` runs the message loop until its argument says the
/// window is done. Returns the text, or nothing when the user cancelled or closed it.
std::optional<std::string> AskForText(HWND owner, const std::string& prompt,
                                      const std::string& title, const std::string& defaultText,
                                      const InputButtons& buttons,
                                      const std::function<void(std::function<bool()>)>& runLoop);

}  // namespace quill::win
