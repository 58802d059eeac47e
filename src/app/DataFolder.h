#pragma once

#include <string>

namespace quill {

class Application;

/// "[appdata]<product name>DAT" expanded with the path tokens as they stand now, doubled
/// backslashes folded, without a trailing backslash: what start-up fixes as the data folder.
std::string ExpandDataFolder(Application& app);

}  // namespace quill
