#include <gtest/gtest.h>

#include "platform/text/AnsiString.h"
#include "platform/Exception.h"

TEST(AnsiString, LiteralBecomesCp932Bytes) {
  EXPECT_EQ(Ansi(u8"節分"), "\x90\xdf\x95\xaa");
  EXPECT_EQ(Ansi(u8"abc"), "abc");
  EXPECT_EQ(Ansi(u8""), "");
}

TEST(AnsiString, RoundTripThroughUtf8) {
  const AnsiString text = Ansi(u8"32bitBmp以外を塗りつぶそうとしました");
  EXPECT_EQ(ToUtf8(text), "32bitBmp以外を塗りつぶそうとしました");
}

TEST(AnsiString, InvalidCp932IsReplacedNotThrown) {
  // 0x81 is a lead byte; a lone one at the end is an incomplete character.
  EXPECT_EQ(ToUtf8("a\x81"), "a\xEF\xBF\xBD");
}

TEST(AnsiString, TextOutsideCp932IsRefused) {
  AnsiString out;
  EXPECT_FALSE(FromUtf8("\xF0\x9F\x98\x80", out));  // an emoji
  EXPECT_THROW(Ansi(u8"\U0001F600"), Exception);
}

// Any name a Linux file system holds, or an argument gives, comes back byte for
// byte; what CP932 has stays CP932. The same on both systems.
TEST(AnsiString, FileNamesAreLossless) {
  struct Case {
    const char* name;
    const char* inside;  // nullptr: not checked, only the round trip
  };
  const Case cases[] = {
      {"/home/jos\xC3\xA9/\xE7\xAF\x80\xE5\x88\x86.png", "/home/jos\xF0\x84\xF0\x69/\x90\xdf\x95\xaa.png"},  // é escaped, 節分 kept
      {"/opt/Gl\xC3\xB6" "ckchen", nullptr},
      {"\xC3\xA9t\xC3\xA9 \xF0\x9F\x8C\x8A.jpg", nullptr},         // été 🌊
      {"\xEF\xBD\xB6\xEF\xBE\x9E.png", "\xB6\xDE.png"},               // half-width katakana is CP932
      {"bad\xFF\xFE\xC3(.png", nullptr},                               // not UTF-8 at all
      {"\xEE\x80\x80", "\xF0\xAF\xF0\x40\xF0\x40"},                // a user-defined-area character
      {"\xE3\x80\x9C\xEF\xBD\x9E", nullptr},                        // two characters CP932 folds into one
      {"\xED\xA0\x80\xC0\xAF\xF4\x90\x80\x80", nullptr},             // surrogate, overlong, past U+10FFFF
  };
  for (const Case& c : cases) {
    const AnsiString inside = FromUtf8Name(c.name);
    EXPECT_EQ(ToUtf8(inside), c.name) << c.name;
    if (c.inside != nullptr) {
      EXPECT_EQ(inside, c.inside) << c.name;
    }
  }
  // The two folded characters stay apart inside.
  EXPECT_NE(FromUtf8Name("\xE3\x80\x9C"), FromUtf8Name("\xEF\xBD\x9E"));
}

TEST(Exception, KeepsCp932Message) {
  try {
    throw Exception(Ansi(u8"立春"));
  } catch (const Exception& e) {
    EXPECT_EQ(ToUtf8(e.Message()), "立春");
    EXPECT_STREQ(e.what(), Ansi(u8"立春").c_str());
  }
}
