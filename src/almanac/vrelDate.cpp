#include "almanac/vrelDate.h"

#include <cmath>

#include "platform/io/Resources.h"

Talmanac::Talmanac() {
  const AnsiString table = LoadResourceText("holidays");
  if (!table.empty()) LoadRules(table);
}

void Talmanac::EnsureYear() {
  const int32_t year = YearOf(FDate);
  if (year == FYear) return;
  FYear = year;
  BuildSolarYear();
  BuildHolidays();
}

AnsiString Talmanac::DayNote() {
  EnsureYear();
  const int32_t index = FTerms.IndexOfTag(static_cast<int32_t>(std::trunc(FDate)));
  return index < 0 ? AnsiString() : FTerms.Strings(index);
}
