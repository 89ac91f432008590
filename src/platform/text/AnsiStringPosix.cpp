#include "platform/text/AnsiString.h"

#include <iconv.h>

#include <cerrno>
#include <algorithm>
#include <memory>
#include <optional>

#include "platform/Exception.h"

namespace {

struct IconvCloser {
  void operator()(iconv_t cd) const { iconv_close(cd); }
};
using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

IconvHandle OpenConverter(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw Exception(std::string("iconv cannot convert ") + from + " to " + to);
  }
  return IconvHandle(cd);
}

// Bytes of the input character that iconv refused, so that one character
// becomes one replacement.
size_t RefusedLength(const char* from, const unsigned char* p, size_t left) {
  const std::string_view encoding(from);
  if (encoding == "UTF-8") {
    size_t n = 1;
    while (n < left && (p[n] & 0xC0) == 0x80) ++n;
    return n;
  }
  if (encoding == "UTF-16LE") {
    const bool highSurrogate = left >= 4 && (p[1] & 0xFC) == 0xD8;
    return std::min<size_t>(left, highSurrogate ? 4 : 2);
  }
  return 1;
}

// Converts all of in; a sequence iconv refuses either stops the conversion
// (no replacement) or is replaced, one replacement per character.
bool Convert(const char* to, const char* from, std::string_view in, std::string& out,
             std::optional<std::string_view> replacement) {
  IconvHandle cd = OpenConverter(to, from);
  out.clear();
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buffer[256];
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    size_t rc = iconv(cd.get(), &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, static_cast<size_t>(dst - buffer));
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    if (!replacement) return false;
    out += *replacement;
    const size_t skip = RefusedLength(from, reinterpret_cast<const unsigned char*>(src), srcLeft);
    src += skip;
    srcLeft -= skip;
  }
  return true;
}

}  // namespace

AnsiString Ansi(std::u8string_view utf8) {
  AnsiString out;
  std::string_view bytes(reinterpret_cast<const char*>(utf8.data()), utf8.size());
  if (!FromUtf8(bytes, out)) throw Exception("text not representable in CP932");
  return out;
}

std::string ToUtf8(std::string_view cp932) {
  std::string out;
  Convert("UTF-8", "CP932", cp932, out, std::string_view("\xEF\xBF\xBD"));
  return out;
}

std::u32string ToUtf32(std::string_view cp932) {
  std::string bytes;
  Convert("UTF-32LE", "CP932", cp932, bytes, std::string_view("\xFD\xFF\x00\x00", 4));
  std::u32string out(bytes.size() / 4, U'\0');
  for (size_t i = 0; i < out.size(); ++i) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + 4 * i);
    out[i] = char32_t(b[0]) | char32_t(b[1]) << 8 | char32_t(b[2]) << 16 | char32_t(b[3]) << 24;
  }
  return out;
}

AnsiString Utf8ToAnsi(std::string_view utf8) {
  AnsiString out;
  Convert("CP932", "UTF-8", utf8, out, std::string_view("?"));
  return out;
}

AnsiString Utf16LeToAnsi(std::string_view utf16) {
  size_t length = 0;
  while (length + 1 < utf16.size() && (utf16[length] != 0 || utf16[length + 1] != 0)) length += 2;
  AnsiString out;
  Convert("CP932", "UTF-16LE", utf16.substr(0, length), out, std::string_view("?"));
  return out;
}

bool FromUtf8(std::string_view utf8, AnsiString& out) {
  return Convert("CP932", "UTF-8", utf8, out, std::nullopt);
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
AnsiString AnsiUpperCase(const AnsiString& text) { return ChangeCase(text, 'a', 'z', 'A' - 'a'); }
