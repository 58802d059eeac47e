#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quill::text {

/// Percent-encodes every byte outside A-Z a-z 0-9 - . _ ~ ("%20" for a space, "%26" for
/// "&"), so that any text, bytes above 127 included, travels safely as one query value.
std::string PercentEncode(std::string_view value);

/// The reverse of PercentEncode; "+" stays "+". Empty when a "%" is not followed by two
/// hexadecimal digits.
std::optional<std::string> PercentDecode(std::string_view value);

}  // namespace quill::text
