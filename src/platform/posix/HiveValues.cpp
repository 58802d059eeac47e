#include "platform/posix/HiveValues.h"

#include "base/Text.h"
#include "base/Unicode.h"

namespace quill::platform::posix::detail {

using unicode::AppendUtf16;
using unicode::DecodeUtf8;
using unicode::FromUtf16LeBytes;
using unicode::Utf16LeBytes;
using unicode::Utf16ToUtf8;

namespace {

// The one-letter C escapes; 0 when `e` is none of them.
char16_t LetterEscape(char e) {
  switch (e) {
    case 'a':
      return u'\a';
    case 'b':
      return u'\b';
    case 'e':
      return char16_t{27};
    case 'f':
      return u'\f';
    case 'n':
      return u'\n';
    case 'r':
      return u'\r';
    case 't':
      return u'\t';
    case 'v':
      return u'\v';
    default:
      return 0;
  }
}

// Up to `maxDigits` digits of the given base at `pos`; how many were read goes to `digits`.
char16_t ReadCodeUnit(std::string_view s, size_t& pos, int base, int maxDigits, int& digits) {
  char16_t unit = 0;
  digits = 0;
  while (digits < maxDigits && pos < s.size()) {
    const int v = HexValue(s[pos]);
    if (v < 0 || v >= base) break;
    unit = static_cast<char16_t>(unit * base + v);
    ++pos;
    ++digits;
  }
  return unit;
}

bool RestIsBlank(std::string_view t, size_t p) {
  for (; p < t.size(); ++p) {
    if (!IsBlank(t[p])) return false;
  }
  return true;
}

// Raw bytes of a text-typed value as Wine stores them (UTF-16LE) -> the narrow form: the
// terminating zero (the list's final zero for multi-strings) is dropped.
std::string NarrowFromStored(std::string_view bytes) {
  std::u16string text = FromUtf16LeBytes(bytes);
  if (!text.empty() && text.back() == 0) text.pop_back();
  return Utf16ToUtf8(text);
}

// Reads the hexadecimal type number of "str(N):" or "hex(N):" at p (at most eight digits);
// returns how many digits were read.
int ReadTypeNumber(std::string_view s, size_t& p, uint64_t& n) {
  int digits = 0;
  while (p < s.size() && HexValue(s[p]) >= 0 && digits < 8) {
    n = n * 16 + static_cast<uint64_t>(HexValue(s[p]));
    ++p;
    ++digits;
  }
  return digits;
}

// "quoted", str:"quoted" and str(N):"quoted".
bool ParseQuotedData(std::string_view s, size_t pos, RegValue& value) {
  std::string_view rest = s.substr(pos);
  uint32_t type = static_cast<uint32_t>(RegType::Sz);
  if (text::StartsWith(rest, "str(")) {
    size_t p = pos + 4;
    uint64_t n = 0;
    if (ReadTypeNumber(s, p, n) == 0 || s.substr(p, 3) != "):\"") return false;
    type = static_cast<uint32_t>(n);
    pos = p + 3;
  } else {
    pos += text::StartsWith(rest, "\"") ? 1 : 5;
  }
  std::u16string content;
  if (!ReadEscaped(s, pos, '"', content)) return false;
  if (!RestIsBlank(s, pos)) return false;
  value.type = type;
  if (IsHiveTextType(type)) {
    value.data = Utf16ToUtf8(content);
  } else {
    content += u'\0';
    value.data = Utf16LeBytes(content);
  }
  return true;
}

// dword:xxxxxxxx (one to eight digits).
bool ParseDwordData(std::string_view s, size_t pos, RegValue& value) {
  size_t p = pos + 6;
  uint32_t n = 0;
  int digits = 0;
  while (p < s.size() && HexValue(s[p]) >= 0) {
    if (++digits > 8) return false;
    n = n * 16 + static_cast<uint32_t>(HexValue(s[p]));
    ++p;
  }
  if (digits == 0 || !RestIsBlank(s, p)) return false;
  value = MakeDword(n);
  return true;
}

// One line of "xx,xx,..." from `pos`, appended to `bytes`; `continues` tells whether it
// ends in a backslash that continues it on the next line.
bool ReadHexLine(std::string_view s, size_t pos, std::string& bytes, bool& continues) {
  size_t p = pos;
  continues = false;
  for (;;) {
    while (p < s.size() && IsBlank(s[p])) ++p;
    if (p >= s.size()) return true;
    if (s[p] == '\\') {
      if (!RestIsBlank(s, p + 1)) return false;
      continues = true;
      return true;
    }
    int hi = HexValue(s[p]);
    if (hi < 0) return false;
    int byte = hi;
    ++p;
    if (p < s.size() && HexValue(s[p]) >= 0) {
      byte = byte * 16 + HexValue(s[p]);
      ++p;
    }
    bytes += static_cast<char>(byte);
    while (p < s.size() && IsBlank(s[p])) ++p;
    if (p >= s.size()) return true;
    if (s[p] == ',') {
      ++p;
      continue;
    }
    if (s[p] == '\\') continue;
    return false;
  }
}

// hex:xx,xx,... and hex(N):xx,xx,..., over as many continuation lines as it takes.
bool ParseHexData(const std::vector<std::string_view>& lines, size_t first, size_t pos,
                  RegValue& value, size_t& used) {
  std::string_view s = lines[first];
  std::string_view rest = s.substr(pos);
  uint32_t type = static_cast<uint32_t>(RegType::Binary);
  if (text::StartsWith(rest, "hex:")) {
    pos += 4;
  } else {
    size_t p = pos + 4;
    uint64_t n = 0;
    if (ReadTypeNumber(s, p, n) == 0 || s.substr(p, 2) != "):") return false;
    type = static_cast<uint32_t>(n);
    pos = p + 2;
  }
  std::string bytes;
  for (size_t lineIndex = first;;) {
    bool continues = false;
    if (!ReadHexLine(s, pos, bytes, continues)) return false;
    if (!continues) break;
    ++lineIndex;
    if (lineIndex >= lines.size()) return false;  // cut off mid-value
    s = lines[lineIndex];
    pos = 0;
    ++used;
  }
  value.type = type;
  value.data = IsHiveTextType(type) ? NarrowFromStored(bytes) : bytes;
  return true;
}

}  // namespace

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool ReadEscaped(std::string_view s, size_t& pos, char terminator, std::u16string& out) {
  while (pos < s.size()) {
    const char c = s[pos];
    if (c == terminator) {
      ++pos;
      return true;
    }
    if (c != '\\') {
      AppendUtf16(out, DecodeUtf8(s, pos));
      continue;
    }
    ++pos;
    if (pos >= s.size()) return false;
    const char e = s[pos];
    if (const char16_t letter = LetterEscape(e)) {
      out += letter;
      ++pos;
      continue;
    }
    int digits = 0;
    if (e == 'x') {
      ++pos;
      const char16_t unit = ReadCodeUnit(s, pos, 16, 4, digits);
      // Like Wine, a "\x" without digits is a plain 'x'.
      out += digits == 0 ? u'x' : unit;
      continue;
    }
    if (e >= '0' && e <= '7') {
      out += ReadCodeUnit(s, pos, 8, 3, digits);
      continue;
    }
    // Any other escaped character stands for itself (\\, \", \[, \]).
    AppendUtf16(out, DecodeUtf8(s, pos));
  }
  return false;
}

bool IsHiveTextType(uint32_t type) {
  return type == static_cast<uint32_t>(RegType::Sz) ||
         type == static_cast<uint32_t>(RegType::ExpandSz) ||
         type == static_cast<uint32_t>(RegType::Link) ||
         type == static_cast<uint32_t>(RegType::MultiSz);
}

bool ParseValueData(const std::vector<std::string_view>& lines, size_t first, size_t pos,
                    RegValue& value, size_t& used) {
  std::string_view rest = lines[first].substr(pos);
  used = 1;
  if (text::StartsWith(rest, "\"") || text::StartsWith(rest, "str:\"") ||
      text::StartsWith(rest, "str("))
    return ParseQuotedData(lines[first], pos, value);
  if (text::StartsWith(rest, "dword:")) return ParseDwordData(lines[first], pos, value);
  if (text::StartsWith(rest, "hex:") || text::StartsWith(rest, "hex("))
    return ParseHexData(lines, first, pos, value, used);
  return false;
}

}  // namespace quill::platform::posix::detail
