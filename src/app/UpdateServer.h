#pragma once

#include <string>

namespace quill {

/// The default definition and language server.
inline constexpr const char* kDefaultUpdateServer = "http://update.quillonet.example";

/// Base address of the definition server (Live Update, submissions, the language file),
/// without a trailing slash: $QUILLONET_UPDATE_SERVER when set and not empty (self-hosting,
/// tests), otherwise the default server.
std::string UpdateServerBase();

}  // namespace quill
