#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "almanac/vrelDate.h"

namespace {

std::string Md(int32_t day) { return IsoDate(day).substr(5); }

std::string Ymd(int32_t day) { return IsoDate(day); }

Talmanac& AlmanacOf(int32_t year) {
  static Talmanac almanac;
  almanac.SetDate(EncodeDate(year, 6, 1));
  almanac.EnsureYear();
  return almanac;
}

}  // namespace

TEST(Almanac, TermsOf2024) {
  const char* expected[][2] = {
      {"立春", "02-04"}, {"雨水", "02-19"}, {"啓蟄", "03-05"}, {"春分", "03-20"}, {"清明", "04-04"}, {"穀雨", "04-19"},
      {"立夏", "05-05"}, {"小満", "05-20"}, {"芒種", "06-05"}, {"夏至", "06-21"}, {"小暑", "07-06"}, {"大暑", "07-22"},
      {"立秋", "08-07"}, {"処暑", "08-22"}, {"白露", "09-07"}, {"秋分", "09-22"}, {"寒露", "10-08"}, {"霜降", "10-23"},
      {"立冬", "11-07"}, {"小雪", "11-22"}, {"大雪", "12-07"}, {"冬至", "12-21"}, {"小寒", "01-06"}, {"大寒", "01-20"},
      {"土用入", "01-18"}, {"土用入", "04-16"}, {"土用入", "07-19"}, {"土用入", "10-20"}, {"入梅", "06-10"},
      {"半夏生", "07-01"}, {"節分", "02-03"}, {"八十八夜", "05-01"}, {"二百十日", "08-31"}, {"彼岸入", "03-17"},
      {"彼岸明", "03-23"}, {"秋彼岸入", "09-19"}, {"秋彼岸明", "09-25"}};
  const TiStringList& terms = AlmanacOf(2024).Terms();
  ASSERT_EQ(terms.Count(), 37);
  for (int i = 0; i < 37; ++i) {
    EXPECT_EQ(ToUtf8(terms.Strings(i)), expected[i][0]) << i;
    EXPECT_EQ(Md(terms.Tags(i)), expected[i][1]) << expected[i][0];
  }
}

TEST(Almanac, VernalEquinoxOf2023CrossesZero) {
  EXPECT_EQ(Md(AlmanacOf(2023).Terms().TagOf(Ansi(u8"春分"))), "03-21");
  EXPECT_EQ(Md(AlmanacOf(2024).Terms().TagOf(Ansi(u8"春分"))), "03-20");
}

TEST(Almanac, MonthsOf2024And2023) {
  const char* months2024[][2] = {{"2023-12-13", "11"},       {"2024-01-11", "十二月"}, {"2024-02-10", "正月"},
                                 {"2024-03-10", "二月"},     {"2024-04-09", "三月"},   {"2024-05-08", "四月"},
                                 {"2024-06-06", "五月"},     {"2024-07-06", "六月"},   {"2024-08-04", "七月"},
                                 {"2024-09-03", "八月"},     {"2024-10-03", "九月"},   {"2024-11-01", "十月"},
                                 {"2024-12-01", "十一月"},   {"2024-12-31", "十二月"}};
  const TiStringList& months = AlmanacOf(2024).Months();
  ASSERT_GE(months.Count(), 14);
  for (int i = 0; i < 14; ++i) {
    EXPECT_EQ(Ymd(months.Tags(i)), months2024[i][0]) << i;
    EXPECT_EQ(ToUtf8(months.Strings(i)), months2024[i][1]) << i;
  }
  const TiStringList& months2023 = AlmanacOf(2023).Months();
  const int leap = months2023.IndexOfTag(static_cast<int32_t>(EncodeDate(2023, 3, 22)));
  ASSERT_GE(leap, 0);
  EXPECT_EQ(ToUtf8(months2023.Strings(leap)), "閏二月");
  EXPECT_EQ(ToUtf8(months2023.Strings(leap - 1)), "二月");
  EXPECT_EQ(ToUtf8(months2023.Strings(leap + 1)), "三月");
}

TEST(Almanac, DayNotesOf2024) {
  const struct {
    int m, d;
    const char* note;
  } notes[] = {{2, 3, "節分"},   {2, 4, "立春"},     {3, 17, "彼岸入"}, {3, 20, "春分"},   {3, 23, "彼岸明"},
               {5, 1, "八十八夜"}, {8, 31, "二百十日"}, {1, 18, "土用入"}, {6, 10, "入梅"},   {7, 1, "半夏生"},
               {1, 1, ""},       {2, 10, ""},         {5, 3, ""},        {12, 21, "冬至"}};
  Talmanac almanac;
  for (const auto& n : notes) {
    almanac.SetDate(EncodeDate(2024, n.m, n.d));
    EXPECT_EQ(ToUtf8(almanac.DayNote()), n.note) << n.m << "-" << n.d;
  }
}

TEST(Almanac, ANewYearRebuildsOnTheNextNote) {
  Talmanac almanac;
  almanac.SetDate(EncodeDate(2024, 12, 31));
  almanac.DayNote();
  EXPECT_EQ(almanac.Year(), 2024);
  almanac.SetDate(EncodeDate(2025, 1, 1));
  EXPECT_EQ(almanac.Year(), 2024);  // setting builds nothing
  almanac.DayNote();
  EXPECT_EQ(almanac.Year(), 2025);
  EXPECT_EQ(YearOf(almanac.Terms().Tags(0)), 2025);
}

TEST(Almanac, StartsWithTheTablesOf1899) {
  Talmanac almanac;
  EXPECT_EQ(almanac.Year(), 1899);
  EXPECT_EQ(almanac.Rules().size(), 24u);
}
