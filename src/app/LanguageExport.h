#pragma once

#include <optional>
#include <string>

namespace quill {

class Application;

/// What "--export-language FILE" of the desktop program writes: the main window starts as it
/// does for a user, without being shown; then every window's English captions and the
/// catalogue's English messages make the language file a translation starts from, and the
/// main window closes again. Nothing when another copy of the program runs.
std::optional<std::string> ExportedLanguageFile(Application& app);

}  // namespace quill
