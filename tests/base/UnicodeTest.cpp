#include "base/Unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace quill {
namespace {

TEST(Unicode, ConvertsBothWaysAndReplacesWhatIsBroken) {
  const std::string text = "a\u00E9\u20AC\U0001F600";
  const std::u16string wide = unicode::Utf8ToUtf16(text);
  EXPECT_EQ(wide, u"a\u00E9\u20AC\U0001F600");
  EXPECT_EQ(unicode::Utf16ToUtf8(wide), text);
  EXPECT_EQ(unicode::FromUtf16LeBytes(unicode::Utf16LeBytes(wide) + "x"), wide);  // odd byte
  EXPECT_EQ(unicode::Utf8ToUtf16("\xC3"), u"\uFFFD");                             // cut short
  EXPECT_EQ(unicode::Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");                   // overlong
  EXPECT_EQ(unicode::Utf16ToUtf8(u"\xD800x"), "\uFFFDx");                         // lone surrogate
  // A prefix never ends inside a character.
  EXPECT_EQ(unicode::Utf8Prefix(text, 5), "a\u00E9");
  EXPECT_EQ(unicode::Utf8Prefix(text, 6), "a\u00E9\u20AC");
  EXPECT_EQ(unicode::Utf8Prefix(text, 100), text);
}

}  // namespace
}  // namespace quill
