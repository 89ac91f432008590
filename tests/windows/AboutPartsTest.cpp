// The information window's drawn title and its link label's rules.
#include <gtest/gtest.h>

#include "TempFolder.h"
#include "platform/system/Shell.h"
#include "windows/AppTitle.h"
#include "windows/LinkLabel.h"

namespace {

// The first row holding a dark pixel; -1 when none.
int FirstDarkRow(const TBitmap& b) {
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) {
      if (b.ScanLine(y)[4 * x + 1] < 128) return y;
    }
  }
  return -1;
}

TEST(AboutParts, DrawnTitleByTheKindOfName) {
  const TBitmap latin = DrawnAppTitle("Chimora");
  const TBitmap japanese = DrawnAppTitle(Ansi(u8"風鈴"));
  for (const TBitmap* title : {&latin, &japanese}) {
    EXPECT_EQ(title->Width(), 160);
    EXPECT_EQ(title->Height(), 32);
    EXPECT_EQ(title->PixelFormat(), TPixelFormat::pf32bit);
  }
  // The Latin name starts at the top, the Japanese one 16 pixels down (8 once halved).
  EXPECT_GE(FirstDarkRow(latin), 0);
  EXPECT_LT(FirstDarkRow(latin), 8);
  EXPECT_GE(FirstDarkRow(japanese), 8);
}

TEST(AboutParts, LinkCaptionsAndClicks) {
  TempFolder folder("link");
  const AnsiString file = folder.Write("notes/readme.txt", std::string("hi"));
  const AnsiString dir = folder.Name("notes");
  EXPECT_EQ(LinkCaptionFor(file), std::optional<AnsiString>("readme.txt"));
  EXPECT_EQ(LinkCaptionFor(dir), std::optional<AnsiString>(TempFolder::Ansi(folder.Path())));
  EXPECT_EQ(LinkCaptionFor("http://korvessa.example/"), std::nullopt);
  std::vector<AnsiString> opened;
  ScopedShellOpener capture([&](const AnsiString& target) { opened.push_back(target); });
  FollowLink(file, "caption");
  FollowLink("", "http://korvessa.example/");
  FollowLink("someone@korvessa.example", "caption");
  EXPECT_EQ(opened, (std::vector<AnsiString>{file, "http://korvessa.example/", "mailto:someone@korvessa.example"}));
}

}  // namespace
