#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quill {

/// SHA-256 (FIPS 180-4), fed in pieces of any size.
class Sha256 {
 public:
  Sha256();
  void Update(std::string_view bytes);
  /// The digest; the object must not be fed afterwards.
  std::array<uint8_t, 32> Finish();

  /// Lower-case hexadecimal digest of the bytes.
  static std::string Hex(std::string_view bytes);

 private:
  void Block(const uint8_t* block);
  std::array<uint32_t, 8> state_;
  std::array<uint8_t, 64> buffer_{};
  size_t buffered_ = 0;
  uint64_t length_ = 0;
};

}  // namespace quill
