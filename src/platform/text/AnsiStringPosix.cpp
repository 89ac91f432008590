#include "platform/text/AnsiString.h"

#include <iconv.h>

#include <cerrno>
#include <algorithm>
#include <memory>
#include <optional>

#include "platform/Exception.h"
#include "platform/text/Cp932Codec.h"

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

// Converts all of in with cd; a sequence iconv refuses either stops the
// conversion (no replacement) or is replaced, one replacement per character.
bool ConvertRun(iconv_t cd, const char* from, std::string_view in, std::string& out,
                std::optional<std::string_view> replacement) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out.clear();
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buffer[256];
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
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

// Length of the run at the start of text that has no ASCII character; in CP932
// the trail byte of a double-byte character belongs to it even where it looks like ASCII.
size_t NonAsciiRun(std::string_view text, bool cp932) {
  size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) >= 0x80) {
    i += cp932 && IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
  }
  return i;
}

bool Convert(const char* to, const char* from, std::string_view in, std::string& out,
             std::optional<std::string_view> replacement) {
  IconvHandle cd = OpenConverter(to, from);
  out.clear();
  const std::string_view source(from), target(to);
  const bool bytes = (source == "UTF-8" || source == "CP932") && (target == "UTF-8" || target == "CP932");
  if (!bytes) return ConvertRun(cd.get(), from, in, out, replacement);
  // ASCII is the same in both and is copied as it is; iconv is slow per byte.
  std::string part;
  while (!in.empty()) {
    size_t ascii = 0;
    while (ascii < in.size() && static_cast<unsigned char>(in[ascii]) < 0x80) ++ascii;
    out.append(in.substr(0, ascii));
    in.remove_prefix(ascii);
    const size_t run = NonAsciiRun(in, source == "CP932");
    if (run == 0) continue;
    if (!ConvertRun(cd.get(), from, in.substr(0, run), part, replacement)) return false;
    out += part;
    in.remove_prefix(run);
  }
  return true;
}


}  // namespace

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

bool ExactCp932(std::string_view utf8, AnsiString& out) {
  std::string again;
  return Convert("CP932", "UTF-8", utf8, out, std::nullopt) && Convert("UTF-8", "CP932", out, again, std::nullopt) &&
         again == utf8;
}

std::string PlainToUtf8(std::string_view cp932) {
  std::string out;
  Convert("UTF-8", "CP932", cp932, out, std::string_view("\xEF\xBF\xBD"));
  return out;
}

AnsiString FromSystemName(std::string_view bytes) { return FromUtf8Name(bytes); }
