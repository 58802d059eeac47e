// Raw HTTP requests to the definition server (request line, target, query, headers), handled
// by the server's own routes on a small release. Every success must go out signed. The
// release and key are made once in a temporary folder; reports are refused there (the
// research folder's name is taken by a file), so no request writes anything.

#include <httplib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "FuzzCheck.h"
#include "ReleaseStore.h"
#include "Server.h"
#include "Signer.h"
#include "support/TestPlatform.h"

namespace {

using namespace quill;
using namespace quill::defserver;
namespace fs = std::filesystem;

// One request's bytes in, the reply's bytes out.
class InputStream : public httplib::Stream {
 public:
  explicit InputStream(std::string_view input) : input_(input) {}
  bool is_readable() const override { return true; }
  bool is_writable() const override { return true; }
  ssize_t read(char* ptr, size_t size) override {
    const size_t n = std::min(size, input_.size());
    input_.copy(ptr, n);
    input_.remove_prefix(n);
    return static_cast<ssize_t>(n);
  }
  ssize_t write(const char* ptr, size_t size) override {
    output.append(ptr, size);
    return static_cast<ssize_t>(size);
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    ip = "127.0.0.1";
    port = 40000;
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    ip = "127.0.0.1";
    port = 8080;
  }
  socket_t socket() const override { return INVALID_SOCKET; }
  bool Done() const { return input_.empty(); }

  std::string output;

 private:
  std::string_view input_;
};

class RequestServer : public httplib::Server {
 public:
  bool Handle(httplib::Stream& stream) {
    bool closed = false;
    process_request(stream, false, closed, nullptr);
    return !closed;
  }
};

void Write(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

struct Fixture {
  Fixture() {
    root = test::MakeTempFolder("fuzz-defserver");
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(Get().root, ec);
    });
    FUZZ_CHECK(GenerateKeyPair(root).empty());
    std::string error;
    signer = Signer::Load(root / "signing-key.pem", &error);
    FUZZ_CHECK(signer != nullptr);
    const fs::path from = root / "plain";
    Write(from / "FILE.txt", "bad.txt=Bad File|[personl]|Spyware\n");
    Write(from / "EXE.txt", "bad.exe=Bad Program|[progfil]Bad\n");
    Write(from / "REG.txt", "1^Software\\Bad^=Bad Key|Hijacker\n");
    Write(from / "COOK.txt", "ads.example\n");
    FUZZ_CHECK(ReleaseStore(root).Publish(from, {2026, 1, 1, 0, 0, 0}).empty());
    Write(root / "Languages" / "0" / "Localization.txt", "<LANGUAGE_GROUP></LANGUAGE_GROUP>\n");
    Write(root / "research", "");  // a file: reports cannot be stored
    options.root = root;
    routes = InstallRoutes(server, options, *signer);
    server.set_payload_max_length(64 * 1024);
  }
  static Fixture& Get() {
    static Fixture fixture;
    return fixture;
  }

  fs::path root;
  std::unique_ptr<Signer> signer;
  ServerOptions options;
  RequestServer server;
  std::shared_ptr<void> routes;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Fixture& fixture = Fixture::Get();
  InputStream stream(fuzz::AsText(data, size));
  // A connection carries a few requests at most.
  for (int request = 0; request < 4 && !stream.Done(); ++request) {
    const size_t start = stream.output.size();
    const bool open = fixture.server.Handle(stream);
    const std::string reply = stream.output.substr(start);
    if (reply.rfind("HTTP/1.1 200", 0) == 0)
      FUZZ_CHECK(reply.find("X-Quillonet-Signature: ") != std::string::npos);
    if (!open) break;
  }
  return 0;
}
