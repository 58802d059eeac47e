// quillonet-defserver: the reference definition server.
//   quillonet-defserver [serve] --root DIR [--bind ADDR] [--port N] [--key FILE]
//                               [--request-log FILE]
//   quillonet-defserver publish --root DIR --from FOLDER [--date YYYYMMDD-HHMMSS]
//   quillonet-defserver keygen --out-dir DIR
#include <chrono>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ReleaseStore.h"
#include "Server.h"
#include "Signer.h"

namespace {

using namespace quill::defserver;

constexpr const char* kUsage =
    "usage:\n"
    "  quillonet-defserver [serve] --root DIR [--bind 127.0.0.1] [--port 8080] [--key FILE]\n"
    "                              [--request-log FILE]\n"
    "  quillonet-defserver publish --root DIR --from FOLDER [--date YYYYMMDD-HHMMSS]\n"
    "  quillonet-defserver keygen --out-dir DIR\n";

int Usage(const std::string& problem) {
  std::cerr << "quillonet-defserver: " << problem << "\n" << kUsage;
  return 2;
}

// "--name value" pairs; empty optional when an option is unknown or has no value.
std::optional<std::map<std::string, std::string>> Options(const std::vector<std::string>& args,
                                                          const std::vector<std::string>& known) {
  std::map<std::string, std::string> options;
  for (size_t i = 0; i < args.size(); i += 2) {
    bool isKnown = false;
    for (const auto& k : known) isKnown = isKnown || args[i] == k;
    if (i + 1 >= args.size() || !isKnown) return std::nullopt;
    options[args[i]] = args[i + 1];
  }
  return options;
}

int ServeCommand(const std::vector<std::string>& args) {
  auto options = Options(args, {"--root", "--bind", "--port", "--key", "--request-log"});
  if (!options || !options->count("--root")) return Usage("serve needs --root DIR");
  ServerOptions server;
  server.root = (*options)["--root"];
  if (options->count("--bind")) server.bind = (*options)["--bind"];
  if (options->count("--port")) {
    const std::string& port = (*options)["--port"];
    if (port.empty() || port.size() > 5 ||
        port.find_first_not_of("0123456789") != std::string::npos || std::stoi(port) > 65535)
      return Usage("--port takes a number from 0 to 65535");
    server.port = std::stoi(port);
  }
  if (options->count("--key")) server.key = (*options)["--key"];
  if (options->count("--request-log")) server.requestLog = (*options)["--request-log"];
  return Serve(server);
}

int PublishCommand(const std::vector<std::string>& args) {
  auto options = Options(args, {"--root", "--from", "--date"});
  if (!options || !options->count("--root") || !options->count("--from"))
    return Usage("publish needs --root DIR and --from FOLDER");
  quill::datetime::LocalDateTime date;
  if (options->count("--date")) {
    auto parsed = ParseReleaseName((*options)["--date"]);
    if (!parsed) return Usage("--date takes YYYYMMDD-HHMMSS");
    date = *parsed;
  } else {
    date = quill::datetime::FromTimePoint(std::chrono::system_clock::now());
  }
  const auto problems = ReleaseStore((*options)["--root"]).Publish((*options)["--from"], date);
  for (const auto& problem : problems) std::cerr << "quillonet-defserver: " << problem << "\n";
  if (!problems.empty()) return 1;
  std::cout << "Published release " << ReleaseName(date) << "\n";
  return 0;
}

int KeygenCommand(const std::vector<std::string>& args) {
  auto options = Options(args, {"--out-dir"});
  if (!options || !options->count("--out-dir")) return Usage("keygen needs --out-dir DIR");
  const std::string error = GenerateKeyPair((*options)["--out-dir"]);
  if (!error.empty()) {
    std::cerr << "quillonet-defserver: " << error << "\n";
    return 1;
  }
  std::cout << "Wrote signing-key.pem (keep it secret) and update-public-key.pem to "
            << (*options)["--out-dir"] << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("nothing to do");
  const std::string command = args.front();
  if (command == "--help" || command == "-h") {
    std::cout << kUsage;
    return 0;
  }
  if (command.rfind("--", 0) == 0) return ServeCommand(args);
  args.erase(args.begin());
  if (command == "serve") return ServeCommand(args);
  if (command == "publish") return PublishCommand(args);
  if (command == "keygen") return KeygenCommand(args);
  return Usage("unknown command " + command);
}
