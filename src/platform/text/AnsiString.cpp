#include "platform/text/AnsiString.h"

#include "platform/Exception.h"

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
