#include "platform/text/AnsiString.h"

#include <algorithm>
#include <optional>

#include "platform/Exception.h"
#include "platform/text/Cp932Codec.h"

AnsiString Ansi(std::u8string_view utf8) {
  AnsiString out;
  std::string_view bytes(reinterpret_cast<const char*>(utf8.data()), utf8.size());
  if (!FromUtf8(bytes, out)) throw Exception("text not representable in CP932");
  return out;
}

namespace {
// ASCII letters from one case to the other; double-byte characters are stepped over whole.
AnsiString ChangeCase(const AnsiString& text, char first, char last, int shift) {
  AnsiString out = text;
  for (size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (IsLeadByte(c)) {
      ++i;
    } else if (c >= first && c <= last) {
      out[i] = static_cast<char>(c + shift);
    }
  }
  return out;
}
}  // namespace

AnsiString AnsiLowerCase(const AnsiString& text) { return ChangeCase(text, 'A', 'Z', 'a' - 'A'); }

namespace {
// A double-byte capital letter of CP932 as its small letter; others unchanged.
int SmallLetter(int c) {
  if (c >= 0x8260 && c <= 0x8279) return c + 0x21;  // Ａ-Ｚ
  if (c >= 0x839F && c <= 0x83B6) return c + 0x20;  // Α-Ω
  if (c >= 0x8440 && c <= 0x8460) {                 // А-Я; the small ones skip trail 0x7F
    const int i = c - 0x8440;
    return 0x8470 + i + (i >= 15 ? 1 : 0);
  }
  return c;
}

AnsiString Folded(const AnsiString& text) {
  AnsiString out = AnsiLowerCase(text);
  for (size_t i = 0; i + 1 < out.size(); ++i) {
    if (!IsLeadByte(static_cast<unsigned char>(out[i]))) continue;
    const int c = SmallLetter(static_cast<unsigned char>(out[i]) << 8 | static_cast<unsigned char>(out[i + 1]));
    out[i] = static_cast<char>(c >> 8);
    out[++i] = static_cast<char>(c & 0xFF);
  }
  return out;
}
}  // namespace

bool AnsiSameText(const AnsiString& a, const AnsiString& b) { return a.size() == b.size() && Folded(a) == Folded(b); }
AnsiString AnsiUpperCase(const AnsiString& text) { return ChangeCase(text, 'a', 'z', 'A' - 'a'); }

namespace {

constexpr unsigned char kEscapeLead = 0xF0;

unsigned char TrailOf(int index) { return static_cast<unsigned char>(index < 63 ? 0x40 + index : 0x80 + index - 63); }

int IndexOfTrail(unsigned char trail) {
  if (trail >= 0x40 && trail <= 0x7E) return trail - 0x40;
  if (trail >= 0x80 && trail <= 0xFC) return trail - 0x80 + 63;
  return -1;
}

// Only bytes 0x80-0xFF come here: ASCII always converts and comes back unchanged.
void Escape(std::string_view bytes, AnsiString& out) {
  for (const char c : bytes) {
    out += static_cast<char>(kEscapeLead);
    out += static_cast<char>(TrailOf(static_cast<unsigned char>(c) - 0x80));
  }
}

// The escaped byte at p, if p starts a reserved character.
std::optional<char> Escaped(std::string_view text, size_t p) {
  if (p + 1 >= text.size()) return std::nullopt;
  const int index = IndexOfTrail(static_cast<unsigned char>(text[p + 1]));
  if (static_cast<unsigned char>(text[p]) != kEscapeLead || index < 0 || index >= 128) return std::nullopt;
  return static_cast<char>(0x80 + index);
}

// Length of the well-formed UTF-8 character at p (no overlong forms, no
// surrogates, nothing past U+10FFFF), or 0.
size_t Utf8Length(std::string_view s, size_t p, char32_t& code) {
  const auto c = static_cast<unsigned char>(s[p]);
  size_t n = 0;
  char32_t min = 0;
  if (c < 0x80) {
    code = c;
    return 1;
  }
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2, min = 0x80, code = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3, min = 0x800, code = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4, min = 0x10000, code = c & 0x07;
  } else {
    return 0;
  }
  if (p + n > s.size()) return 0;
  for (size_t i = 1; i < n; ++i) {
    const auto t = static_cast<unsigned char>(s[p + i]);
    if ((t & 0xC0) != 0x80) return 0;
    code = (code << 6) | (t & 0x3F);
  }
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  return code < min || code > 0x10FFFF || surrogate ? 0 : n;
}

// The run of well-formed UTF-8 characters at p, none of them user-defined (CP932 has its own there).
size_t PlainRun(std::string_view bytes, size_t p) {
  size_t end = p;
  for (char32_t code = 0; end < bytes.size();) {
    const size_t n = Utf8Length(bytes, end, code);
    if (n == 0 || (code >= 0xE000 && code <= 0xF8FF)) break;
    end += n;
  }
  return end - p;
}

}  // namespace

AnsiString FromUtf8Name(std::string_view bytes) {
  AnsiString out, ansi;
  for (size_t p = 0; p < bytes.size();) {
    const size_t run = PlainRun(bytes, p);
    if (run == 0) {
      char32_t code = 0;
      const size_t n = std::max<size_t>(Utf8Length(bytes, p, code), 1);
      Escape(bytes.substr(p, n), out);
      p += n;
      continue;
    }
    // Most runs come back whole; otherwise each character is kept only when CP932
    // gives back the very same bytes (some characters share a code).
    if (ExactCp932(bytes.substr(p, run), ansi)) {
      out += ansi;
      p += run;
      continue;
    }
    for (const size_t end = p + run; p < end;) {
      char32_t code = 0;
      const size_t n = Utf8Length(bytes, p, code);
      if (ExactCp932(bytes.substr(p, n), ansi)) {
        out += ansi;
      } else {
        Escape(bytes.substr(p, n), out);
      }
      p += n;
    }
  }
  return out;
}

std::string ToUtf8(std::string_view cp932) {
  std::string out;
  size_t run = 0;  // start of the text not yet converted
  for (size_t p = 0; p < cp932.size();) {
    if (const std::optional<char> b = Escaped(cp932, p)) {
      out += PlainToUtf8(cp932.substr(run, p - run));
      out += *b;
      p += 2;
      run = p;
    } else {
      p += IsLeadByte(static_cast<unsigned char>(cp932[p])) ? 2 : 1;
    }
  }
  out += PlainToUtf8(cp932.substr(std::min(run, cp932.size())));
  return out;
}
