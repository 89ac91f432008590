#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

#include "TestData.h"
#include "almanac/vrelDate.h"

namespace {

int32_t ParseDay(const std::string& ymd) {
  int y = 0, m = 0, d = 0;
  std::sscanf(ymd.c_str(), "%d-%d-%d", &y, &m, &d);
  return static_cast<int32_t>(EncodeDate(y, m, d));
}

std::vector<std::vector<std::string>> ReadCsv(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::vector<std::vector<std::string>> rows;
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::stringstream s(line);
    std::string f;
    while (std::getline(s, f, ',')) fields.push_back(f);
    rows.push_back(fields);
  }
  return rows;
}

}  // namespace

TEST(Ephemeris, TimeArgumentCountsGregorianDays) {
  // 1975-01-01 09:00 JST is 00:00 universal time, day 1.
  EXPECT_DOUBLE_EQ(Talmanac::TimeArgument(EncodeDate(1975, 1, 1) + 0.375), 1 / 365.25);
  // At 09:00 JST (midnight universal time) T × 365.25 is the exact day count
  // from 1974-12-31 over the whole range the formula is meant for.
  const TDateTime origin = EncodeDate(1974, 12, 31);
  for (TDateTime d = EncodeDate(1900, 1, 1); d <= EncodeDate(2200, 2, 28); d += 1) {
    ASSERT_EQ(std::lround(Talmanac::TimeArgument(d + 0.375) * 365.25), d - origin) << d;
  }
  // Midnight JST is 15:00 of the day before in universal time.
  EXPECT_DOUBLE_EQ(Talmanac::TimeArgument(EncodeDate(1975, 1, 2)), (1 + 15.0 / 24) / 365.25);
}

TEST(Ephemeris, LongitudesAndPhaseStayInRange) {
  for (TDateTime d = EncodeDate(1900, 1, 1); d < EncodeDate(2100, 1, 1); d += 37.3) {
    const double sun = Talmanac::SolarLongitude(d), moon = Talmanac::LunarLongitude(d), phase = Talmanac::MoonPhase(d);
    ASSERT_GE(sun, 0);
    ASSERT_LT(sun, 360);
    ASSERT_GE(moon, 0);
    ASSERT_LT(moon, 360);
    ASSERT_GE(phase, 0);
    ASSERT_LT(phase, 30);
  }
  // The Sun stands at 359.5 degrees on 2024-03-20 and 0.5 on 03-21 (both at 00:00 JST).
  EXPECT_NEAR(Talmanac::SolarLongitude(EncodeDate(2024, 3, 20)), 359.5, 0.1);
  EXPECT_NEAR(Talmanac::SolarLongitude(EncodeDate(2024, 3, 21)), 0.5, 0.1);
  EXPECT_EQ(Talmanac::NormalizeDegrees(-30), 330);
  EXPECT_EQ(Talmanac::NormalizeDegrees(725), 5);
  EXPECT_EQ(Talmanac::NormalizeDegrees(-360), 0);
}

TEST(Ephemeris, DayOfLongitudeTakesTheShortWayRound) {
  // From 2023-03-20 (358.7 degrees) the step to 0 degrees is +1.3, landing on 03-21.
  const TDateTime start = EncodeDate(2023, 3, 20);
  const TDateTime t = Talmanac::DayOfLongitude(0, start);
  EXPECT_GT(t, start + 1);
  EXPECT_LT(t, start + 2);
}

TEST(Ephemeris, SolarTermsAgreeWithTheAlmanacOffice) {
  // The series are approximations: a term within minutes of midnight may land on
  // the neighbouring day. Agreement is measured; the bound is 1 day off at most.
  Talmanac almanac;
  int agree = 0, total = 0;
  for (const auto& row : ReadCsv(TestDataPath("almanac/naoj_rekiyou_2025_2027/solar_terms_2025_2027_jst.csv"))) {
    const int32_t expected = ParseDay(row[2].substr(0, 10));
    almanac.SetDate(expected);
    almanac.EnsureYear();
    const int32_t ours = almanac.Terms().TagOf(Ansi(std::u8string(reinterpret_cast<const char8_t*>(row[0].c_str()))));
    ASSERT_NE(ours, -1) << row[0];
    EXPECT_LE(std::abs(ours - expected), 1) << row[0] << " " << row[2];
    agree += ours == expected;
    ++total;
  }
  EXPECT_EQ(total, 72);
  EXPECT_GE(agree, 70) << agree << " of " << total;
}

TEST(Ephemeris, NewMoonsAgreeWithTheAlmanacOffice) {
  std::set<int32_t> official;
  for (const auto& row : ReadCsv(TestDataPath("almanac/naoj_saku_2004_2027/saku_2004_2027_jst.csv"))) {
    official.insert(ParseDay(row[0]));
  }
  ASSERT_EQ(official.size(), 297u);
  Talmanac almanac;
  int agree = 0, total = 0;
  for (int32_t year = 2004; year <= 2027; ++year) {
    almanac.SetDate(EncodeDate(year, 6, 1));
    almanac.EnsureYear();
    const TiStringList& months = almanac.Months();
    for (int32_t i = 0; i < months.Count(); ++i) {
      if (YearOf(months.Tags(i)) != year) continue;
      ++total;
      agree += official.count(months.Tags(i));
      EXPECT_TRUE(official.count(months.Tags(i)) || official.count(months.Tags(i) - 1) || official.count(months.Tags(i) + 1))
          << year << ": " << months.Tags(i);
    }
  }
  EXPECT_GE(total, 290);
  EXPECT_GE(agree, total - 3) << agree << " of " << total;
}
