// The secondary windows' behaviour component against the fake window system.
#include <gtest/gtest.h>

#include "ShellFixture.h"
#include "windows/vrelFormFunc.h"

namespace {

class VrelFormFunc : public ShellFixture {
 protected:
  // A 200 x 100 form at (100, 100) whose own window procedure records what reaches it.
  VrelFormFunc() {
    form.SetBounds(100, 100, 200, 100);
    form.WindowProc = [this](TMessage& m) { reached.push_back(m.Msg); };
  }
  static int32_t StoredOr(const char* key, int32_t fallBack) { return Stored("TSECONDARY", key, fallBack); }

  TForm form{system, "TSecondary"};
  std::vector<uint32_t> reached;
};

TEST_F(VrelFormFunc, EdgeHitTestReadsTheScreenPointUnsigned) {
  TvrelFormFunc func(form);
  func.WindowResize = true;
  struct Case {
    int32_t x, y;
    intptr_t result;
  };
  const Case cases[] = {{104, 104, HTTOPLEFT}, {200, 150, 0},          {298, 150, HTRIGHT},     {102, 150, HTLEFT},
                        {200, 102, HTTOP},     {200, 198, HTBOTTOM},   {298, 198, HTBOTTOMRIGHT}, {102, 198, HTBOTTOMLEFT},
                        {298, 101, HTTOPRIGHT}};
  for (const Case& c : cases) {
    reached.clear();
    EXPECT_EQ(form.Perform(WM_NCHITTEST, 0, MakeLParam(c.x, c.y)), c.result) << c.x << "," << c.y;
    EXPECT_EQ(reached.size(), c.result == 0 ? 1u : 0u) << "passed on only when unanswered";
  }
  // Left of and above the primary monitor: the 16-bit reading answers with the far bands.
  form.SetBounds(-300, -200, 200, 100);
  EXPECT_EQ(form.Perform(WM_NCHITTEST, 0, MakeLParam(-296, -196)), HTBOTTOMRIGHT);
  func.WindowResize = false;
  EXPECT_EQ(form.Perform(WM_NCHITTEST, 0, MakeLParam(-296, -196)), 0);
}

// A press on an edge starts the system's sizing loop by that edge; elsewhere it is a press.
TEST_F(VrelFormFunc, EdgePressesSizeTheWindow) {
  TvrelFormFunc func(form);
  func.WindowResize = true;
  form.PointerInput(TPointerAction::LeftDown, TPoint{198, 50}, TPoint{298, 150}, TPointerKeys{true});
  form.PointerInput(TPointerAction::LeftDown, TPoint{100, 50}, TPoint{200, 150}, TPointerKeys{true});
  EXPECT_EQ(system.Of(form.Handle()).ResizeLoops, (std::vector<intptr_t>{HTRIGHT}));
  EXPECT_EQ(reached.back(), WM_LBUTTONDOWN);
  struct Case {
    intptr_t hit;
    int32_t dx, dy;
    TRect expected;
  };
  const TRect start{100, 100, 300, 200};
  const Case cases[] = {{HTRIGHT, 30, 99, {100, 100, 330, 200}},     {HTLEFT, -20, 5, {80, 100, 300, 200}},
                        {HTTOPLEFT, 10, -10, {110, 90, 300, 200}},   {HTBOTTOMRIGHT, -5, 7, {100, 100, 295, 207}},
                        {HTBOTTOM, 0, -500, {100, 100, 300, 108}},   {HTLEFT, 400, 0, {292, 100, 300, 200}}};
  for (const Case& c : cases) EXPECT_EQ(SizedBy(start, c.hit, c.dx, c.dy), c.expected) << c.hit << " " << c.dx << "," << c.dy;
}

TEST_F(VrelFormFunc, RoundOutlineCutsEachCornerInAStaircase) {
  TvrelFormFunc func(form);
  func.SetWindowRound(true);
  const auto& region = system.Of(form.Handle()).Region;
  ASSERT_TRUE(region.has_value());
  struct Case {
    int32_t x, y;
    bool inside;
  };
  const Case cases[] = {{0, 0, false}, {0, 3, false}, {0, 4, true},  {1, 1, false}, {1, 2, true}, {2, 1, true},
                        {3, 0, false}, {4, 0, true},  {199, 4, true}, {199, 3, false}, {196, 99, false}, {195, 99, true}};
  for (const Case& c : cases) EXPECT_EQ(region->Contains(c.x, c.y), c.inside) << c.x << "," << c.y;
  func.SetWindowRound(false);
  EXPECT_FALSE(system.Of(form.Handle()).Region.has_value());
  // A form with a frame gets its outline only at its next size change.
  form.Borderless = false;
  func.SetWindowRound(true);
  EXPECT_FALSE(system.Of(form.Handle()).Region.has_value());
  form.SetBounds(100, 100, 300, 50);
  ASSERT_TRUE(system.Of(form.Handle()).Region.has_value());
  EXPECT_TRUE(system.Of(form.Handle()).Region->Contains(299, 4));
}

TEST_F(VrelFormFunc, NothingIsKeptWithoutPreserveAndTheDockSiteAlwaysWithIt) {
  Globals().IniWriteInteger("TSECONDARY", "LEFT", 500);
  {
    TvrelFormFunc func(form);
    func.KeepLocation = true;
    form.Show();
    EXPECT_EQ(form.Left(), 100);  // not read
    form.SetBounds(321, 100, 200, 100);
  }
  EXPECT_EQ(StoredOr("LEFT", -1), 500);  // not written
  {
    TvrelFormFunc func(form);
    func.Preserve = true;
  }
  EXPECT_EQ(Globals().IniReadString("TSECONDARY", "DOCKSITE", "missing"), "");
  EXPECT_EQ(StoredOr("TOP", -1), -1);
  {
    TForm again(system, "TSecondary");
    again.SetBounds(0, 0, 200, 100);
    TvrelFormFunc func(again);
    func.Preserve = true;
    func.KeepLocation = true;
    again.Show();
    EXPECT_EQ(again.Left(), 500);
  }
}

TEST_F(VrelFormFunc, MessagesOfItsOwn) {
  TvrelFormFunc func(form);
  int erased = 0, colours = 0;
  std::vector<AnsiString> dropped;
  func.OnEraseBackGround = [&](void*) { ++erased; };
  func.OnColorReset = [&](void*) { ++colours; };
  func.OnDropFile = [&](void*, const AnsiString& name) { dropped.push_back(name); };
  // The background is not erased, but the event is raised; erased, the message goes on.
  EXPECT_EQ(form.Perform(WM_ERASEBKGND), 1);
  EXPECT_TRUE(reached.empty());
  func.EraseBackGround = true;
  form.Perform(WM_ERASEBKGND);
  EXPECT_EQ(erased, 2);
  EXPECT_EQ(reached, (std::vector<uint32_t>{WM_ERASEBKGND}));
  form.Perform(0x0464);
  EXPECT_EQ(colours, 1);
  // Names reach the event; the list only with DropNamesEnabled.
  func.SetDragDrop(true);
  system.Drop(form.Handle(), {"/a.png", "/b.png"});
  EXPECT_EQ(dropped, (std::vector<AnsiString>{"/a.png", "/b.png"}));
  EXPECT_TRUE(func.DropNames().empty());
  func.DropNamesEnabled = true;
  system.Drop(form.Handle(), {"/c.png"});
  EXPECT_EQ(func.DropNames(), (std::vector<AnsiString>{"/c.png"}));
  // A drag is possible before the first press has been seen.
  func.WindowDrag = true;
  form.Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(10, 10));
  EXPECT_EQ(system.Of(form.Handle()).MoveLoops, 1);
}

