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

TEST(Exception, KeepsCp932Message) {
  try {
    throw Exception(Ansi(u8"立春"));
  } catch (const Exception& e) {
    EXPECT_EQ(ToUtf8(e.Message()), "立春");
    EXPECT_STREQ(e.what(), Ansi(u8"立春").c_str());
  }
}
