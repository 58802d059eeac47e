#include "base/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Url.h"

namespace quill::text {
namespace {

using Parts = std::vector<std::string>;

TEST(Text, SearchesReplacesAndSplitsAsTheClassicFunctionsDo) {
  EXPECT_EQ(Trim(" \tA b  "), "\tA b");  // spaces only
  EXPECT_EQ(FindNoCase("xAbCabc", "ABC", 2), 4u);
  EXPECT_EQ(FindLastNoCase("a\\B\\b", "\\b"), 3u);
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");  // inserted text is not searched again
  EXPECT_EQ(ReplaceAllNoCase("X.EXE.exe", ".exe", ""), "X");
  EXPECT_EQ(Split("", "|"), Parts{});
  EXPECT_EQ(Split("|a||", "|"), (Parts{"", "a", "", ""}));
  EXPECT_EQ(SplitLines("a\r\nb\rc\n\nd\r\n"), (Parts{"a", "b", "c", "", "d"}));
  EXPECT_EQ(AfterLastBackslash("C:\\a\\b.exe"), "b.exe");
  EXPECT_EQ(UpToLastBackslash("b.exe"), "");
}

TEST(Text, ReadsNumbersAndTruthAsTheClassicFunctionsDo) {
  EXPECT_EQ(Val("  -42abc"), -42);
  EXPECT_EQ(Val("x1"), 0);
  EXPECT_TRUE(ToBool("tRUE"));
  EXPECT_TRUE(ToBool("-1"));
  EXPECT_FALSE(ToBool("yes"));
  EXPECT_EQ(WithThousands(-1234567), "-1,234,567");
  EXPECT_EQ(WithThousands(999), "999");
}

TEST(Text, ConvertsTheWesternCodePageAndPercentEncoding) {
  EXPECT_EQ(FromWindows1252("\x80 \xE9\x81"), "\u20AC \u00E9\xC2\x81");
  EXPECT_EQ(FromWindows1252("plain"), "plain");
  std::string everyByte;
  for (int b = 0; b < 256; ++b) everyByte.push_back(static_cast<char>(b));
  const std::string encoded = PercentEncode(everyByte);
  EXPECT_EQ(encoded.find_first_not_of(
                "%0123456789ABCDEFabcdefghijklmnopqrstuvwxyzGHIJKLMNOPQRSTUVWXYZ-._~"),
            std::string::npos);
  EXPECT_EQ(PercentDecode(encoded), everyByte);
  EXPECT_EQ(PercentEncode("a b&c"), "a%20b%26c");
  EXPECT_EQ(PercentDecode("a+b%41"), "a+bA");
  for (const char* damaged : {"%", "%4", "%G1", "a%2"})
    EXPECT_FALSE(PercentDecode(damaged)) << damaged;
}

}  // namespace
}  // namespace quill::text
