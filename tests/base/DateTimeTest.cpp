#include "base/DateTime.h"

#include <gtest/gtest.h>

#include <string>

namespace quill::datetime {
namespace {

TEST(ParseGeneralDate, ReadsTheGeneralFormAndItsRoundTrip) {
  auto dt = ParseGeneralDate("3/16/2006 12:00:00 AM");
  ASSERT_TRUE(dt.has_value());
  EXPECT_EQ(dt->year, 2006);
  EXPECT_EQ(dt->month, 3);
  EXPECT_EQ(dt->day, 16);
  EXPECT_EQ(dt->hour, 0);
  EXPECT_EQ(GeneralDate(*dt), "3/16/2006");
  auto pm = ParseGeneralDate(" 12/31/1999 11:05:09 PM ");
  ASSERT_TRUE(pm.has_value());
  EXPECT_EQ(GeneralDate(*pm), "12/31/1999 11:05:09 PM");
}

TEST(ParseGeneralDate, DamagedRepliesGiveNothingAndNeverThrow) {
  for (const std::string text :
       {"1/1/99999999999", "99999999999/1/2020", "1/99999999999999999999/2020", "12:99999999999:00",
        "2020-01-999999999999", "00000001/1/2020", "", "  ", "2/30/2020", "1/1/2020 13:00:00 PM",
        "yesterday", "1/1", "1/1/2020 1/2/2020", "10:00 10:00"}) {
    EXPECT_NO_THROW({ EXPECT_FALSE(ParseGeneralDate(text).has_value()) << text; });
  }
}

}  // namespace
}  // namespace quill::datetime
