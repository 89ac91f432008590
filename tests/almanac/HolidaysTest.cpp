#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "TestData.h"
#include "almanac/vrelDate.h"

namespace {

std::string Md(int32_t day) { return IsoDate(day).substr(5); }

std::vector<std::string> HolidayList(Talmanac& almanac, int32_t year) {
  almanac.SetDate(EncodeDate(year, 1, 1));
  almanac.EnsureYear();
  std::vector<std::string> out;
  const TiStringList& h = almanac.Holidays();
  for (int32_t i = 0; i < h.Count(); ++i) out.push_back(ToUtf8(h.Strings(i)) + " " + Md(h.Tags(i)));
  return out;
}

}  // namespace

TEST(Holidays, ListOf2024InItsOrder) {
  Talmanac almanac;
  const std::vector<std::string> expected = {
      "元日 01-01",       "成人の日 01-08",   "建国記念の日 02-11", "振替休日 02-12", "春分の日 03-20",
      "みどりの日 04-29", "憲法記念日 05-03", "こどもの日 05-05",   "振替休日 05-06", "海の日 07-15",
      "敬老の日 09-16",   "秋分の日 09-22",   "振替休日 09-23",     "体育の日 10-14", "文化の日 11-03",
      "文化の日 11-03",   "振替休日 11-04",   "振替休日 11-04",     "勤労感謝の日 11-23", "天皇誕生日 12-23",
      "国民の休日 05-04"};
  EXPECT_EQ(HolidayList(almanac, 2024), expected);
  EXPECT_EQ(almanac.SpecialDays().Count(), 0);
}

TEST(Holidays, SubstituteAndNationalHolidaysByYear) {
  Talmanac almanac;
  auto has = [&](int32_t year, const std::string& entry) {
    const auto list = HolidayList(almanac, year);
    return std::find(list.begin(), list.end(), entry) != list.end();
  };
  EXPECT_TRUE(has(2009, "振替休日 05-04"));    // 憲法記念日 on a Sunday
  EXPECT_TRUE(has(2009, "国民の休日 09-22"));  // between 敬老の日 09-21 and 秋分の日 09-23
  EXPECT_TRUE(has(1990, "即位礼正殿の儀 11-12"));
  EXPECT_TRUE(has(1993, "即位礼正殿の儀 06-09"));
  EXPECT_TRUE(has(1989, "昭和天皇の大喪の礼 02-24"));
  EXPECT_TRUE(has(1959, "皇太子明仁親王の結婚の儀 04-10"));
  for (int32_t year : {1989, 1991, 1992, 1994, 2024}) {
    for (const std::string& e : HolidayList(almanac, year)) EXPECT_EQ(e.rfind("即位礼正殿の儀", 0), std::string::npos) << year;
  }
  // 1972: 文化の日 11-03 fell on a Friday; check the rule with a Sunday holiday of that year.
  for (const std::string& e : HolidayList(almanac, 1972)) EXPECT_EQ(e.rfind("振替休日", 0), std::string::npos) << e;
  for (const std::string& e : HolidayList(almanac, 1987)) EXPECT_EQ(e.rfind("国民の休日", 0), std::string::npos) << e;
  EXPECT_TRUE(has(1973, "振替休日 09-24"));  // 秋分の日 09-23 was a Sunday
}

TEST(Holidays, RulesFromTheirOwnTable) {
  Talmanac almanac;
  almanac.LoadRules(
      "<?xml version=\"1.0\" encoding=\"shift_jis\"?><specialday>"
      "<festival mean=\"m\">fifth<date month=\"3\" dayoftheweek=\"Sunday\" times=\"5\"/></festival>"
      "<festival>fourth<date month=\"3\" dayoftheweek=\"SUNDAY\" times=\"4\"/><other/></festival>"
      "<holiday>both<date month=\"2\" day=\"1\" dayoftheweek=\"monday\" times=\"1\" year=\"2024\"/></holiday>"
      "<holiday>nodate</holiday>"
      "<holiday>unknown weekday<date month=\"6\" dayoftheweek=\"funday\" times=\"1\"/></holiday>"
      "</specialday>");
  EXPECT_EQ(almanac.Rules().size(), 4u);
  almanac.SetDate(EncodeDate(2024, 1, 1));
  almanac.EnsureYear();
  // March 2024 has five Sundays (3, 10, 17, 24, 31).
  ASSERT_EQ(almanac.SpecialDays().Count(), 2);
  EXPECT_EQ(Md(almanac.SpecialDays().Tags(0)), "03-31");
  EXPECT_EQ(Md(almanac.SpecialDays().Tags(1)), "03-24");
  EXPECT_EQ(ToUtf8(almanac.Rules()[0].Mean), "m");
  ASSERT_EQ(almanac.Holidays().Count(), 2);  // a rule with both a day and a weekday adds both
  EXPECT_EQ(Md(almanac.Holidays().Tags(0)), "02-01");
  EXPECT_EQ(Md(almanac.Holidays().Tags(1)), "02-05");
  almanac.SetDate(EncodeDate(2023, 1, 1));
  almanac.EnsureYear();
  EXPECT_EQ(almanac.Holidays().Count(), 0);  // "year" limits the rule to 2024
  EXPECT_EQ(Md(almanac.SpecialDays().Tags(0)), "03-26");  // March 2023 has four Sundays
  EXPECT_EQ(almanac.SpecialDays().Count(), 1);

  almanac.LoadRules("<other><holiday>x<date month=\"1\" day=\"1\"/></holiday></other>");
  EXPECT_TRUE(almanac.Rules().empty());
  EXPECT_THROW(almanac.LoadRules("<specialday><holiday>x<date month=\"2\" day=\"30\"/></holiday></specialday>"), EConvertError);
  EXPECT_THROW(almanac.LoadRules("<specialday><holiday>x<date start=\"48\"/></holiday></specialday>"), EConvertError);
}

TEST(Holidays, AgreeWithTheCabinetOfficeWhileTheTableWasTheLaw) {
  // The table is older than the laws of 1996 (海の日 from 1996, not 1995) and 2007
  // (昭和の日, substitutes moving past holidays): compare 1989-1994 and 1996-2006.
  std::map<int, std::set<int32_t>> official;
  std::ifstream in(TestDataPath("holidays/syukujitsu.utf8.csv"));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    int y = 0, m = 0, d = 0;
    if (std::sscanf(line.c_str(), "%d/%d/%d", &y, &m, &d) == 3) official[y].insert(static_cast<int32_t>(EncodeDate(y, m, d)));
  }
  ASSERT_GT(official.size(), 60u);
  Talmanac almanac;
  for (int year = 1989; year <= 2006; ++year) {
    if (year == 1995) continue;
    almanac.SetDate(EncodeDate(year, 1, 1));
    almanac.EnsureYear();
    std::set<int32_t> ours;
    for (int32_t i = 0; i < almanac.Holidays().Count(); ++i) ours.insert(almanac.Holidays().Tags(i));
    EXPECT_EQ(ours, official[year]) << year;
  }
}
