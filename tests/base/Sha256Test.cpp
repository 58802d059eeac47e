#include "base/Sha256.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace quill {
namespace {

TEST(Sha256, MatchesTheStandardVectorsFedInAnyPieces) {
  EXPECT_EQ(Sha256::Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256::Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  EXPECT_EQ(Sha256::Hex(twoBlocks),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  // Pieces that straddle the 64-byte blocks give the digest of the whole.
  const std::string million(1000000, 'a');
  Sha256 pieces;
  for (size_t at = 0, step = 1; at < million.size(); at += step, step = step % 97 + 1)
    pieces.Update(std::string_view(million).substr(at, step));
  std::string hex;
  for (uint8_t b : pieces.Finish()) {
    hex += "0123456789abcdef"[b >> 4];
    hex += "0123456789abcdef"[b & 15];
  }
  EXPECT_EQ(hex, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  EXPECT_EQ(Sha256::Hex(million), hex);
}

}  // namespace
}  // namespace quill
