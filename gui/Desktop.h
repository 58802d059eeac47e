#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace quill {
class Application;
}

namespace quill::gui {

class QtHost;

/// The platform of the machine given by a Wine prefix (empty: $WINEPREFIX, ~/.wine when it
/// exists, else the program's own default prefix); false when a part of it cannot be used.
bool OpenMachine(const std::string& prefix, platform::Platform& platform);

/// The application model shown through the Qt views on a host: the view factory, the tray
/// icon's picture and the application's name are set. The model goes before the host and the
/// platform (its windows hold references into both); the tray icons go after it.
std::unique_ptr<Application> MakeDesktopModel(QtHost& host, platform::Platform& platform);

/// The toolkit's own words in message boxes and dialogs follow the program's language.
void FollowProgramLanguage(QtHost& host, Application& app);

}  // namespace quill::gui
