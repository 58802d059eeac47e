#include "support/LocalHttpServer.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <stdexcept>

namespace quill::test {

LocalHttpServer::LocalHttpServer() {
  // Recorded before the answer goes out (a logger runs after it), so a client that has its
  // reply always finds its request in the list.
  server_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
    std::lock_guard lock(mutex_);
    targets_.push_back(req.target);
    return httplib::Server::HandlerResponse::Unhandled;
  });
}

LocalHttpServer::~LocalHttpServer() {
  Stop();
}

void LocalHttpServer::Start() {
  // Bound and listening here, before the serving thread runs: no request can come too early.
  port_ = server_.bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("no port for the local HTTP server");
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  // Stopping before the loop runs would leave it running for ever.
  while (!server_.is_running()) std::this_thread::yield();
}

void LocalHttpServer::Serve(const std::string& path, const std::string& body, int status) {
  std::lock_guard lock(mutex_);
  const bool known = replies_.count(path) > 0;
  replies_[path] = {body, status};
  if (known) return;
  server_.Get(path, [this, path](const httplib::Request&, httplib::Response& res) {
    std::lock_guard lock(mutex_);
    const auto& [content, code] = replies_[path];
    res.status = code;
    res.set_content(content, "text/plain");
  });
}

void LocalHttpServer::Stall() {
  std::unique_lock lock(mutex_);
  released_.wait(lock, [this] { return release_; });
}

void LocalHttpServer::Release() {
  std::lock_guard lock(mutex_);
  release_ = true;
  released_.notify_all();
}

void LocalHttpServer::Stop() {
  Release();
  server_.stop();
  if (thread_.joinable()) thread_.join();
}

std::string LocalHttpServer::Base() const {
  return "http://127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> LocalHttpServer::Targets() const {
  std::lock_guard lock(mutex_);
  return targets_;
}

TestSigningKey::TestSigningKey() {
  EVP_PKEY* key = EVP_EC_gen("P-256");
  if (key == nullptr) throw std::runtime_error("no key pair");
  key_ = key;
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_PUBKEY(bio, key);
  char* data = nullptr;
  long size = BIO_get_mem_data(bio, &data);
  publicPem_.assign(data, static_cast<size_t>(size));
  BIO_free(bio);
}

TestSigningKey::~TestSigningKey() {
  EVP_PKEY_free(static_cast<EVP_PKEY*>(key_));
}

std::string TestSigningKey::Sign(const std::string& data) const {
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  size_t size = 0;
  std::string der;
  if (EVP_DigestSignInit(ctx, nullptr, EVP_sha256(), nullptr, static_cast<EVP_PKEY*>(key_)) == 1 &&
      EVP_DigestSign(ctx, nullptr, &size, reinterpret_cast<const unsigned char*>(data.data()),
                     data.size()) == 1) {
    der.resize(size);
    if (EVP_DigestSign(ctx, reinterpret_cast<unsigned char*>(der.data()), &size,
                       reinterpret_cast<const unsigned char*>(data.data()), data.size()) == 1)
      der.resize(size);
    else
      der.clear();
  }
  EVP_MD_CTX_free(ctx);
  std::string out(4 * ((der.size() + 2) / 3) + 1, '\0');
  int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                reinterpret_cast<const unsigned char*>(der.data()),
                                static_cast<int>(der.size()));
  out.resize(static_cast<size_t>(written));
  return out;
}

std::string TestSigningKey::PublicDerBase64() const {
  std::string pem = publicPem_;
  const size_t begin = pem.find('\n') + 1;
  const size_t end = pem.find("-----END");
  std::string der;
  for (char c : pem.substr(begin, end - begin))
    if (c != '\n') der += c;
  return der;
}

void TestSigningKey::State(httplib::Response& res, const update::Statement& statement) const {
  const std::string text = update::Compose(statement);
  res.set_header(update::kStatementHeader, text);
  res.set_header(update::kStatementSignatureHeader, Sign(text));
}

}  // namespace quill::test
