// quillonet-defserver: the reference definition server.
//   quillonet-defserver [serve] --root DIR [--bind ADDR] [--port N] [--key FILE]
//                               [--request-log FILE]
//   quillonet-defserver publish --root DIR --from FOLDER [--date YYYYMMDD-HHMMSS]
//                               [--expires-in DAYS]
//   quillonet-defserver keygen --out-dir DIR
//   quillonet-defserver next-key --root DIR
//   quillonet-defserver endorse --root DIR
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
    "                              [--expires-in DAYS]\n"
    "  quillonet-defserver keygen --out-dir DIR\n"
    "  quillonet-defserver next-key --root DIR\n"
    "  quillonet-defserver endorse --root DIR\n"
    "\n"
    "Every reply carries a statement signed with the server's key: the request it answers,\n"
    "the newest release (date and sequence number), the body's SHA-256 and an expiry. Clients\n"
    "refuse a statement past its expiry: publish a release at least every DAYS days (default\n"
    "14). To change keys, next-key makes a new pair in DIR/next-key; endorse signs it with the\n"
    "current key, puts it in place and keeps the endorsement in DIR/endorsements.txt, sent\n"
    "with every reply so clients that trust the old key accept the new one. Restart the\n"
    "server after endorse.\n";

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
  auto options = Options(args, {"--root", "--from", "--date", "--expires-in"});
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
  int64_t days = kDefaultExpiryDays;
  if (options->count("--expires-in")) {
    const std::string& text = (*options)["--expires-in"];
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != text.npos)
      return Usage("--expires-in takes a number of days");
    days = std::stoll(text);
  }
  const int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
  const auto problems =
      ReleaseStore((*options)["--root"]).Publish((*options)["--from"], date, now + days * 86400);
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

// next-key and endorse: both take only --root.
int RotationCommand(const std::vector<std::string>& args, bool endorse) {
  auto options = Options(args, {"--root"});
  if (!options || !options->count("--root"))
    return Usage(std::string(endorse ? "endorse" : "next-key") + " needs --root DIR");
  const std::string root = (*options)["--root"];
  const std::string error = endorse ? EndorseNextKey(root) : MakeNextKey(root);
  if (!error.empty()) {
    std::cerr << "quillonet-defserver: " << error << "\n";
    return 1;
  }
  if (endorse)
    std::cout << "The next key now signs; its endorsement by the old key is in " << root
              << "/endorsements.txt. Restart the server.\n";
  else
    std::cout << "Wrote the next key pair to " << root
              << "/next-key; run endorse to put it in place\n";
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
  if (command == "next-key") return RotationCommand(args, false);
  if (command == "endorse") return RotationCommand(args, true);
  return Usage("unknown command " + command);
}
