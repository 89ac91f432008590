// The holiday table's rules and the year's holidays and special days.
#include <cmath>

#include "almanac/vrelDate.h"
#include "platform/text/SysUtils.h"
#include "xml/TxmlList.h"

namespace {

constexpr const char* kWeekdays[7] = {"monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday"};

int32_t WeekdayNumber(const AnsiString& name) {
  const AnsiString lower = AnsiLowerCase(name);
  for (int32_t i = 0; i < 7; ++i) {
    if (lower == kWeekdays[i]) return i + 1;
  }
  return -1;
}

// An eight-character text read by position: year, month, day (0 where not a number).
int32_t DayOfText(const AnsiString& text) {
  auto field = [&](size_t at, size_t length) {
    return at < text.size() ? StrToIntDef(text.substr(at, length), 0) : 0;
  };
  return Trunc(EncodeDate(field(0, 4), field(4, 2), field(6, 2)));
}

// The times-th day of the month whose weekday is dayOfWeek; 0 when there is none.
int32_t NthWeekday(int32_t year, int32_t month, int32_t dayOfWeek, int32_t times) {
  int32_t seen = 0;
  for (int32_t day = 1; day <= DaysInMonth(year, month); ++day) {
    const TDateTime date = EncodeDate(year, month, day);
    if (DayOfTheWeek(date) == dayOfWeek && ++seen == times) return Trunc(date);
  }
  return 0;
}

}  // namespace

void Talmanac::LoadRules(const AnsiString& text) {
  FRules.clear();
  TxmlList root;
  root.LoadFromText(text);
  if (root.Name() == "specialday") {
    for (int32_t i = 0; i < root.Count(); ++i) {
      const TxmlList& named = root.Items(i);
      if (named.Name().empty()) continue;
      for (int32_t j = 0; j < named.Count(); ++j) {
        const TxmlList& date = named.Items(j);
        if (date.Name() != "date") continue;
        THolidayRule rule;
        rule.DayName = named.InnerText();
        rule.Mean = named.AttributeValue("mean");
        rule.Kind = named.Name();
        rule.Ecliptic = StrToIntDef(date.AttributeValue("ecliptic"), -1);
        rule.Times = StrToIntDef(date.AttributeValue("times"), -1);
        rule.Month = StrToIntDef(date.AttributeValue("month"), -1);
        rule.Day = StrToIntDef(date.AttributeValue("day"), -1);
        rule.DayOfWeek = WeekdayNumber(date.AttributeValue("dayoftheweek"));
        rule.Start = Trunc(EncodeDate(1, 1, 1));
        rule.End = Trunc(EncodeDate(2999, 12, 31));
        if (const AnsiString v = date.AttributeValue("start"); !v.empty()) rule.Start = DayOfText(v + "0101");
        if (const AnsiString v = date.AttributeValue("end"); !v.empty()) rule.End = DayOfText(v + "1231");
        if (const AnsiString v = date.AttributeValue("year"); !v.empty()) {
          rule.Start = DayOfText(v + "0101");
          rule.End = DayOfText(v + "1231");
        }
        FRules.push_back(rule);
      }
    }
  }
  FYear = 0;
  EnsureYear();
}

void Talmanac::BuildHolidays() {
  const int32_t y = FYear;
  FSpecialDays.Clear();
  FHolidays.Clear();
  for (const THolidayRule& rule : FRules) {
    if (YearOf(rule.Start) > y || y > YearOf(rule.End)) continue;
    TiStringList& list = rule.Kind == "holiday" ? FHolidays : FSpecialDays;
    if (rule.Month > 0) {
      if (rule.Day > 0) list.AddTagged(rule.DayName, Trunc(EncodeDate(y, rule.Month, rule.Day)));
      if (rule.DayOfWeek >= 0 && rule.Times >= 0) {
        if (const int32_t day = NthWeekday(y, rule.Month, rule.DayOfWeek, rule.Times); day != 0) {
          list.AddTagged(rule.DayName, day);
        }
      }
    }
    if (rule.Ecliptic >= 0) {
      const int32_t start = Trunc(EncodeDate(y, 1, 1) + NormalizeDegrees(rule.Ecliptic + 79.0) * 365 / 360);
      list.AddTagged(rule.DayName, Trunc(DayOfLongitude(rule.Ecliptic, start)));
    }
  }
  if (y > 1972) {
    const int32_t count = FHolidays.Count();
    for (int32_t i = 0; i < count; ++i) {
      if (DayOfTheWeek(FHolidays.Tags(i)) == 7) FHolidays.AddTagged(Ansi(u8"振替休日"), FHolidays.Tags(i) + 1);
    }
  }
  if (y >= 1988) {
    FHolidays.SortByTag(true);
    const int32_t count = FHolidays.Count();
    for (int32_t i = 0; i + 1 < count; ++i) {
      const int32_t between = FHolidays.Tags(i) + 1;
      if (FHolidays.Tags(i + 1) - FHolidays.Tags(i) == 2 && DayOfTheWeek(between) != 7) {
        FHolidays.AddTagged(Ansi(u8"国民の休日"), between);
      }
    }
  }
}
