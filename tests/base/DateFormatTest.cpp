#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "base/DateTime.h"

namespace quill::datetime {
namespace {

TEST(DateFormat, PicturesWeekdaysAndTheClockAgree) {
  const LocalDateTime leap{2024, 2, 29, 7, 5, 9};
  EXPECT_EQ(Format(leap, "dddd dd.MM.yyyy hh:mm:ss"), "Thursday 29.02.2024 07:05:09");
  EXPECT_EQ(WeekdayName({1899, 12, 30}), "Saturday");
  EXPECT_EQ(GeneralDate({2000, 1, 1, 12, 0, 0}), "1/1/2000 12:00:00 PM");
  EXPECT_EQ(GeneralDate({2000, 1, 1, 0, 0, 1}), "1/1/2000 12:00:01 AM");
  EXPECT_EQ(FromTimePoint(ToTimePoint(leap)), leap);
  EXPECT_EQ(ParseGeneralDate("2:30:00 PM"), (LocalDateTime{1899, 12, 30, 14, 30, 0}));
  EXPECT_EQ(ParseGeneralDate("2/29/2023"), std::nullopt);  // no leap day that year
}

}  // namespace
}  // namespace quill::datetime
