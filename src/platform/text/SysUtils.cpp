#include "platform/text/SysUtils.h"

int32_t StrToIntDef(std::string_view text, int32_t fallBack) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  }
  if (i >= text.size()) return fallBack;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return fallBack;
    }
    value = value * base + digit;
    if (value > int64_t{1} << 32) return fallBack;
  }
  if (negative) value = -value;
  // Hexadecimal may spell the upper half of the unsigned range, as the library allows.
  if (base == 16 && value > INT32_MAX && value <= UINT32_MAX) return static_cast<int32_t>(static_cast<uint32_t>(value));
  if (value < INT32_MIN || value > INT32_MAX) return fallBack;
  return static_cast<int32_t>(value);
}
