#pragma once

#include <string>
#include <string_view>

/// UTF-8 and UTF-16 conversions. Invalid input never fails: each bad sequence becomes U+FFFD.
namespace quill::unicode {

/// Decodes one UTF-8 sequence at `pos` and moves `pos` past it; an invalid byte gives U+FFFD
/// and advances by one.
char32_t DecodeUtf8(std::string_view s, size_t& pos);
/// Appends a code point as UTF-16 (a surrogate pair above U+FFFF).
void AppendUtf16(std::u16string& out, char32_t cp);
/// Appends a code point as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

std::u16string Utf8ToUtf16(std::string_view text);
/// Lone surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

/// UTF-16 code units as little-endian bytes, and back (an odd last byte is dropped).
std::string Utf16LeBytes(std::u16string_view text);
std::u16string FromUtf16LeBytes(std::string_view bytes);

/// The longest start of a UTF-8 text that fits in maxBytes without cutting a character.
std::string Utf8Prefix(std::string_view text, size_t maxBytes);

}  // namespace quill::unicode
