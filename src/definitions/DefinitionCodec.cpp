#include "definitions/DefinitionCodec.h"

#include <algorithm>

#include "base/Text.h"

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

std::string DecodeDefinitionLine(std::string_view stored) {
  return text::FromWindows1252(DecodeLine(stored));
}

void DecodeDefinitionLineInPlace(std::string& line) {
  DecodeLineInPlace(line);
  // Plain ASCII (nearly every line) needs no conversion.
  for (char c : line) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      line = text::FromWindows1252(line);
      return;
    }
  }
}

DefinitionLineReader::DefinitionLineReader(std::string_view bytes)
    : bytes_(bytes), crLf_(bytes.find("\r\n") != std::string_view::npos) {}

bool DefinitionLineReader::Next(std::string_view& line) {
  if (pos_ >= bytes_.size()) return false;
  const std::string_view end = crLf_ ? std::string_view("\r\n") : std::string_view("\n");
  size_t stop = bytes_.find(end, pos_);
  if (stop == std::string_view::npos) stop = bytes_.size();
  line = bytes_.substr(pos_, stop - pos_);
  pos_ = std::min(bytes_.size(), stop + end.size());
  return true;
}

std::vector<std::string> DefinitionFileLines(std::string_view bytes) {
  std::vector<std::string> lines;
  DefinitionLineReader reader(bytes);
  std::string_view line;
  while (reader.Next(line)) lines.emplace_back(line);
  return lines;
}

}  // namespace quill
