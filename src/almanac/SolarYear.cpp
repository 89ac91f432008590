// The year's solar terms, seasonal days and lunisolar months.
#include <array>
#include <string>

#include "almanac/vrelDate.h"
#include "platform/text/SysUtils.h"

namespace {

struct TermRow {
  const char8_t* Name;
  int32_t Longitude;  // degrees
  int32_t HintMonth, HintDay;  // where the search starts
};

constexpr TermRow kTermRows[30] = {
    {u8"立春", 315, 2, 4},   {u8"雨水", 330, 2, 19},  {u8"啓蟄", 345, 3, 5},    {u8"春分", 0, 3, 20},
    {u8"清明", 15, 4, 5},    {u8"穀雨", 30, 4, 20},   {u8"立夏", 45, 5, 5},     {u8"小満", 60, 5, 21},
    {u8"芒種", 75, 6, 5},    {u8"夏至", 90, 6, 21},   {u8"小暑", 105, 7, 7},    {u8"大暑", 120, 7, 23},
    {u8"立秋", 135, 8, 7},   {u8"処暑", 150, 8, 23},  {u8"白露", 165, 9, 7},    {u8"秋分", 180, 9, 23},
    {u8"寒露", 195, 10, 8},  {u8"霜降", 210, 10, 23}, {u8"立冬", 225, 11, 7},   {u8"小雪", 240, 11, 22},
    {u8"大雪", 255, 12, 7},  {u8"冬至", 270, 12, 22}, {u8"小寒", 285, 1, 5},    {u8"大寒", 300, 1, 20},
    {u8"土用入", 297, 1, 17}, {u8"土用入", 27, 4, 17}, {u8"土用入", 117, 7, 20}, {u8"土用入", 207, 10, 20},
    {u8"入梅", 80, 6, 11},   {u8"半夏生", 100, 7, 2}};

struct SeasonalDay {
  const char8_t* Name;
  const char8_t* Term;
  int32_t Offset;  // days from the term
};

constexpr SeasonalDay kSeasonalDays[7] = {
    {u8"節分", u8"立春", -1},    {u8"八十八夜", u8"立春", 87}, {u8"二百十日", u8"立春", 209},
    {u8"彼岸入", u8"春分", -3},  {u8"彼岸明", u8"春分", 3},    {u8"秋彼岸入", u8"秋分", -3},
    {u8"秋彼岸明", u8"秋分", 3}};

constexpr std::array<std::pair<const char*, const char8_t*>, 12> kMonthNames = {{
    {"10", u8"十月"}, {"11", u8"十一月"}, {"12", u8"十二月"}, {"1", u8"正月"}, {"2", u8"二月"}, {"3", u8"三月"},
    {"4", u8"四月"}, {"5", u8"五月"}, {"6", u8"六月"}, {"7", u8"七月"}, {"8", u8"八月"}, {"9", u8"九月"}}};

int32_t DayOf(double longitude, int32_t year, int32_t month, int32_t day) {
  return Trunc(Talmanac::DayOfLongitude(longitude, EncodeDate(year, month, day)));
}

// The number in a month's text, or 0 when it is not a plain decimal number.
int32_t MonthNumber(const AnsiString& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != AnsiString::npos) return 0;
  return StrToIntDef(text, 0);
}

// Gives the month that holds day d its number.
void NumberMonthOf(TiStringList& months, int32_t d, const char* number) {
  for (int32_t i = 0; i + 1 < months.Count(); ++i) {
    if (months.Tags(i) <= d && d < months.Tags(i + 1)) {
      months.SetStrings(i, number);
      return;
    }
  }
}

}  // namespace

void Talmanac::BuildSolarYear() {
  const int32_t y = FYear;
  FTerms.Clear();
  for (const TermRow& row : kTermRows) {
    FTerms.AddTagged(Ansi(row.Name), DayOf(row.Longitude, y, row.HintMonth, row.HintDay));
  }
  for (const SeasonalDay& s : kSeasonalDays) {
    FTerms.AddTagged(Ansi(s.Name), FTerms.TagOf(Ansi(s.Term)) + s.Offset);
  }

  FMonths.Clear();
  const int32_t s0 = DayOf(270, y - 1, 12, 22);  // the winter solstice before the year
  const int32_t n12 = DayOf(300, y + 1, 1, 20);
  const int32_t r1 = DayOf(330, y + 1, 2, 19);
  // The phase at the end of one day is the phase at the start of the next.
  double phaseAtStart = MoonPhase(s0 - 31);
  for (int32_t u = s0 - 31; u <= r1 + 31; ++u) {
    const double w = MoonPhase(u + 1);
    if (w <= 5 && (phaseAtStart > w || phaseAtStart == 0)) FMonths.AddTagged("", u);
    phaseAtStart = w;
  }
  if (FMonths.Count() > 1 && s0 >= FMonths.Tags(1)) FMonths.Delete(0);

  const std::pair<int32_t, const char*> principal[] = {
      {FTerms.TagOf(Ansi(u8"雨水")), "1"},  {FTerms.TagOf(Ansi(u8"穀雨")), "3"}, {FTerms.TagOf(Ansi(u8"小満")), "4"},
      {FTerms.TagOf(Ansi(u8"大暑")), "6"},  {FTerms.TagOf(Ansi(u8"処暑")), "7"}, {FTerms.TagOf(Ansi(u8"霜降")), "9"},
      {FTerms.TagOf(Ansi(u8"小雪")), "10"}, {FTerms.TagOf(Ansi(u8"大寒")), "12"}, {n12, "12"},
      {s0, "11"},                           {FTerms.TagOf(Ansi(u8"春分")), "2"}, {FTerms.TagOf(Ansi(u8"夏至")), "5"},
      {FTerms.TagOf(Ansi(u8"秋分")), "8"},  {FTerms.TagOf(Ansi(u8"冬至")), "11"}};
  for (const auto& [day, number] : principal) NumberMonthOf(FMonths, day, number);

  // A month without a principal term is a leap month, unless the numbering jumps.
  for (int32_t i = 1; i + 1 < FMonths.Count(); ++i) {
    if (!FMonths.Strings(i).empty()) continue;
    const int32_t p = MonthNumber(FMonths.Strings(i - 1));
    const int32_t n = MonthNumber(FMonths.Strings(i + 1));
    FMonths.SetStrings(i, n == p + 1 ? Ansi(u8"閏") + FMonths.Strings(i - 1) : std::to_string(p + 1));
  }

  for (int32_t i = 1; i + 1 < FMonths.Count(); ++i) {
    AnsiString text = FMonths.Strings(i);
    for (const auto& [number, name] : kMonthNames) {
      const size_t at = text.find(number);
      if (at != AnsiString::npos) text.replace(at, std::char_traits<char>::length(number), Ansi(name));
    }
    FMonths.SetStrings(i, text);
  }
}
