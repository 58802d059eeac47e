#include <gtest/gtest.h>

#include "scan/FileScan.h"
#include "scan/StatusFilter.h"

namespace quill {
namespace {

TEST(StatusFilterTest, DeletesListedWordsInsideLongerWordsWithoutRegardToCase) {
  EXPECT_EQ(FilterStatusText("Scanning: C:\\users\\me\\Documents\\a.txt"),
            "Scanning: C:\\users\\me\\Doents\\a.txt");
  EXPECT_EQ(FilterStatusText("DOCUMENTS"), "DOENTS");
  EXPECT_EQ(FilterStatusText("a SHIT b shit c"), "a  b  c");
  // A compound word goes as a whole, not only its shorter part.
  EXPECT_EQ(FilterStatusText("xMotherFuckerx"), "xx");
}

TEST(StatusFilterTest, LeavesOrdinaryTextAlone) {
  const std::string plain = "Scanning: C:\\Program Files\\Common Files\\setup.exe\r\nfile";
  EXPECT_EQ(FilterStatusText(plain), plain);
  EXPECT_EQ(FilterStatusText(""), "");
}

TEST(PathRulesTest, PathDepthCountsBackslashes) {
  EXPECT_EQ(PathDepth(""), 0);
  EXPECT_EQ(PathDepth("c:\\"), 1);
  EXPECT_EQ(PathDepth("c:\\a\\b\\"), 3);
  EXPECT_EQ(PathDepth("[drive]\\a"), 1);
}

TEST(PathRulesTest, MatchingTailCountComparesFromTheEndIgnoringTheDrive) {
  // The two trailing folder names agree; drive and leading folders do not matter.
  EXPECT_EQ(MatchingTailCount("d:\\backup\\program files\\foo\\", "c:\\program files\\foo\\"), 2);
  // Positions need not be consecutive.
  EXPECT_EQ(MatchingTailCount("c:\\a\\x\\c\\", "c:\\a\\y\\c\\"), 2);
  // Parts are compared at the same distance from the end only.
  EXPECT_EQ(MatchingTailCount("c:\\foo\\bar\\", "c:\\bar\\foo\\"), 0);
  // One level deep never reaches two.
  EXPECT_EQ(MatchingTailCount("c:\\windows\\foo\\", "c:\\foo\\"), 1);
  // An empty stored folder has no parts.
  EXPECT_EQ(MatchingTailCount("c:\\a\\b\\", ""), 0);
  // "[drive]" has no colon: it stays a part of its own.
  EXPECT_EQ(MatchingTailCount("c:\\windows\\system32\\", "[drive]\\windows\\system32\\"), 2);
  // Without trailing backslashes the last parts count too.
  EXPECT_EQ(MatchingTailCount("c:\\a\\b", "c:\\a\\b"), 2);
  // Texts without a drive are compared whole.
  EXPECT_EQ(MatchingTailCount("a\\b", "a\\b"), 2);
  EXPECT_EQ(MatchingTailCount("c:", "c:"), 0);
}

}  // namespace
}  // namespace quill
