#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

/// Reading the text of Wine's hive files: its escapes and the stored forms of a value's data
/// ("quoted", str(N):"...", dword:, hex: and hex(N):).
namespace quill::platform::posix::detail {

/// The value of a hexadecimal digit, or -1.
int HexValue(char c);
bool IsBlank(char c);

/// Reads Wine-escaped text up to the unescaped `terminator`, leaving `pos` after it.
/// Fails on a missing terminator or a truncated escape.
bool ReadEscaped(std::string_view s, size_t& pos, char terminator, std::u16string& out);

/// Whether a value of this type holds text, which the hive keeps as UTF-16 and we keep in
/// the narrow form (lists of strings included).
bool IsHiveTextType(uint32_t type);

/// Parses the data after the '=' of a value line at `pos` of `lines[first]`. A value may
/// continue on the lines after it: `used` reports how many lines it took.
bool ParseValueData(const std::vector<std::string_view>& lines, size_t first, size_t pos,
                    RegValue& value, size_t& used);

}  // namespace quill::platform::posix::detail
