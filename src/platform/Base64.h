#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quill::platform::detail {

/// Strict base64 (padding optional, no line breaks or other characters inside); empty when
/// the text is anything else.
std::optional<std::string> DecodeBase64(std::string_view text);

}  // namespace quill::platform::detail
