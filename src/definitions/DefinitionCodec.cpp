#include "definitions/DefinitionCodec.h"

#include <array>
#include <cstdint>

namespace quill {
namespace {

constexpr int kShift = 64;
constexpr int kModulus = 255;

constexpr std::array<char, 256> MakeTable(bool decode) {
  std::array<char, 256> table{};
  for (int c = 0; c < 256; ++c) {
    int d = 0;
    if (decode) {
      d = c - kShift;
      if (d < 0) d += kModulus;
    } else {
      d = c + kShift;
      if (d > 255) d -= kModulus;
    }
    table[static_cast<size_t>(c)] = static_cast<char>(static_cast<uint8_t>(d));
  }
  return table;
}

constexpr std::array<char, 256> kDecode = MakeTable(true);
constexpr std::array<char, 256> kEncode = MakeTable(false);

std::string Map(std::string_view text, const std::array<char, 256>& table) {
  std::string out(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) out[i] = table[static_cast<uint8_t>(text[i])];
  return out;
}

}  // namespace

std::string DecodeLine(std::string_view text) {
  return Map(text, kDecode);
}

std::string EncodeLine(std::string_view text) {
  return Map(text, kEncode);
}

void DecodeLineInPlace(std::string& text) {
  for (char& c : text) c = kDecode[static_cast<uint8_t>(c)];
}

}  // namespace quill
