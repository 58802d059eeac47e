// Signature checks through OpenSSL's libcrypto.
#include "platform/Signature.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/Base64.h"

namespace quill::platform {
namespace {

struct Freer {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
  void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
  void operator()(BIO* bio) const { BIO_free(bio); }
};

}  // namespace

bool VerifySignature(std::string_view publicKeyPem, std::string_view data,
                     std::string_view signatureBase64) {
  const auto signature = detail::SignatureBytes(publicKeyPem, signatureBase64);
  if (!signature) return false;

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
