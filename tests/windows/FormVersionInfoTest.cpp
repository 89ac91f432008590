// The information window against the fake window system: opened from the main
// window's menu, its contents, its mouse, and the chime going on meanwhile (its
// closing keys are promises of the window-system contract: tests/conformance).
#include <gtest/gtest.h>

#include "ShellFixture.h"
#include "platform/system/Shell.h"
#include "platform/system/SystemInfo.h"
#include "shell/UnitFmChimora.h"
#include "windows/AppTitle.h"

namespace {

using FormVersionInfo = ShellFixture;

// What WM_PAINT shows, caught as the window system would receive it.
class CapturedPaint : public TDeviceContext {
 public:
  void BitBlt(int32_t, int32_t, const TBitmap& bitmap) override { Shown = bitmap; }
  void FillRect(const TRect&, Color32) override {}
  TBitmap Shown;
};

uint32_t Rgb(const TBitmap& b, int x, int y) {
  const uint8_t* p = b.ScanLine(y) + 4 * x;
  return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

void Move(TForm& form, TPoint at, bool left = false) {
  form.PointerInput(TPointerAction::Move, at, TPoint{form.Left() + at.x, form.Top() + at.y}, TPointerKeys{left});
}
void Press(TForm& form, TPointerAction action, TPoint at) {
  form.PointerInput(action, at, TPoint{form.Left() + at.x, form.Top() + at.y}, TPointerKeys{action == TPointerAction::LeftDown});
}

TEST_F(FormVersionInfo, OpensFromTheMenuModalWhileTheChimeTicks) {
  system.Caps.PerPixelAlpha = true;  // frames go out as layered updates
  TFmChimora main(system);
  int32_t framesWhileOpen = 0;
  system.WhileModal = [&](HWND window) {
    auto& about = *main.FormVersionInfo();
    EXPECT_EQ(window, about.Handle());
    EXPECT_TRUE(about.Visible());
    // Centred on the 1920 x 1080 screen, 247 x 222, the button 12 pixels from the bottom.
    EXPECT_EQ(about.BoundsRect(), (TRect{836, 429, 1083, 651}));
    EXPECT_EQ(about.BtClose.BoundsRect(), (TRect{162, 190, 237, 210}));
    EXPECT_EQ(about.LBexe.Caption(), "ExeName " + Globals().ExeName());
    EXPECT_EQ(about.LBversion.Caption(), "Version " + Globals().FileVersion());
    const AnsiString& url = about.LinkLabel1.LinkURL();
    EXPECT_EQ(url.rfind("http:", 0), 0u) << url;
    EXPECT_EQ(url.substr(url.size() - 13), "?from=chimora") << url;
    EXPECT_EQ(about.ImgAppTitle.Picture.Width(), 160);  // the packaged title
    EXPECT_EQ(about.Image1.Picture.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(about.Image1.BoundsRect(), (TRect{180, 4, 236, 60}));
    EXPECT_EQ(about.ImgIcon.Picture.Width(), 32);
    const int32_t before = system.Of(main.Handle()).LayeredUpdates;
    system.FireTimers();
    system.FireTimers();
    framesWhileOpen = system.Of(main.Handle()).LayeredUpdates - before;
    about.Perform(WM_KEYDOWN, VK_ESCAPE);
  };
  system.MenuChoice = 9;  // "ソフトウェア情報(&I)"
  main.Perform(WM_CONTEXTMENU, 0, MakeLParam(10, 10));
  EXPECT_EQ(framesWhileOpen, 2);
  EXPECT_EQ(main.FormVersionInfo(), nullptr);  // released once closed
  EXPECT_FALSE(main.Closing());
}

// Where the system places dialogs itself, the form does not centre itself.
TEST_F(FormVersionInfo, NotCentredWhereTheSystemPlacesDialogs) {
  system.Caps.PlacesDialogs = true;
  TFmChimora main(system);
  TFormVersionInfo about(main);
  about.Show();
  EXPECT_EQ(about.BoundsRect(), (TRect{0, 0, 247, 222}));
}

TEST_F(FormVersionInfo, TwoPixelRoundedBorderAndThePanel) {
  TFmChimora main(system);
  TFormVersionInfo about(main);
  CapturedPaint dc;
  about.Perform(WM_PAINT, reinterpret_cast<uintptr_t>(&dc));
  const TBitmap& b = dc.Shown;
  ASSERT_EQ(b.Width(), 247);
  ASSERT_EQ(b.Height(), 222);
  struct Case {
    int x, y;
    uint32_t rgb;
  } cases[] = {{0, 110, 0x000000},   {1, 110, 0x000000},   {2, 110, 0xFFFFFF}, {5, 110, 0x808080}, {6, 110, 0xFFFFFF},
               {246, 110, 0x000000}, {245, 110, 0x000000}, {241, 110, 0x808080}, {120, 221, 0x000000}, {120, 220, 0x000000},
               {120, 216, 0x808080}, {100, 32, 0x808080}};
  for (const Case& c : cases) EXPECT_EQ(Rgb(b, c.x, c.y), c.rgb) << c.x << "," << c.y;
  // The title's white keys out, the picture's or the drawn one: the top border stays black.
  for (const bool drawn : {false, true}) {
    if (drawn) about.ImgAppTitle.Picture = DrawnAppTitle("Chimora");
    about.Perform(WM_PAINT, reinterpret_cast<uintptr_t>(&dc));
    for (const int x : {4, 80, 163}) {
      EXPECT_EQ(Rgb(dc.Shown, x, 0), 0x000000u) << drawn << " " << x;
      EXPECT_EQ(Rgb(dc.Shown, x, 1), 0x000000u) << drawn << " " << x;
    }
  }
  // The outline region cuts each corner in a staircase.
  ASSERT_TRUE(system.Of(about.Handle()).Region.has_value());
  EXPECT_FALSE(system.Of(about.Handle()).Region->Contains(0, 0));
  EXPECT_TRUE(system.Of(about.Handle()).Region->Contains(4, 0));
}

TEST_F(FormVersionInfo, MouseOverLinkDragByTextButtonClicks) {
  TFmChimora main(system);
  TFormVersionInfo about(main);
  about.Show();
  const HWND h = about.Handle();
  const TPoint onLink{about.LinkLabel1.Left + 2, 84}, onVersion{60, 58}, onButton{199, 200}, onPanel{100, 150};
  Move(about, onLink);
  EXPECT_EQ(system.Of(h).Cursor, TCursor::crHandPoint);
  EXPECT_TRUE(about.LinkLabel1.Font.Underline);
  Move(about, onPanel);
  EXPECT_EQ(system.Of(h).Cursor, TCursor::crDefault);
  EXPECT_FALSE(about.LinkLabel1.Font.Underline);
  // The version text drags the window; the button never does.
  Press(about, TPointerAction::LeftDown, onVersion);
  Move(about, TPoint{70, 60}, true);
  EXPECT_EQ(system.Of(h).MoveLoops, 1);
  Press(about, TPointerAction::LeftDown, onButton);
  Move(about, TPoint{100, 150}, true);
  Press(about, TPointerAction::LeftUp, TPoint{100, 150});
  EXPECT_EQ(system.Of(h).MoveLoops, 1);
  EXPECT_FALSE(about.Closing());  // released off the button: no click
  // A click on the link opens the maker's page.
  std::vector<AnsiString> opened;
  ScopedShellOpener capture([&](const AnsiString& target) { opened.push_back(target); });
  Press(about, TPointerAction::LeftDown, onLink);
  Press(about, TPointerAction::LeftUp, onLink);
  EXPECT_EQ(opened, std::vector<AnsiString>{about.LinkLabel1.LinkURL()});
  Press(about, TPointerAction::LeftDown, onButton);
  Press(about, TPointerAction::LeftUp, onButton);
  EXPECT_TRUE(about.Closing());
}

}  // namespace
