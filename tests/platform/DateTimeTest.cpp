#include <gtest/gtest.h>

#include <cmath>

#include "platform/system/DateTime.h"
#include "platform/text/SysUtils.h"

TEST(DateTime, EncodeAndDecodeRoundTrip) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_EQ(EncodeDate(2024, 2, 29), 45351);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
  for (TDateTime d = -693593; d <= 2958465; d += 97) {
    int32_t y, m, day;
    DecodeDate(d, y, m, day);
    ASSERT_EQ(EncodeDate(y, m, day), d);
  }
  int32_t y, m, d;
  DecodeDate(-0.75, y, m, d);  // the whole part is truncated toward zero: day 0
  EXPECT_EQ(d, 30);
}

TEST(DateTime, InvalidDatesThrow) {
  const int32_t bad[][3] = {{2023, 2, 29}, {2024, 13, 1}, {2024, 0, 1}, {0, 1, 1}, {10000, 1, 1}, {2024, 4, 31}, {2024, 1, 0}};
  for (const auto& b : bad) EXPECT_THROW(EncodeDate(b[0], b[1], b[2]), EConvertError) << b[0] << "-" << b[1] << "-" << b[2];
  int32_t y, m, d;
  EXPECT_THROW(DecodeDate(1e12, y, m, d), EConvertError);
  EXPECT_THROW(DecodeDate(std::nan(""), y, m, d), EConvertError);
}

TEST(DateTime, TimeWeekdayAndToday) {
  int32_t h, n, s, ms;
  DecodeTime(EncodeDate(2024, 1, 1) + 0.625, h, n, s, ms);
  EXPECT_EQ(h, 15);
  EXPECT_EQ(n, 0);
  DecodeTime(-0.375, h, n, s, ms);  // the fraction's magnitude
  EXPECT_EQ(h, 9);
  EXPECT_EQ(DayOfTheWeek(EncodeDate(2024, 1, 1)), 1);  // a Monday
  EXPECT_EQ(DayOfTheWeek(EncodeDate(2024, 1, 7)), 7);
  EXPECT_EQ(DayOfTheWeek(0), 6);  // 1899-12-30, a Saturday
  EXPECT_EQ(DayOfTheWeek(-1), 5);
  {
    ScopedNow fixed([] { return EncodeDate(2024, 2, 3) + 0.9; });
    EXPECT_EQ(Date(), EncodeDate(2024, 2, 3));
  }
  EXPECT_GT(Date(), EncodeDate(2020, 1, 1));
}

TEST(SysUtils, StrToIntDef) {
  struct Case {
    const char* text;
    int32_t value;
  } cases[] = {{"12", 12}, {"  -7", -7}, {"+3", 3}, {"$1F", 31}, {"0x1f", 99}, {" $10", 16}, {"$FFFFFFFF", -1}, {"2147483647", 2147483647},
               {"2147483648", 99}, {"-2147483648", INT32_MIN}, {"", 99}, {"12 ", 99}, {"x", 99}, {"1.5", 99}, {"-", 99}};
  for (const Case& c : cases) EXPECT_EQ(StrToIntDef(c.text, 99), c.value) << c.text;
}
