#include "platform/Registry.h"

#include <cstdint>
#include <cstdio>

#include "base/Text.h"

namespace quill::platform {

std::string RootName(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case RootKey::CurrentUser:
      return "HKEY_CURRENT_USER";
    case RootKey::LocalMachine:
      return "HKEY_LOCAL_MACHINE";
    case RootKey::Users:
      return "HKEY_USERS";
    case RootKey::PerformanceData:
      return "HKEY_PERFORMANCE_DATA";
    case RootKey::CurrentConfig:
      return "HKEY_CURRENT_CONFIG";
    case RootKey::DynData:
      return "HKEY_DYN_DATA";
  }
  return "";
}

std::string RootHandleText(RootKey root) {
  return std::to_string(static_cast<int32_t>(static_cast<uint32_t>(root)));
}

std::optional<RootKey> RootFromHandleText(const std::string& text) {
  std::string t = text::Trim(text);
  if (t.empty()) return std::nullopt;
  long long v = text::Val(t);
  if (v < 0) v += 0x100000000LL;
  if (v < 0x80000000LL || v > 0x80000006LL) return std::nullopt;
  return static_cast<RootKey>(static_cast<uint32_t>(v));
}

void AppendRegHexData(std::string& out, uint32_t type, std::string_view bytes,
                      std::string_view lineEnd) {
  constexpr size_t kWrapColumn = 76;
  char buffer[24];
  if (type == static_cast<uint32_t>(RegType::Binary)) {
    out += "hex:";
  } else {
    std::snprintf(buffer, sizeof buffer, "hex(%x):", type);
    out += buffer;
  }
  const size_t lineStart = out.rfind('\n');
  size_t column = lineStart == std::string::npos ? out.size() : out.size() - lineStart - 1;
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned char>(bytes[i]));
    out += buffer;
    column += 2;
    if (i + 1 == bytes.size()) break;
    out += ',';
    if (++column > kWrapColumn) {
      out += '\\';
      out += lineEnd;
      out += "  ";
      column = 2;
    }
  }
}

RegValue MakeSz(const std::string& text) {
  return {static_cast<uint32_t>(RegType::Sz), text};
}

RegValue MakeDword(uint32_t value) {
  std::string d(4, '\0');
  for (int i = 0; i < 4; ++i)
    d[static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return {static_cast<uint32_t>(RegType::Dword), d};
}

}  // namespace quill::platform
