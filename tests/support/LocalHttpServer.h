#pragma once

#include <httplib.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/UpdateStatement.h"

namespace quill::test {

/// A real HTTP server on 127.0.0.1 with an ephemeral port, run in-process on a thread of its
/// own. The port is bound and listening before Start() returns, so a request made right after
/// cannot miss it. Every request target (path and query exactly as sent) is recorded.
class LocalHttpServer {
 public:
  LocalHttpServer();
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  /// Add handlers here before Start().
  httplib::Server& Routes() { return server_; }
  /// Answers GET `path` with `body` and `status`. A later call for the same path changes the
  /// answer; the first call for a path comes before Start().
  void Serve(const std::string& path, const std::string& body, int status = 200);
  void Start();
  /// Stops serving (stalled handlers are released first); later requests are refused.
  void Stop();

  /// Called from a handler: blocks it until Release() or Stop(), a server gone silent.
  void Stall();
  void Release();

  /// "http://127.0.0.1:<port>"
  std::string Base() const;
  std::string Url(const std::string& path) const { return Base() + path; }
  /// Request targets received so far, in order.
  std::vector<std::string> Targets() const;

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::vector<std::string> targets_;
  std::map<std::string, std::pair<std::string, int>> replies_;
  std::condition_variable released_;
  bool release_ = false;
};

/// An ECDSA P-256 key pair made for one test, signing as the definition server does.
class TestSigningKey {
 public:
  TestSigningKey();
  ~TestSigningKey();
  TestSigningKey(const TestSigningKey&) = delete;
  TestSigningKey& operator=(const TestSigningKey&) = delete;

  /// The public key in PEM form.
  const std::string& PublicPem() const { return publicPem_; }
  /// Base64 of the DER signature over the SHA-256 digest of data.
  std::string Sign(const std::string& data) const;
  /// Base64 of the DER form of the public key (as an endorsement names it).
  std::string PublicDerBase64() const;
  /// Puts the statement and its signature in the reply's headers, as the definition server
  /// does.
  void State(httplib::Response& res, const update::Statement& statement) const;

 private:
  void* key_ = nullptr;  // EVP_PKEY
  std::string publicPem_;
};

}  // namespace quill::test
