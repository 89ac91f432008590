#pragma once
// The almanac: for the year of a date, the days of the solar terms and seasonal
// days, the months of the lunisolar calendar and the public holidays; and the
// note of a day. Every date-time is Japan Standard Time.
#include <cstdint>
#include <vector>

#include "platform/text/AnsiString.h"
#include "platform/system/DateTime.h"
#include "xml/TiStringList.h"

// One rule of the holiday table. Day numbers are whole days of the date type.
struct THolidayRule {
  AnsiString DayName;
  AnsiString Mean;
  AnsiString Kind;
  int32_t Start = 0;
  int32_t End = 0;
  int32_t Ecliptic = -1;
  int32_t DayOfWeek = -1;  // 1 Monday to 7 Sunday
  int32_t Times = -1;
  int32_t Month = -1;
  int32_t Day = -1;
};

class Talmanac {
 public:
  // Reads the holiday table from the program's resource "holidays" and builds
  // the tables of the year of date-time 0; throws what reading the table throws.
  Talmanac();

  void SetDate(TDateTime date) { FDate = date; }
  TDateTime DateSet() const { return FDate; }
  // Rebuilds the tables when the year of the set date is not the built one.
  void EnsureYear();
  // The solar term or seasonal day of the set date, or empty.
  AnsiString DayNote();
  // Replaces the holiday rules with those of an XML table, then rebuilds.
  void LoadRules(const AnsiString& text);

  int32_t Year() const { return FYear; }
  const TiStringList& Terms() const { return FTerms; }
  const TiStringList& Months() const { return FMonths; }
  const TiStringList& Holidays() const { return FHolidays; }
  const TiStringList& SpecialDays() const { return FSpecialDays; }
  const std::vector<THolidayRule>& Rules() const { return FRules; }

  // Julian years of 365.25 days since 1974-12-31 00:00 universal time.
  static double TimeArgument(TDateTime x);
  // Apparent ecliptic longitudes in degrees, 0 to under 360.
  static double SolarLongitude(TDateTime x);
  static double LunarLongitude(TDateTime x);
  // 0 at new moon, rising to just under 30 before the next.
  static double MoonPhase(TDateTime x);
  // The moment the Sun reaches longitude, by one linear step from start.
  static TDateTime DayOfLongitude(double longitude, TDateTime start);
  // Subtracts 360 while at least 360, then adds 360 while below 0.
  static double NormalizeDegrees(double degrees);

 private:
  void BuildSolarYear();
  void BuildHolidays();

  TDateTime FDate = 0;
  int32_t FYear = 0;
  TiStringList FTerms;
  TiStringList FMonths;
  std::vector<THolidayRule> FRules;
  TiStringList FHolidays;
  TiStringList FSpecialDays;
};
