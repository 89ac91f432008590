// CP932 is the system's own code page here: names reach the file system as they
// are, and conversions go through the system's tables.
#include <windows.h>

#include "platform/text/AnsiString.h"
#include "platform/text/Cp932Codec.h"

namespace {

constexpr UINT kCp932 = 932;

// One character at p (one or two bytes) as UTF-16; false for bytes CP932 has no character for.
bool Character(std::string_view text, size_t p, size_t& length, std::wstring& wide) {
  length = IsLeadByte(static_cast<unsigned char>(text[p])) && p + 1 < text.size() ? 2 : 1;
  wchar_t buffer[4];
  const int n = MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, text.data() + p, static_cast<int>(length), buffer, 4);
  if (n <= 0) return false;
  wide.assign(buffer, static_cast<size_t>(n));
  return true;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::wstring Wide(UINT codePage, std::string_view text, bool& valid) {
  valid = true;
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) {
    valid = false;
    const int lenient = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(lenient), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), lenient);
    return out;
  }
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

// UTF-16 to CP932; a character CP932 lacks becomes "?" and clears exact.
AnsiString Narrow(std::wstring wide, bool& exact) {
  exact = true;
  // A character beyond the BMP is one "?", not one for each half of its pair.
  for (size_t i = 0; i + 1 < wide.size(); ++i) {
    if (wide[i] >= 0xD800 && wide[i] < 0xDC00 && wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000) wide.replace(i, 2, 1, L'\uFFFF');
  }
  if (wide.empty()) return {};
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                    "?", &usedDefault);
  AnsiString out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), out.data(), n, "?",
                      &usedDefault);
  exact = !usedDefault;
  return out;
}

}  // namespace

std::u32string ToUtf32(std::string_view cp932) {
  std::u32string out;
  std::wstring wide;
  for (size_t p = 0, length = 0; p < cp932.size(); p += length) {
    if (!Character(cp932, p, length, wide)) {
      out += U'\uFFFD';
      continue;
    }
    for (size_t i = 0; i < wide.size(); ++i) {
      const char32_t w = wide[i];
      if (w >= 0xD800 && w < 0xDC00 && i + 1 < wide.size()) {
        out += 0x10000 + ((w - 0xD800) << 10) + (char32_t{wide[++i]} - 0xDC00);
      } else {
        out += w;
      }
    }
  }
  return out;
}

std::string PlainToUtf8(std::string_view cp932) {
  std::string out;
  for (char32_t c : ToUtf32(cp932)) AppendUtf8(c, out);
  return out;
}

bool ExactCp932(std::string_view utf8, AnsiString& out) {
  bool valid = false, exact = false;
  const std::wstring wide = Wide(CP_UTF8, utf8, valid);
  AnsiString converted = Narrow(wide, exact);
  bool back = false;
  if (!valid || !exact || Wide(kCp932, converted, back) != wide || !back) return false;
  out = std::move(converted);
  return true;
}

AnsiString Utf8ToAnsi(std::string_view utf8) {
  bool valid = false, exact = false;
  return Narrow(Wide(CP_UTF8, utf8, valid), exact);
}

AnsiString Utf16LeToAnsi(std::string_view utf16) {
  std::wstring wide;
  for (size_t i = 0; i + 1 < utf16.size(); i += 2) {
    const wchar_t w = static_cast<wchar_t>(static_cast<unsigned char>(utf16[i]) | static_cast<unsigned char>(utf16[i + 1]) << 8);
    if (w == 0) break;
    wide += w;
  }
  bool exact = false;
  return Narrow(wide, exact);
}

bool FromUtf8(std::string_view utf8, AnsiString& out) {
  bool valid = false, exact = false;
  AnsiString converted = Narrow(Wide(CP_UTF8, utf8, valid), exact);
  if (!valid || !exact) return false;
  out = std::move(converted);
  return true;
}

// The system's names are already CP932.
AnsiString FromSystemName(std::string_view bytes) { return AnsiString(bytes); }
