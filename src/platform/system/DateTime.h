#pragma once
// The framework's date type: days since 30 December 1899 00:00 as a double,
// the fraction being the time of day; and its calendar functions.
#include <cstdint>
#include <functional>

#include "platform/Exception.h"

using TDateTime = double;

// A date or time that does not exist (month 13, 30 February, year 0, ...).
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// Years 1 to 9999; throws EConvertError otherwise.
TDateTime EncodeDate(int32_t year, int32_t month, int32_t day);
// The day of the whole part (truncated toward zero); throws EConvertError
// outside years 1 to 9999.
void DecodeDate(TDateTime value, int32_t& year, int32_t& month, int32_t& day);
// Hours, minutes, seconds, milliseconds of the fraction's magnitude.
void DecodeTime(TDateTime value, int32_t& hour, int32_t& minute, int32_t& second, int32_t& millisecond);
int32_t YearOf(TDateTime value);
// ISO 8601 weekday: Monday 1 to Sunday 7.
int32_t DayOfTheWeek(TDateTime value);
int32_t DaysInMonth(int32_t year, int32_t month);
bool IsLeapYear(int32_t year);

// "YYYY-MM-DD" of the whole day.
AnsiString IsoDate(TDateTime value);

// Today's local date at midnight, and the local date and time.
TDateTime Date();
TDateTime Now();

// While alive, Now and Date answer from the given function (tests choose the day).
class ScopedNow {
 public:
  explicit ScopedNow(std::function<TDateTime()> source);
  ~ScopedNow();
  ScopedNow(const ScopedNow&) = delete;
  ScopedNow& operator=(const ScopedNow&) = delete;

 private:
  std::function<TDateTime()> FPrevious;
};
