#include "removal/RegistryExport.h"

#include <algorithm>
#include <cstdio>

#include "base/Text.h"
#include "base/Unicode.h"
#include "removal/Quarantine.h"

namespace quill {

namespace {

using platform::RegType;
using platform::RegValue;

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
// Registry trees are shallow; the bound only guards against a hive that loops.
constexpr int kMaxDepth = 64;

bool Is(uint32_t type, RegType t) {
  return type == static_cast<uint32_t>(t);
}

// Strings kept in UTF-16 with a terminating zero in the registry.
bool IsTerminatedText(uint32_t type) {
  return Is(type, RegType::Sz) || Is(type, RegType::ExpandSz) || Is(type, RegType::MultiSz);
}

bool NeedsHexForm(const std::string& text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos;
}

// The bytes the registry holds for a value.
std::string RawBytes(const RegValue& value) {
  if (IsTerminatedText(value.type)) {
    std::u16string text = unicode::Utf8ToUtf16(value.data);
    text += u'\0';
    return unicode::Utf16LeBytes(text);
  }
  if (Is(value.type, RegType::Link)) return unicode::Utf16LeBytes(unicode::Utf8ToUtf16(value.data));
  return value.data;
}

std::string EscapeName(const std::string& name) {
  return text::ReplaceAll(text::ReplaceAll(EscapeRegText(name), "\r", "\\r"), "\n", "\\n");
}

std::string ValueLine(const std::string& name, const RegValue& value) {
  const std::string prefix = name.empty() ? "@=" : "\"" + EscapeName(name) + "\"=";
  if (Is(value.type, RegType::Sz) && !NeedsHexForm(value.data))
    return prefix + "\"" + EscapeRegText(value.data) + "\"\r\n";
  if (Is(value.type, RegType::Dword) && value.data.size() == 4) {
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i)
      n = (n << 8) | static_cast<unsigned char>(value.data[static_cast<size_t>(i)]);
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "dword:%08x\r\n", n);
    return prefix + buffer;
  }
  std::string line = prefix;
  platform::AppendRegHexData(line, value.type, RawBytes(value), "\r\n");
  return line + "\r\n";
}

// ---- Reading back ---------------------------------------------------------------------------

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The file as UTF-8 text.
std::optional<std::string> DecodeFile(std::string_view bytes) {
  if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
      static_cast<unsigned char>(bytes[1]) != 0xFE) {
    // The 8-bit form is plain ASCII. Other bytes there are no text of ours: read as they are,
    // they would be restored under names and data that were never saved.
    for (char c : bytes)
      if (static_cast<unsigned char>(c) > 127) return std::nullopt;
    return std::string(bytes);
  }
  if (bytes.size() % 2 != 0) return std::nullopt;
  return unicode::Utf16ToUtf8(unicode::FromUtf16LeBytes(bytes.substr(2)));
}

