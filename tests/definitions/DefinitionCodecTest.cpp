#include "definitions/DefinitionCodec.h"

#include <gtest/gtest.h>

#include <string>

namespace quill {
namespace {

std::string AllBytes() {
  std::string s;
  for (int c = 0; c < 256; ++c) s.push_back(static_cast<char>(c));
  return s;
}

int Code(char c) {
  return static_cast<unsigned char>(c);
}

TEST(DefinitionCodecTest, KnownEncodings) {
  const std::string abc = EncodeLine("abc");
  ASSERT_EQ(abc.size(), 3u);
  EXPECT_EQ(Code(abc[0]), 161);
  EXPECT_EQ(Code(abc[1]), 162);
  EXPECT_EQ(Code(abc[2]), 163);

  const std::string separators = EncodeLine("|=^");
  EXPECT_EQ(Code(separators[0]), 188);
  EXPECT_EQ(Code(separators[1]), 125);
  EXPECT_EQ(Code(separators[2]), 158);

  EXPECT_EQ(DecodeLine(abc), "abc");
  EXPECT_EQ(EncodeLine(""), "");
  EXPECT_EQ(DecodeLine(""), "");
}

TEST(DefinitionCodecTest, WrapsAtTwoHundredFiftyFive) {
  // Shift 64 with modulus 255: 191 is the last code that does not wrap.
  EXPECT_EQ(Code(EncodeLine(std::string(1, static_cast<char>(191)))[0]), 255);
  EXPECT_EQ(Code(EncodeLine(std::string(1, static_cast<char>(192)))[0]), 1);
  EXPECT_EQ(Code(EncodeLine(std::string(1, static_cast<char>(255)))[0]), 64);
  EXPECT_EQ(Code(DecodeLine(std::string(1, static_cast<char>(64)))[0]), 0);
  EXPECT_EQ(Code(DecodeLine(std::string(1, static_cast<char>(63)))[0]), 254);
  EXPECT_EQ(Code(DecodeLine(std::string(1, static_cast<char>(0)))[0]), 191);
}

TEST(DefinitionCodecTest, RoundTripsAllButTheCornerCodes) {
  const std::string all = AllBytes();
  const std::string encodedBack = DecodeLine(EncodeLine(all));
  const std::string decodedBack = EncodeLine(DecodeLine(all));
  ASSERT_EQ(encodedBack.size(), 256u);
  ASSERT_EQ(decodedBack.size(), 256u);
  for (int c = 0; c < 256; ++c) {
    // Encode then decode loses only 255 (it comes back as 0).
    EXPECT_EQ(Code(encodedBack[c]), c == 255 ? 0 : c) << c;
    // Decode then encode loses only 0 (it comes back as 255).
    EXPECT_EQ(Code(decodedBack[c]), c == 0 ? 255 : c) << c;
  }

  std::string inPlace = EncodeLine("Some.exe=Threat|[progfil]Foo|Adware");
  DecodeLineInPlace(inPlace);
  EXPECT_EQ(inPlace, "Some.exe=Threat|[progfil]Foo|Adware");
}

}  // namespace
}  // namespace quill
