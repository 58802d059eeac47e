#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quill::platform::detail {

/// Strict base64 (padding optional, no line breaks or other characters inside); empty when
/// the text is anything else.
std::optional<std::string> DecodeBase64(std::string_view text);

/// The DER bytes of a signature check's base64 signature, when key and signature are of a
/// plausible size and the signature decodes to something; empty otherwise.
std::optional<std::string> SignatureBytes(std::string_view publicKeyPem,
                                          std::string_view signatureBase64);

}  // namespace quill::platform::detail
