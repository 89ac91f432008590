#include <gtest/gtest.h>

#include "app/ShellAndText.h"
#include "platform/system/Shell.h"

TEST(ShellAndText, OpenLinkTreatsAllButHttpAsMail) {
  std::vector<AnsiString> opened;
  ScopedShellOpener capture([&](const AnsiString& t) { opened.push_back(t); });
  OpenLink("http://example.invalid/chimora");
  OpenLink("https://example.invalid/");
  OpenLink("HTTP://example.invalid/");
  OpenLink("someone@example.invalid");
  RunFile("/tmp/a file.txt");
  const std::vector<AnsiString> expected = {"http://example.invalid/chimora", "mailto:https://example.invalid/",
                                            "mailto:HTTP://example.invalid/", "mailto:someone@example.invalid",
                                            "/tmp/a file.txt"};
  EXPECT_EQ(opened, expected);
}

TEST(ShellAndText, ByteStringHelpers) {
  EXPECT_FALSE(HasLeadByte("plain ascii"));
  EXPECT_FALSE(HasLeadByte("\xB1\xB2\xB3"));  // half-width katakana
  EXPECT_FALSE(HasLeadByte(""));
  EXPECT_TRUE(HasLeadByte(Ansi(u8"abc立")));
  EXPECT_EQ(CopyRange("abcdef", 0, 3), "abc");
  EXPECT_EQ(CopyRange("abcdef", 4, 99), "def");
  EXPECT_EQ(CopyRange("abcdef", 5, 2), "");
  EXPECT_EQ(CopyFrom("abcdef", 3), "cdef");
  EXPECT_EQ(CopyFrom("abcdef", 9), "");
  EXPECT_EQ(PosFrom("b", "abab", 3), 4);
  EXPECT_EQ(PosFrom("b", "abab", 1), 2);
  EXPECT_EQ(PosFrom("b", "", 1), 0);
  EXPECT_EQ(PosFrom("b", "abab", 5), 0);
  // "ソ" is 0x83 0x5C: its trail byte is a backslash that must not match.
  const AnsiString text = Ansi(u8"ソ\\");
  EXPECT_EQ(PosFrom("\\", text, 1), 3);
  EXPECT_EQ(PosFrom("\\", text, 2), 3);
}
