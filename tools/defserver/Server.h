#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace httplib {
class Server;
}

namespace quill::defserver {

class Signer;

struct ServerOptions {
  std::filesystem::path root;
  std::string bind = "127.0.0.1";
  int port = 8080;                   // 0 = any free port
  std::filesystem::path key;         // default <root>/signing-key.pem
  std::filesystem::path requestLog;  // raw request targets, one a line; none when empty
};

/// Puts the server's addresses on `server`: answers from options.root, bodies signed by
/// `signer`. The handle holds the routes' state (caches, logs); keep it while the server runs.
std::shared_ptr<void> InstallRoutes(httplib::Server& server, const ServerOptions& options,
                                    const Signer& signer);

/// Serves the definition server's addresses until SIGINT or SIGTERM. Prints
/// "Listening on http://<bind>:<port>" as its first line once it accepts connections.
/// Returns the process exit code.
int Serve(const ServerOptions& options);

}  // namespace quill::defserver
