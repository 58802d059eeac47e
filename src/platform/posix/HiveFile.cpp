#include "platform/posix/HiveFile.h"

#include <chrono>
#include <cstdio>
#include <optional>

#include "base/Text.h"
#include "base/Unicode.h"

namespace quill::platform::posix::detail {

using unicode::AppendUtf16;
using unicode::DecodeUtf8;
using unicode::FromUtf16LeBytes;
using unicode::Utf16LeBytes;

namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";
constexpr std::string_view kRelativeTo = ";; All keys relative to ";
// 100 ns intervals between 1601-01-01 and 1970-01-01.
constexpr uint64_t kFileTimeEpochOffset = 116444736000000000ULL;

bool IsHexDigit(char32_t c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Reads Wine-escaped text up to the unescaped `terminator`, leaving `pos` after it.
// Fails on a missing terminator or a truncated escape.
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
    switch (e) {
      case 'a':
        out += u'\a';
        ++pos;
        continue;
      case 'b':
        out += u'\b';
        ++pos;
        continue;
      case 'e':
        out += char16_t{27};
        ++pos;
        continue;
      case 'f':
        out += u'\f';
        ++pos;
        continue;
      case 'n':
        out += u'\n';
        ++pos;
        continue;
      case 'r':
        out += u'\r';
        ++pos;
        continue;
      case 't':
        out += u'\t';
        ++pos;
        continue;
      case 'v':
        out += u'\v';
        ++pos;
        continue;
      default:
        break;
    }
    if (e == 'x') {
      ++pos;
      char16_t unit = 0;
      int digits = 0;
      while (digits < 4 && pos < s.size() && HexValue(s[pos]) >= 0) {
        unit = static_cast<char16_t>(unit * 16 + HexValue(s[pos]));
        ++pos;
        ++digits;
      }
      // Like Wine, a "\x" without digits is a plain 'x'.
      out += digits == 0 ? u'x' : unit;
      continue;
    }
    if (e >= '0' && e <= '7') {
      char16_t unit = 0;
      int digits = 0;
      while (digits < 3 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7') {
        unit = static_cast<char16_t>(unit * 8 + (s[pos] - '0'));
        ++pos;
        ++digits;
      }
      out += unit;
      continue;
    }
    // Any other escaped character stands for itself (\\, \", \[, \]).
    AppendUtf16(out, DecodeUtf8(s, pos));
  }
  return false;
}

bool IsTextType(uint32_t type) {
  return type == static_cast<uint32_t>(RegType::Sz) ||
         type == static_cast<uint32_t>(RegType::ExpandSz) ||
         type == static_cast<uint32_t>(RegType::Link) ||
         type == static_cast<uint32_t>(RegType::MultiSz);
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

// Parses "hex:", "hex(N):", "dword:", "str(N):" and quoted data after the '=' of a value.
// `lines` holds the value's line and the lines after it; `used` reports how many of them
// the value took (continuation lines).
bool ParseValueData(const std::vector<std::string_view>& lines, size_t first, size_t pos,
                    RegValue& value, size_t& used) {
  std::string_view s = lines[first];
  used = 1;
  auto restIsBlank = [](std::string_view t, size_t p) {
    for (; p < t.size(); ++p) {
      if (!IsBlank(t[p])) return false;
    }
    return true;
  };
  std::string_view rest = s.substr(pos);
  uint32_t type = static_cast<uint32_t>(RegType::Sz);
  if (text::StartsWith(rest, "\"") || text::StartsWith(rest, "str:\"") ||
      text::StartsWith(rest, "str(")) {
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
    if (!restIsBlank(s, pos)) return false;
    value.type = type;
    if (IsTextType(type)) {
      value.data = Utf16ToUtf8(content);
    } else {
      content += u'\0';
      value.data = Utf16LeBytes(content);
    }
    return true;
  }
  if (text::StartsWith(rest, "dword:")) {
    size_t p = pos + 6;
    uint32_t n = 0;
    int digits = 0;
    while (p < s.size() && HexValue(s[p]) >= 0) {
      if (++digits > 8) return false;
      n = n * 16 + static_cast<uint32_t>(HexValue(s[p]));
      ++p;
    }
    if (digits == 0 || !restIsBlank(s, p)) return false;
    value = MakeDword(n);
    return true;
  }
  if (text::StartsWith(rest, "hex:")) {
    type = static_cast<uint32_t>(RegType::Binary);
    pos += 4;
  } else if (text::StartsWith(rest, "hex(")) {
    size_t p = pos + 4;
    uint64_t n = 0;
    if (ReadTypeNumber(s, p, n) == 0 || s.substr(p, 2) != "):") return false;
    type = static_cast<uint32_t>(n);
    pos = p + 2;
  } else {
    return false;
  }
  std::string bytes;
  size_t lineIndex = first;
  for (;;) {
    // One line of "xx,xx,...", possibly ending in a backslash that continues it.
    size_t p = pos;
    bool continues = false;
    for (;;) {
      while (p < s.size() && IsBlank(s[p])) ++p;
      if (p >= s.size()) break;
      if (s[p] == '\\') {
        if (!restIsBlank(s, p + 1)) return false;
        continues = true;
        break;
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
      if (p >= s.size()) break;
      if (s[p] == ',') {
        ++p;
        continue;
      }
      if (s[p] == '\\') continue;
      return false;
    }
    if (!continues) break;
    ++lineIndex;
    if (lineIndex >= lines.size()) return false;  // cut off mid-value
    s = lines[lineIndex];
    pos = 0;
    ++used;
  }
  value.type = type;
  value.data = IsTextType(type) ? NarrowFromStored(bytes) : bytes;
  return true;
}

void AppendLine(HiveDocument& doc, HiveLine line) {
  if (doc.blocks.empty()) {
    doc.preamble += line.raw;
  } else {
    doc.blocks.back().lines.push_back(std::move(line));
  }
}

}  // namespace

HiveTime HiveTimeNow() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100;
  HiveTime t;
  t.unixSeconds = ticks / 10000000;
  t.fileTime = static_cast<uint64_t>(ticks) + kFileTimeEpochOffset;
  return t;
}

