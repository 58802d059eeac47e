#include "platform/posix/HiveFile.h"

#include <chrono>
#include <cstdio>
#include <optional>

#include "base/Text.h"
#include "base/Unicode.h"
#include "platform/posix/HiveValues.h"

namespace quill::platform::posix::detail {

using unicode::Utf16LeBytes;

namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";
constexpr std::string_view kRelativeTo = ";; All keys relative to ";
// 100 ns intervals between 1601-01-01 and 1970-01-01.
constexpr uint64_t kFileTimeEpochOffset = 116444736000000000ULL;

bool IsHexDigit(char32_t c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
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

RegValue StoredValue(RegValue value) {
  if (value.type == static_cast<uint32_t>(RegType::MultiSz) && !value.data.empty() &&
      value.data.back() != '\0')
    value.data += '\0';
  return value;
}

std::string FormatValueLine(std::string_view name, const RegValue& given) {
  const RegValue value = StoredValue(given);
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
    const std::u16string text = Utf8ToUtf16(value.data);
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

namespace {

// The text's lines with their ends (`raws`) and without them (`contents`, LF or CR LF
// removed).
void SplitLines(std::string_view text, std::vector<std::string_view>& raws,
                std::vector<std::string_view>& contents) {
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
}

// A "[Path\\To\\Key] stamp" line opens a block; false when its path cannot be read.
bool ParseKeyLine(HiveDocument& doc, std::string_view s, HiveLine& line) {
  size_t pos = 1;
  std::u16string path;
  if (!ReadEscaped(s, pos, ']', path)) return false;
  HiveBlock block;
  block.path = JoinKeyPath(SplitKeyPath(Utf16ToUtf8(path)));
  block.lowerPath = text::ToLower(block.path);
  block.keyTextLength = pos;
  line.kind = HiveLine::Kind::Key;
  block.lines.push_back(std::move(line));
  doc.blocks.push_back(std::move(block));
  return true;
}

// A "name"=data or @=data line of a readable key, with its continuation lines; `used`
// reports how many lines it took. False when it cannot be read.
bool ParseValueLine(const std::vector<std::string_view>& contents, size_t i, HiveLine& line,
                    size_t& used) {
  std::string_view s = contents[i];
  size_t pos = 1;
  std::string name;
  if (s[0] == '"') {
    std::u16string wide;
    if (!ReadEscaped(s, pos, '"', wide)) return false;
    name = Utf16ToUtf8(wide);
  }
  if (pos >= s.size() || s[pos] != '=') return false;
  if (!ParseValueData(contents, i, pos + 1, line.value, used)) return false;
  line.kind = HiveLine::Kind::Value;
  line.name = std::move(name);
  return true;
}

// The ";; All keys relative to ..." line before the first key names the hive's root.
void ReadRelativeTo(HiveDocument& doc, std::string_view s) {
  if (!doc.blocks.empty() || !text::StartsWith(s, kRelativeTo)) return;
  // The path is escaped like a key path; the line end terminates it.
  std::u16string rel;
  size_t pos = kRelativeTo.size();
  const std::string terminated = std::string(s) + '\n';
  if (ReadEscaped(terminated, pos, '\n', rel)) doc.relativeTo = Utf16ToUtf8(rel);
}

}  // namespace

HiveDocument ParseHive(std::string_view text) {
  HiveDocument doc;
  std::vector<std::string_view> raws;
  std::vector<std::string_view> contents;
  SplitLines(text, raws, contents);
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
      ReadRelativeTo(doc, s);
      AppendLine(doc, std::move(line));
      continue;
    }
    if (s[0] == '[') {
      inValidKey = ParseKeyLine(doc, s, line);
      if (!inValidKey) {
        doc.complete = false;
        AppendLine(doc, std::move(line));
      }
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
      size_t used = 1;
      if (ParseValueLine(contents, i, line, used)) {
        for (size_t k = 1; k < used; ++k) line.raw += raws[i + k];
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
