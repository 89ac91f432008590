#include "platform/system/DateTime.h"

#include "platform/system/Clock.h"


#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

namespace {

// Day 0 of the date type is 1899-12-30, which is day -25569 of 1970-01-01.
constexpr int64_t kUnixDay = 25569;
constexpr int64_t kFirstDay = -693593;  // 0001-01-01
constexpr int64_t kLastDay = 2958465;   // 9999-12-31

// Days from 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int32_t& year, int32_t& month, int32_t& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int32_t>(yoe + era * 400 + (month <= 2));
}

[[noreturn]] void Invalid(const std::string& what) {
  throw EConvertError(Ansi(u8"日付が正しくありません (") + what + ")");
}

std::function<TDateTime()>& NowSource() {
  static std::function<TDateTime()> source;
  return source;
}

}  // namespace

bool IsLeapYear(int32_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int32_t DaysInMonth(int32_t year, int32_t month) {
  static constexpr int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

TDateTime EncodeDate(int32_t year, int32_t month, int32_t day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
    Invalid(std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day));
  }
  return static_cast<TDateTime>(DaysFromCivil(year, month, day) + kUnixDay);
}

void DecodeDate(TDateTime value, int32_t& year, int32_t& month, int32_t& day) {
  if (!(value >= kFirstDay - 1 && value < kLastDay + 1)) Invalid(std::to_string(value));
  CivilFromDays(static_cast<int64_t>(std::trunc(value)) - kUnixDay, year, month, day);
}

void DecodeTime(TDateTime value, int32_t& hour, int32_t& minute, int32_t& second, int32_t& millisecond) {
  double whole;
  const auto ms = static_cast<int64_t>(std::llround(std::fabs(std::modf(value, &whole)) * 86400000.0)) % 86400000;
  hour = static_cast<int32_t>(ms / 3600000);
  minute = static_cast<int32_t>(ms / 60000 % 60);
  second = static_cast<int32_t>(ms / 1000 % 60);
  millisecond = static_cast<int32_t>(ms % 1000);
}

int32_t YearOf(TDateTime value) {
  int32_t y, m, d;
  DecodeDate(value, y, m, d);
  return y;
}

int32_t DayOfTheWeek(TDateTime value) {
  // Day 0 (1899-12-30) was a Saturday.
  const int64_t day = static_cast<int64_t>(std::trunc(value));
  return static_cast<int32_t>(((day + 5) % 7 + 7) % 7) + 1;
}

AnsiString IsoDate(TDateTime value) {
  int32_t y, m, d;
  DecodeDate(value, y, m, d);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
  return text;
}

TDateTime Now() {
  if (NowSource()) return NowSource()();
  return SystemLocalNow();
}

TDateTime Date() { return std::trunc(Now()); }

ScopedNow::ScopedNow(std::function<TDateTime()> source) : FPrevious(std::exchange(NowSource(), std::move(source))) {}

ScopedNow::~ScopedNow() { NowSource() = std::move(FPrevious); }