std::vector<std::string> SplitKeyPath(std::string_view path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string JoinKeyPath(const std::vector<std::string>& components, size_t first) {
  std::string path;
  for (size_t i = first; i < components.size(); ++i) {
    if (!path.empty()) path += '\\';
    path += components[i];
  }
  return path;
}

std::string EscapeWide(std::u16string_view text, char quote1, char quote2) {
  // The C escapes Wine uses for control characters; '.' = none (octal instead).
  static constexpr std::string_view kEscapes = ".......abtnvfr.............e....";
  std::string out;
  out.reserve(text.size() + 8);
  char buffer[16];
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const char16_t next = i + 1 < text.size() ? text[i + 1] : 0;
    if (c > 127) {
      if (next != 0 && next < 128 && IsHexDigit(next)) {
        std::snprintf(buffer, sizeof buffer, "\\x%04x", static_cast<unsigned>(c));
      } else {
        std::snprintf(buffer, sizeof buffer, "\\x%x", static_cast<unsigned>(c));
      }
      out += buffer;
      continue;
    }
    if (c < 32) {
      if (kEscapes[c] != '.') {
        out += '\\';
        out += kEscapes[c];
      } else if (next >= '0' && next <= '7') {
        std::snprintf(buffer, sizeof buffer, "\\%03o", static_cast<unsigned>(c));
        out += buffer;
      } else {
        std::snprintf(buffer, sizeof buffer, "\\%o", static_cast<unsigned>(c));
        out += buffer;
      }
      continue;
    }
    const char ch = static_cast<char>(c);
    if (ch == '\\' || ch == quote1 || ch == quote2) out += '\\';
    out += ch;
  }
  return out;
}

std::string FormatKeyText(std::string_view path) {
  std::string out = "[";
  const std::vector<std::string> parts = SplitKeyPath(path);
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += "\\\\";
    out += EscapeWide(Utf8ToUtf16(parts[i]), '[', ']');
  }
  out += ']';
  return out;
}

std::string FormatKeyStamp(const HiveTime& time) {
  std::string out = " ";
  out += std::to_string(static_cast<uint32_t>(time.unixSeconds));
  out += '\n';
  return out;
}

std::string FormatTimeLine(const HiveTime& time) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "#time=%llx\n",
                static_cast<unsigned long long>(time.fileTime));
  return buffer;
}

std::string FormatValueLine(std::string_view name, const RegValue& value) {
  std::string out;
  if (name.empty()) {
    out = "@=";
  } else {
    out = "\"";
    out += EscapeWide(Utf8ToUtf16(name), '"', '"');
    out += "\"=";
  }
  const uint32_t type = value.type;
  if (type == static_cast<uint32_t>(RegType::Sz) ||
      type == static_cast<uint32_t>(RegType::ExpandSz) ||
      type == static_cast<uint32_t>(RegType::MultiSz)) {
    std::u16string text = Utf8ToUtf16(value.data);
    // A multi-string is a list of zero-terminated strings; keep it one even when the caller
    // left off the last zero.
    if (type == static_cast<uint32_t>(RegType::MultiSz) && !text.empty() && text.back() != 0) {
      text += u'\0';
    }
    if (type != static_cast<uint32_t>(RegType::Sz)) {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "str(%x):", type);
      out += buffer;
    }
    out += '"';
    out += EscapeWide(text, '"', '"');
    out += "\"\n";
    return out;
  }
  if (type == static_cast<uint32_t>(RegType::Dword) && value.data.size() == 4) {
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i)
      n = (n << 8) | static_cast<unsigned char>(value.data[static_cast<size_t>(i)]);
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "dword:%08x\n", n);
    return out + buffer;
  }
  std::string bytes = value.data;
  if (type == static_cast<uint32_t>(RegType::Link)) bytes = Utf16LeBytes(Utf8ToUtf16(value.data));
  AppendRegHexData(out, type, bytes, "\n");
  out += '\n';
  return out;
}

