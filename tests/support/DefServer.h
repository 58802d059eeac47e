#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace quill::test {

/// A real quillonet-defserver on 127.0.0.1 (an ephemeral port), over a temporary root with its
/// own key pair; stopped and removed with the object.
///
///   DefServer server;                                    // temporary root, key pair made
///   ASSERT_TRUE(server.Publish("20260101-000000",        // plain lines per kind
///                              {{"FILE", {"bad.txt=Bad File|[windir]|Adware"}},
///                               {"EXE", {"bad.exe=Bad Program|[progfil]Bad"}},
///                               {"REG", {"1^Software\\Bad^=Bad Key|Adware"}},
///                               {"COOK", {"bad.example"}},
///                               {"DIR", {"Bad=Bad Folder|[progfil]Bad|Adware"}},
///                               {"SAFETY", {"SDIR|Windows=Windows folder|[windir]"}}}));
///   ASSERT_TRUE(server.Start());                         // returns once it accepts connections
///   ScopedEnv base("QUILLONET_UPDATE_SERVER", server.BaseUrl());
///   ScopedEnv key("QUILLONET_UPDATE_KEY", server.PublicKeyPath().string());
///   ... run the client ...
///   server.RequestLog();             // raw targets received, "/asp/date.asp", in order
///   server.ResearchLog("getData.log");  // reports: "<time>\t<address>\tdata=<decoded>"
///
/// Kinds and plain line forms are those of `quillonet-defserver publish` (README): FILE, DLL,
/// EXE (reaches FileDefinition.dat and ExeDefinition.dat), REG (root^key^value=threat|type),
/// COOK, DIR, SAFETY (KIND|name=value|location). A release date served to clients is the
/// general form of the release name ("20260101-000000" -> "1/1/2026"). Releases may be
/// published while the server runs; the newest is current.
class DefServer {
 public:
  using PlainLines = std::map<std::string, std::vector<std::string>>;

  DefServer();
  ~DefServer();
  DefServer(const DefServer&) = delete;
  DefServer& operator=(const DefServer&) = delete;

  /// Publishes a release named YYYYMMDD-HHMMSS; false (the tool's complaint on stderr) when
  /// the tool refused it.
  /// With expiresInDays, its statements expire that many days from now (publish --expires-in).
  bool Publish(const std::string& release, const PlainLines& lines, int expiresInDays = -1);
  /// A new signing key endorsed by the current one (next-key, endorse); restart to use it.
  bool RotateKey();
  /// Starts the server; false when it did not come up.
  bool Start();
  void Stop();

  /// "http://127.0.0.1:<port>", empty before Start.
  const std::string& BaseUrl() const { return baseUrl_; }
  const std::filesystem::path& Root() const { return root_; }
  /// The server's process id; 0 when it does not run.
  int Pid() const { return pid_; }
  std::filesystem::path PublicKeyPath() const { return root_ / "update-public-key.pem"; }
  std::filesystem::path RequestLogPath() const { return root_ / "requests.log"; }
  /// A stored definition file of a release, as a client holds it after updating to it.
  std::filesystem::path ReleaseFile(const std::string& release, const std::string& file) const {
    return root_ / "releases" / release / file;
  }

  /// The raw request targets received so far (path and query as sent), oldest first.
  std::vector<std::string> RequestLog() const;
  /// The lines of a research file ("submitFP.log", "getData.log").
  std::vector<std::string> ResearchLog(const std::string& file) const;

 private:
  std::filesystem::path root_;
  std::string baseUrl_;
  int pid_ = 0;
};

}  // namespace quill::test