TEST_F(VrelFormFunc, PlaceInTheZOrderAndSnappingToTheWorkArea) {
  TvrelFormFunc func(form);
  struct Case {
    TwindowPosition position;
    HWND after;
    uint32_t flags;
  };
  const Case cases[] = {{TwindowPosition::wpNormal, HWND_NOTOPMOST, SWP_SHOWWINDOW},
                        {TwindowPosition::wpTop, HWND_TOPMOST, SWP_SHOWWINDOW},
                        {TwindowPosition::wpBottom, HWND_BOTTOM, SWP_NOSIZE | SWP_NOMOVE}};
  for (const Case& c : cases) {
    func.SetWindowPosition(c.position);
    ASSERT_FALSE(system.Of(form.Handle()).ZOrderCalls.empty());
    EXPECT_EQ(system.Of(form.Handle()).ZOrderCalls.back(), std::make_pair(c.after, c.flags));
  }
  const size_t calls = system.Of(form.Handle()).ZOrderCalls.size();
  func.SetWindowPosition(TwindowPosition::wpNone);
  EXPECT_EQ(system.Of(form.Handle()).ZOrderCalls.size(), calls);
  // Only the work area counts, top and left each on its own.
  int moved = 0;
  func.OnWindowMoved = [&](void*) { ++moved; };
  func.FitScreenPx = 10;
  form.SetBounds(7, 1034, 200, 100);  // its bottom 94 px past the area's: no vertical snap
  form.Perform(WM_EXITSIZEMOVE);
  EXPECT_EQ(form.BoundsRect(), (TRect{0, 1034, 200, 1134}));
  form.SetBounds(1715, 935, 200, 100);
  form.Perform(WM_EXITSIZEMOVE);
  EXPECT_EQ(form.BoundsRect(), (TRect{1720, 940, 1920, 1040}));
  EXPECT_EQ(moved, 2);
}

}  // namespace