std::string NewHivePreamble(std::string_view relativeTo, std::string_view arch) {
  std::string out(kHeader);
  out += "\n";
  out += kRelativeTo;
  const std::vector<std::string> parts = SplitKeyPath(relativeTo);
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += "\\\\";
    out += EscapeWide(Utf8ToUtf16(parts[i]), '[', ']');
  }
  out += "\n\n#arch=";
  out += arch;
  out += '\n';
  return out;
}

HiveDocument ParseHive(std::string_view text) {
  HiveDocument doc;
  // Split into lines with their ends; `content` has the end (LF or CR LF) removed.
  std::vector<std::string_view> raws;
  std::vector<std::string_view> contents;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view raw = text.substr(start, end - start);
    std::string_view content = raw;
    if (!content.empty() && content.back() == '\n') content.remove_suffix(1);
    if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
    raws.push_back(raw);
    contents.push_back(content);
    start = end;
  }
  if (contents.empty()) return doc;
  if (text::TrimRight(contents[0]) != kHeader) {
    // Not a hive we know how to read: keep it whole and never write over it.
    doc.preamble = std::string(text);
    doc.complete = false;
    return doc;
  }
  doc.preamble = std::string(raws[0]);
  bool inValidKey = false;
  for (size_t i = 1; i < contents.size(); ++i) {
    std::string_view s = contents[i];
    HiveLine line;
    line.raw = std::string(raws[i]);
    if (s.empty() || text::Trim(s).empty()) {
      AppendLine(doc, std::move(line));
      continue;
    }
    if (s[0] == ';') {
      if (doc.blocks.empty() && text::StartsWith(s, kRelativeTo)) {
        // The path is escaped like a key path; the line end terminates it.
        std::u16string rel;
        size_t pos = kRelativeTo.size();
        const std::string terminated = std::string(s) + '\n';
        if (ReadEscaped(terminated, pos, '\n', rel)) doc.relativeTo = Utf16ToUtf8(rel);
      }
      AppendLine(doc, std::move(line));
      continue;
    }
    if (s[0] == '[') {
      size_t pos = 1;
      std::u16string path;
      if (!ReadEscaped(s, pos, ']', path)) {
        doc.complete = false;
        inValidKey = false;
        AppendLine(doc, std::move(line));
        continue;
      }
      HiveBlock block;
      block.path = JoinKeyPath(SplitKeyPath(Utf16ToUtf8(path)));
      block.lowerPath = text::ToLower(block.path);
      block.keyTextLength = pos;
      line.kind = HiveLine::Kind::Key;
      block.lines.push_back(std::move(line));
      doc.blocks.push_back(std::move(block));
      inValidKey = true;
      continue;
    }
    if (s[0] == '#') {
      line.kind = HiveLine::Kind::Meta;
      if (!doc.blocks.empty() && inValidKey && text::TrimRight(s) == "#link") {
        doc.blocks.back().isLink = true;
      }
      AppendLine(doc, std::move(line));
      continue;
    }
    if ((s[0] == '"' || s[0] == '@') && inValidKey) {
      size_t pos = 0;
      std::string name;
      bool ok = true;
      if (s[0] == '@') {
        pos = 1;
      } else {
        pos = 1;
        std::u16string wide;
        ok = ReadEscaped(s, pos, '"', wide);
        name = Utf16ToUtf8(wide);
      }
      size_t used = 1;
      if (ok && pos < s.size() && s[pos] == '=') {
        ok = ParseValueData(contents, i, pos + 1, line.value, used);
      } else {
        ok = false;
      }
      if (ok) {
        for (size_t k = 1; k < used; ++k) line.raw += raws[i + k];
        line.kind = HiveLine::Kind::Value;
        line.name = std::move(name);
        i += used - 1;
      } else {
        doc.complete = false;
        line = HiveLine{HiveLine::Kind::Other, std::string(raws[i]), {}, {}};
      }
      AppendLine(doc, std::move(line));
      continue;
    }
    // Anything else (or a value outside a readable key) is something we do not understand.
    doc.complete = false;
    AppendLine(doc, std::move(line));
  }
  return doc;
}

std::string SerializeHive(const HiveDocument& doc) {
  size_t size = doc.preamble.size();
  for (const HiveBlock& block : doc.blocks) {
    for (const HiveLine& line : block.lines) size += line.raw.size();
  }
  std::string out;
  out.reserve(size);
  out += doc.preamble;
  for (const HiveBlock& block : doc.blocks) {
    for (const HiveLine& line : block.lines) out += line.raw;
  }
  return out;
}

}  // namespace quill::platform::posix::detail
