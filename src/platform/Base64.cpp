#include "platform/Base64.h"

namespace quill::platform::detail {
namespace {

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::optional<std::string> DecodeBase64(std::string_view text) {
  while (!text.empty() && (text.back() == '=')) text.remove_suffix(1);
  if (text.size() % 4 == 1) return std::nullopt;
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    const int v = Base64Value(c);
    if (v < 0) return std::nullopt;
    bits = (bits << 6) | static_cast<unsigned>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<char>((bits >> count) & 0xFF));
    }
  }
  return out;
}

std::optional<std::string> SignatureBytes(std::string_view publicKeyPem,
                                          std::string_view signatureBase64) {
  if (publicKeyPem.empty() || publicKeyPem.size() > 64 * 1024 || signatureBase64.empty() ||
      signatureBase64.size() > 1024)
    return std::nullopt;
  auto bytes = DecodeBase64(signatureBase64);
  if (!bytes || bytes->empty()) return std::nullopt;
  return bytes;
}

}  // namespace quill::platform::detail
