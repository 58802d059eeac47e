#pragma once

#include <string_view>

namespace quill::platform {

/// Whether signatureBase64 (a DER-encoded ECDSA signature over the SHA-256 digest of data, in
/// base64) was made with the private key of publicKeyPem (a P-256 public key in PEM form).
/// False for anything malformed: a key that cannot be read or is of another kind, a signature
/// that is not base64 or not DER, or one that does not match the exact bytes of data.
bool VerifySignature(std::string_view publicKeyPem, std::string_view data,
                     std::string_view signatureBase64);

}  // namespace quill::platform
