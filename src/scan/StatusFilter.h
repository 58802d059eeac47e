#pragma once

#include <string>

namespace quill {

/// The status line shown during a scan passes through a fixed word filter: each listed
/// word is deleted everywhere in the text, without regard to case and also inside longer
/// words, one word after the other in the list's order.
std::string FilterStatusText(const std::string& text);

}  // namespace quill