// Reads a quoted string starting after its opening quote; `pos` ends after the closing one.
std::optional<std::string> ReadQuoted(std::string_view s, size_t& pos) {
  std::string out;
  while (pos < s.size()) {
    const char c = s[pos++];
    if (c == '"') return out;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (pos >= s.size()) return std::nullopt;
    const char e = s[pos++];
    if (e == 'n') {
      out += '\n';
    } else if (e == 'r') {
      out += '\r';
    } else if (e == '\\' || e == '"') {
      out += e;
    } else {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<std::string> ReadHexBytes(std::string_view s) {
  std::string bytes;
  size_t pos = 0;
  while (pos < s.size()) {
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == ',')) ++pos;
    if (pos >= s.size()) break;
    if (pos + 1 >= s.size()) return std::nullopt;
    const int hi = HexDigit(s[pos]);
    const int lo = HexDigit(s[pos + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes += static_cast<char>(hi * 16 + lo);
    pos += 2;
    if (pos < s.size() && s[pos] != ',' && s[pos] != ' ') return std::nullopt;
  }
  return bytes;
}

// The value's narrow form from the bytes the registry holds.
std::optional<RegValue> FromRawBytes(uint32_t type, const std::string& bytes) {
  if (!IsTerminatedText(type) && !Is(type, RegType::Link)) return RegValue{type, bytes};
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::u16string wide = unicode::FromUtf16LeBytes(bytes);
  if (IsTerminatedText(type) && !wide.empty() && wide.back() == u'\0') wide.pop_back();
  return RegValue{type, unicode::Utf16ToUtf8(wide)};
}

std::optional<RegValue> ParseData(std::string_view d) {
  if (text::StartsWith(d, "\"")) {
    size_t pos = 1;
    auto textValue = ReadQuoted(d, pos);
    if (!textValue || !text::Trim(d.substr(pos)).empty()) return std::nullopt;
    return platform::MakeSz(*textValue);
  }
  if (text::StartsWith(d, "dword:")) {
    const std::string digits = text::Trim(d.substr(6));
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    uint32_t n = 0;
    for (char c : digits) {
      if (HexDigit(c) < 0) return std::nullopt;
      n = n * 16 + static_cast<uint32_t>(HexDigit(c));
    }
    return platform::MakeDword(n);
  }
  uint32_t type = static_cast<uint32_t>(RegType::Binary);
  size_t start = 0;
  if (text::StartsWith(d, "hex:")) {
    start = 4;
  } else if (text::StartsWith(d, "hex(")) {
    const size_t close = d.find("):");
    if (close == std::string_view::npos || close == 4 || close > 12) return std::nullopt;
    type = 0;
    for (size_t i = 4; i < close; ++i) {
      if (HexDigit(d[i]) < 0) return std::nullopt;
      type = type * 16 + static_cast<uint32_t>(HexDigit(d[i]));
    }
    start = close + 2;
  } else {
    return std::nullopt;
  }
  auto bytes = ReadHexBytes(d.substr(start));
  if (!bytes) return std::nullopt;
  return FromRawBytes(type, *bytes);
}

// Joins the continuation lines of wrapped hex data.
std::vector<std::string> LogicalLines(const std::string& text) {
  std::vector<std::string> lines;
  bool continuing = false;
  for (const std::string& raw : text::SplitLines(text)) {
    std::string line = continuing ? text::TrimLeft(raw) : raw;
    const bool continues = !line.empty() && line.back() == '\\' &&
                           (continuing || line.find("=hex") != std::string::npos);
    if (continues) line.pop_back();
    if (continuing)
      lines.back() += line;
    else
      lines.push_back(line);
    continuing = continues;
  }
  return lines;
}

bool ReadTree(platform::Registry& registry, platform::RootKey root, const std::string& path,
              const std::string& keyText, int depth, std::vector<RegExportKey>& out) {
  if (depth > kMaxDepth) return false;
  auto names = registry.EnumValues(root, path);
  auto subkeys = registry.EnumKeys(root, path);
  if (!names || !subkeys) return false;
  RegExportKey key{keyText, {}};
  for (const std::string& name : *names) {
    auto value = registry.QueryValue(root, path, name);
    if (!value) return false;
    key.values.emplace_back(name, *value);
  }
  out.push_back(std::move(key));
  for (const std::string& sub : *subkeys) {
    if (!ReadTree(registry, root, path + "\\" + sub, keyText + "\\" + sub, depth + 1, out))
      return false;
  }
  return true;
}

}  // namespace

std::string FormatRegExport(const std::vector<RegExportKey>& keys) {
  std::string out = std::string(kHeader) + "\r\n";
  for (const RegExportKey& key : keys) {
    out += "\r\n[" + key.key + "]\r\n";
    for (const auto& [name, value] : key.values) out += ValueLine(name, value);
  }
  const bool ascii = std::all_of(out.begin(), out.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 128; });
  if (ascii) return out;
  return "\xFF\xFE" + unicode::Utf16LeBytes(unicode::Utf8ToUtf16(out));
}

std::optional<std::vector<RegExportKey>> ParseRegExport(std::string_view bytes) {
  auto decoded = DecodeFile(bytes);
  if (!decoded) return std::nullopt;
  const std::vector<std::string> lines = LogicalLines(*decoded);
  if (lines.empty() || lines[0] != kHeader) return std::nullopt;
  std::vector<RegExportKey> keys;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (text::Trim(line).empty()) continue;
    if (line[0] == '[') {
      if (line.size() < 3 || line.back() != ']' || line[1] == '-') return std::nullopt;
      keys.push_back({line.substr(1, line.size() - 2), {}});
      continue;
    }
    if (keys.empty()) return std::nullopt;
    std::string name;
    size_t pos = 0;
    if (line[0] == '@') {
      pos = 1;
    } else if (line[0] == '"') {
      pos = 1;
      auto quoted = ReadQuoted(line, pos);
      if (!quoted) return std::nullopt;
      name = *quoted;
    } else {
      return std::nullopt;
    }
    if (pos >= line.size() || line[pos] != '=') return std::nullopt;
    auto value = ParseData(std::string_view(line).substr(pos + 1));
    if (!value) return std::nullopt;
    keys.back().values.emplace_back(name, std::move(*value));
  }
  return keys;
}

std::optional<std::pair<platform::RootKey, std::string>> SplitRootKeyText(std::string_view key) {
  using platform::RootKey;
  const size_t slash = key.find('\\');
  const std::string rootName(key.substr(0, slash));
  const std::string path =
      slash == std::string_view::npos ? "" : std::string(key.substr(slash + 1));
  for (RootKey root : {RootKey::ClassesRoot, RootKey::CurrentUser, RootKey::LocalMachine,
                       RootKey::Users, RootKey::CurrentConfig, RootKey::DynData}) {
    if (text::EqualsNoCase(platform::RootName(root), rootName)) return std::pair{root, path};
  }
  return std::nullopt;
}

std::optional<std::vector<RegExportKey>> ReadKeyTree(platform::Registry& registry,
                                                     platform::RootKey root,
                                                     const std::string& path) {
  std::vector<RegExportKey> keys;
  if (!ReadTree(registry, root, path, platform::RootName(root) + "\\" + path, 0, keys))
    return std::nullopt;
  return keys;
}

}  // namespace quill
