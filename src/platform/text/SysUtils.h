#pragma once
// Numeric helpers of the framework's run-time library.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

// Truncates toward zero. Values outside the 32-bit range saturate and NaN gives 0,
// so that no stored setting, however absurd, can reach undefined behaviour.
inline int32_t Trunc(double x) {
  if (std::isnan(x)) return 0;
  if (x >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (x <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(x);
}

// The run-time library's integer reading: optional blanks, a sign, then decimal
// digits or hexadecimal after "$"; anything else, or a value outside 32 bits,
// gives fallBack.
int32_t StrToIntDef(std::string_view text, int32_t fallBack);
