// Signature checks through the system's own cryptography (CNG).
#include "platform/Signature.h"

#include "platform/win32/WinApi.h"
// CNG needs the base definitions above.
#include <bcrypt.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/Base64.h"

namespace quill::platform {
namespace {

// A P-256 public key in its SubjectPublicKeyInfo form is this fixed prefix (the EC public key
// algorithm, the P-256 curve, the bit string) followed by the uncompressed point 04 || X || Y.
constexpr unsigned char kP256KeyPrefix[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2a, 0x86, 0x48,
                                            0xce, 0x3d, 0x02, 0x01, 0x06, 0x08, 0x2a, 0x86, 0x48,
                                            0xce, 0x3d, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};
constexpr size_t kCoordinate = 32;

/// X || Y of a PEM "PUBLIC KEY" holding a P-256 key; empty for anything else.
std::optional<std::string> P256Point(std::string_view pem) {
  constexpr std::string_view kBegin = "-----BEGIN PUBLIC KEY-----";
  constexpr std::string_view kEnd = "-----END PUBLIC KEY-----";
  const size_t begin = pem.find(kBegin);
  if (begin == std::string_view::npos) return std::nullopt;
  const size_t end = pem.find(kEnd, begin + kBegin.size());
  if (end == std::string_view::npos) return std::nullopt;
  std::string body;
  for (char c : pem.substr(begin + kBegin.size(), end - begin - kBegin.size()))
    if (c != '\r' && c != '\n' && c != ' ' && c != '\t') body.push_back(c);
  auto der = detail::DecodeBase64(body);
  if (!der || der->size() != sizeof kP256KeyPrefix + 2 * kCoordinate ||
      std::memcmp(der->data(), kP256KeyPrefix, sizeof kP256KeyPrefix) != 0)
    return std::nullopt;
  return der->substr(sizeof kP256KeyPrefix);
}

/// One DER INTEGER at `at` as a 32-byte big-endian number; advances `at`.
std::optional<std::string> ReadInteger(const std::string& der, size_t& at) {
  if (at + 2 > der.size() || der[at] != 0x02) return std::nullopt;
  size_t length = static_cast<unsigned char>(der[at + 1]);
  at += 2;
  if (length == 0 || length > kCoordinate + 1 || at + length > der.size()) return std::nullopt;
  std::string value = der.substr(at, length);
  at += length;
  // Negative numbers are no signature; a leading zero only where the next byte needs it.
  if (static_cast<unsigned char>(value[0]) & 0x80) return std::nullopt;
  if (value.size() > 1 && value[0] == 0 && !(static_cast<unsigned char>(value[1]) & 0x80))
    return std::nullopt;
  if (value.size() == kCoordinate + 1) value.erase(0, 1);
  if (value.size() > kCoordinate) return std::nullopt;
  return std::string(kCoordinate - value.size(), '\0') + value;
}

/// r || s of a DER ECDSA signature (SEQUENCE of two INTEGERs, nothing after it).
std::optional<std::string> RawSignature(const std::string& der) {
  if (der.size() < 8 || der[0] != 0x30) return std::nullopt;
  const size_t length = static_cast<unsigned char>(der[1]);
  if (length & 0x80 || length + 2 != der.size()) return std::nullopt;
  size_t at = 2;
  auto r = ReadInteger(der, at);
  auto s = ReadInteger(der, at);
  if (!r || !s || at != der.size()) return std::nullopt;
  return *r + *s;
}

/// An algorithm provider, closed with the object.
struct Provider {
  BCRYPT_ALG_HANDLE handle = nullptr;
  explicit Provider(LPCWSTR algorithm) {
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&handle, algorithm, nullptr, 0)))
      handle = nullptr;
  }
  ~Provider() {
    if (handle != nullptr) BCryptCloseAlgorithmProvider(handle, 0);
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;
};

std::optional<std::string> Sha256(std::string_view data) {
  Provider sha(BCRYPT_SHA256_ALGORITHM);
  if (sha.handle == nullptr) return std::nullopt;
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (!BCRYPT_SUCCESS(BCryptCreateHash(sha.handle, &hash, nullptr, 0, nullptr, 0, 0)))
    return std::nullopt;
  std::string digest(32, '\0');
  bool ok = true;
  for (size_t done = 0; ok && done < data.size();) {
    const ULONG piece = static_cast<ULONG>(std::min<size_t>(data.size() - done, 1u << 20));
    ok = BCRYPT_SUCCESS(BCryptHashData(
        hash, reinterpret_cast<PUCHAR>(const_cast<char*>(data.data() + done)), piece, 0));
    done += piece;
  }
  ok = ok && BCRYPT_SUCCESS(BCryptFinishHash(hash, reinterpret_cast<PUCHAR>(digest.data()),
                                             static_cast<ULONG>(digest.size()), 0));
  BCryptDestroyHash(hash);
  if (!ok) return std::nullopt;
  return digest;
}

}  // namespace

bool VerifySignature(std::string_view publicKeyPem, std::string_view data,
                     std::string_view signatureBase64) {
  const auto der = detail::SignatureBytes(publicKeyPem, signatureBase64);
  const auto point = P256Point(publicKeyPem);
  if (!point || !der) return false;
  const auto signature = RawSignature(*der);
  const auto digest = Sha256(data);
  if (!signature || !digest) return false;

  std::vector<unsigned char> blob(sizeof(BCRYPT_ECCKEY_BLOB) + point->size());
  BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, static_cast<ULONG>(kCoordinate)};
  std::memcpy(blob.data(), &header, sizeof header);
  std::memcpy(blob.data() + sizeof header, point->data(), point->size());

  Provider ecdsa(BCRYPT_ECDSA_P256_ALGORITHM);
  if (ecdsa.handle == nullptr) return false;
  BCRYPT_KEY_HANDLE key = nullptr;
  if (!BCRYPT_SUCCESS(BCryptImportKeyPair(ecdsa.handle, nullptr, BCRYPT_ECCPUBLIC_BLOB, &key,
                                          blob.data(), static_cast<ULONG>(blob.size()), 0)))
    return false;
  std::string raw = *signature;
  std::string hashed = *digest;
  const NTSTATUS status = BCryptVerifySignature(
      key, nullptr, reinterpret_cast<PUCHAR>(hashed.data()), static_cast<ULONG>(hashed.size()),
      reinterpret_cast<PUCHAR>(raw.data()), static_cast<ULONG>(raw.size()), 0);
  BCryptDestroyKey(key);
  return BCRYPT_SUCCESS(status);
}

}  // namespace quill::platform
