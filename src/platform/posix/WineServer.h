#pragma once

#include <string>
#include <vector>

namespace quill::platform::posix {

/// Folders in which a wineserver serving the prefix would keep its socket and lock file.
/// Upstream Wine uses /tmp/.wine-<uid>/server-<dev>-<inode> of the prefix folder; some
/// distributions put the server folder in a private temporary folder whose name the prefix's
/// "wineserver" file records. Empty when the prefix folder cannot be examined.
std::vector<std::string> WineServerDirs(const std::string& prefixRoot);

/// Whether a wineserver currently serves the prefix: a running server holds a lock on the
/// "lock" file in its folder for as long as it lives, so a folder left behind by a server
/// that has exited does not count. When the lock cannot be examined the answer is yes,
/// since writing under a live server would be lost or would corrupt its view.
bool WineServerRunning(const std::string& prefixRoot);

}  // namespace quill::platform::posix
