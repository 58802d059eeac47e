// Signature checks through OpenSSL's libcrypto.
#include "platform/Signature.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>
#include <optional>
#include <string>

namespace quill::platform {
namespace {

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Strict base64 (padding optional, no line breaks inside): anything else is no signature.
std::optional<std::string> DecodeBase64(std::string_view text) {
  while (!text.empty() && (text.back() == '=')) text.remove_suffix(1);
  if (text.size() % 4 == 1) return std::nullopt;
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    const int v = Base64Value(c);
    if (v < 0) return std::nullopt;
    bits = (bits << 6) | static_cast<unsigned>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<char>((bits >> count) & 0xFF));
    }
  }
  return out;
}

struct Freer {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
  void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
  void operator()(BIO* bio) const { BIO_free(bio); }
};

}  // namespace

bool VerifySignature(std::string_view publicKeyPem, std::string_view data,
                     std::string_view signatureBase64) {
  if (publicKeyPem.empty() || publicKeyPem.size() > 64 * 1024 || signatureBase64.empty() ||
      signatureBase64.size() > 1024)
    return false;
  const auto signature = DecodeBase64(signatureBase64);
  if (!signature || signature->empty()) return false;

  std::unique_ptr<BIO, Freer> bio(
      BIO_new_mem_buf(publicKeyPem.data(), static_cast<int>(publicKeyPem.size())));
  if (!bio) return false;
  std::unique_ptr<EVP_PKEY, Freer> key(PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr));
  if (!key || !EVP_PKEY_is_a(key.get(), "EC") || EVP_PKEY_get_bits(key.get()) != 256) return false;

  std::unique_ptr<EVP_MD_CTX, Freer> ctx(EVP_MD_CTX_new());
  if (!ctx || EVP_DigestVerifyInit(ctx.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1)
    return false;
  return EVP_DigestVerify(ctx.get(), reinterpret_cast<const unsigned char*>(signature->data()),
                          signature->size(), reinterpret_cast<const unsigned char*>(data.data()),
                          data.size()) == 1;
}

}  // namespace quill::platform
