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
  /// Base64 of the DER form of this key's public half.
  std::string PublicKeyDerBase64() const;

 private:
  explicit Signer(void* key) : key_(key) {}
  void* key_;  // EVP_PKEY
};

/// Writes "signing-key.pem" (PKCS#8, readable by the owner only) and
/// "update-public-key.pem" (SubjectPublicKeyInfo) into dir. Refuses to replace an existing
/// private key. Returns an error text, empty on success.
std::string GenerateKeyPair(const std::filesystem::path& dir);

/// Base64 of the DER form of the P-256 public key in a PEM file; empty when it cannot be
/// read or is of another kind.
std::string PublicKeyDerBase64(const std::filesystem::path& publicKeyFile);

/// Key rotation under a server root. MakeNextKey writes a new key pair into <root>/next-key/.
/// EndorseNextKey signs that key's public half with the current <root>/signing-key.pem,
/// appends the endorsement to <root>/endorsements.txt (sent with every reply, so clients
/// that trust the old key accept the new one), moves the current pair to
/// <root>/retired-keys/<n>/ and puts the next pair in its place. Error texts, empty on success.
std::string MakeNextKey(const std::filesystem::path& root);
std::string EndorseNextKey(const std::filesystem::path& root);
/// The endorsements of a server root, oldest first (the lines of endorsements.txt).
std::string ReadEndorsements(const std::filesystem::path& root);

/// Whether signatureBase64 is a valid signature of body under the PEM public key.
bool VerifySignature(const std::filesystem::path& publicKeyFile, std::string_view body,
                     std::string_view signatureBase64);

}  // namespace quill::defserver
