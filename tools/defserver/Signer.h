#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quill::defserver {

/// Signs response bodies with ECDSA P-256 over SHA-256, so that a client holding the public
/// key can tell a body from this server from one altered on the way.
class Signer {
 public:
  /// Loads a PEM private key; empty with the reason in *error when it cannot be read or is
  /// not a P-256 key.
  static std::unique_ptr<Signer> Load(const std::filesystem::path& keyFile, std::string* error);
  ~Signer();
  Signer(const Signer&) = delete;
  Signer& operator=(const Signer&) = delete;

  /// Base64 of the DER-encoded signature over the exact bytes; empty when signing failed.
  std::string Sign(std::string_view body) const;

 private:
  explicit Signer(void* key) : key_(key) {}
  void* key_;  // EVP_PKEY
};

/// Writes "signing-key.pem" (PKCS#8, readable by the owner only) and
/// "update-public-key.pem" (SubjectPublicKeyInfo) into dir. Refuses to replace an existing
/// private key. Returns an error text, empty on success.
std::string GenerateKeyPair(const std::filesystem::path& dir);

/// Whether signatureBase64 is a valid signature of body under the PEM public key.
bool VerifySignature(const std::filesystem::path& publicKeyFile, std::string_view body,
                     std::string_view signatureBase64);

}  // namespace quill::defserver
