#pragma once

#include <functional>
#include <string>

namespace quill {

/// The current language's text for a message key ("" when it has none).
using MessageLookup = std::function<std::string(const std::string& key)>;

}  // namespace quill
