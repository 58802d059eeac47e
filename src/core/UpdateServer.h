#pragma once

#include <string>

namespace quill {

/// The default definition and language server.
inline constexpr const char* kDefaultUpdateServer = "http://update.quillonet.example";

/// Base address of the definition server (Live Update, submissions, the language file),
/// without a trailing slash: $QUILLONET_UPDATE_SERVER when set and not empty (self-hosting,
/// tests), otherwise the default server.
std::string UpdateServerBase();

/// True when no other server is configured: its replies must carry our signature.
bool UpdateServerIsDefault();

/// The host path of the public key a configured server's replies are checked with
/// ($QUILLONET_UPDATE_KEY); empty when none is configured (its replies are taken unsigned).
std::string UpdateServerKeyFile();

}  // namespace quill
