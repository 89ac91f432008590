#include <gtest/gtest.h>

#include <cstring>

#include "ShellFixture.h"
#include "chime/ClassChimora.h"
#include "imaging/AlphaTransfer.h"
#include "imaging/FuncGraphicWork.h"
#include "platform/Exception.h"
#include "platform/system/Random.h"
#include "platform/system/SystemInfo.h"
#include "platform/window/DropFiles.h"
#include "shell/f2FormFunc.h"

namespace {

using Presenter = ShellFixture;

TBitmap Picture(int32_t w, int32_t h, uint8_t alpha) {
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(w, h);
  FillBitmap32(b, 0x00336699u | (uint32_t{alpha} << 24));
  return b;
}

TEST_F(Presenter, LayeredWhereAlphaWorksElseShapedByOpaquePixels) {
  TBitmap picture = Picture(40, 30, 200);
  FillRect32(picture, {0, 0, 10, 30}, 0x7F336699u);  // alpha 127: outside the shape
  {
    system.Caps.PerPixelAlpha = true;
    TForm form(system, "TLayered");
    Tf2LayerFunc layer(form);
    layer.SetLayerEnabled(true);
    ASSERT_TRUE(layer.LayerEnabled());
    layer.PresentAt(5, 7, picture);
    const auto& w = system.Of(form.Handle());
    EXPECT_EQ(w.LayeredUpdates, 1);
    EXPECT_TRUE(layer.LayerExists);
    EXPECT_EQ(form.BoundsRect(), (TRect{5, 7, 45, 37}));
    EXPECT_EQ(w.Layered.ScanLine(0)[3], 127);
    EXPECT_EQ(w.Layered.ScanLine(0)[0], 0x33 * 127 / 255);  // premultiplied blue
    system.RefuseLayers = true;
    try {
      layer.PresentAt(5, 7, picture);
      ADD_FAILURE() << "a refused layered update must raise";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "LayerdWindow\x82\xCC\x8DX\x90V\x82\xC9\x8E\xB8\x94s\r\nrefused by the test");
    }
    system.RefuseLayers = false;
  }
  {
    system.Caps.PerPixelAlpha = false;  // no compositing manager
    TForm form(system, "TShaped");
    Tf2LayerFunc layer(form);
    layer.SetLayerEnabled(true);
    EXPECT_FALSE(layer.LayerEnabled());
    layer.PresentAt(5, 7, picture);
    const auto& w = system.Of(form.Handle());
    EXPECT_EQ(w.LayeredUpdates, 0);
    ASSERT_TRUE(w.Region.has_value());
    EXPECT_FALSE(w.Region->Contains(9, 0));
    EXPECT_TRUE(w.Region->Contains(10, 0));
    EXPECT_EQ(w.Invalidations, 1);
    EXPECT_TRUE(w.ZOrderCalls.empty());  // never out of the topmost band
    EXPECT_EQ(layer.Picture()->ScanLine(0)[0], 0x33);  // straight copy
  }
}

// Only what each tick changed is premultiplied again, and the changes of a run
// of refused updates go with the next one that is taken.
TEST_F(Presenter, PartialPresentsShowEveryFrameWhole) {
  system.Caps.PerPixelAlpha = true;
  TForm form(system, "TPartial");
  Tf2LayerFunc layer(form);
  layer.SetLayerEnabled(true);
  SetRandSeed(77);
  TChimora chime;
  chime.SetWind(12);
  TBitmap whole;
  whole.SetPixelFormat(TPixelFormat::pf32bit);
  whole.SetSize(TChimora::FrameSize, TChimora::FrameSize);
  for (int i = 0; i < 300; ++i) {
    chime.Tick();
    system.RefuseLayers = i % 100 >= 60 && i % 100 < 70;
    try {
      layer.PresentAt(0, 0, chime, chime.Changed());
    } catch (const Exception&) {
      ASSERT_TRUE(system.RefuseLayers);
      continue;
    }
    DrawBitmapAt(0, 0, whole, tmPremultiplied, chime);
    const TBitmap& shown = system.Of(form.Handle()).Layered;
    for (int32_t y = 0; y < whole.Height(); ++y) {
      ASSERT_EQ(std::memcmp(shown.ScanLine(y), whole.ScanLine(y), 4 * TChimora::FrameSize), 0) << "frame " << i << " row " << y;
    }
  }
}

TEST_F(Presenter, ColourKeyAndClipping) {
  TForm form(system, "TClip");
  Tf2LayerFunc layer(form);
  layer.ClipAutoSize = true;
  TBitmap grey;
  grey.SetSize(6, 4);  // 24-bit: converted in place, top-left colour transparent
  grey.ScanLine(2)[3] = 0xFF;
  layer.PresentAt(0, 0, grey);
  EXPECT_EQ(grey.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(layer.Picture()->Width(), 1);
  EXPECT_EQ(layer.Picture()->Height(), 1);
  TBitmap faint = Picture(8, 8, 20);
  layer.PresentAt(0, 0, faint);
  EXPECT_TRUE(layer.Picture()->Empty());
}

TEST_F(Presenter, DragStartsOnlyWithTheLeftButtonAloneAndOffControls) {
  TForm form(system, "TDrag");
  TLabel control(form);
  control.SetBounds(10, 10, 20, 20);
  Tf2LayerFunc layer(form);
  int32_t answer = -1;  // -1: no handler; 0/1: the handler's verdict
  layer.OnCanDragMove = [&](void*, int32_t, int32_t, bool& drag) {
    if (answer >= 0) drag = answer == 1;
  };
  struct Case {
    uintptr_t keys;
    int32_t x, y, handler;
    int32_t loops;
  };
  const Case cases[] = {
      {MK_LBUTTON, 50, 50, -1, 1},              // free area
      {MK_LBUTTON, 15, 15, -1, 0},              // on the control
      {MK_LBUTTON, 10, 15, -1, 1},              // its edge is outside (strict)
      {MK_LBUTTON | MK_SHIFT, 50, 50, -1, 0},   // Shift held
      {MK_LBUTTON | MK_CONTROL, 50, 50, -1, 0}, // Ctrl held
      {MK_LBUTTON, 50, 50, 0, 0},               // the handler refuses
      {MK_LBUTTON, 15, 15, 1, 1},               // the handler allows it over the control
  };
  for (const Case& c : cases) {
    const int32_t before = system.Of(form.Handle()).MoveLoops;
    answer = c.handler;
    form.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(c.x, c.y));
    form.Perform(WM_MOUSEMOVE, c.keys, MakeLParam(c.x, c.y));
    EXPECT_EQ(system.Of(form.Handle()).MoveLoops - before, c.loops) << c.x << "," << c.keys << "," << c.handler;
    // The system's loop is handed the message's own point.
    if (c.loops == 1) {
      EXPECT_EQ(system.Of(form.Handle()).MoveLoopLParam, MakeLParam(c.x, c.y));
    }
  }
  // A refused drag clears the button state: no drag until the next press.
  answer = 0;
  form.Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(50, 50));
  answer = -1;
  const int32_t before = system.Of(form.Handle()).MoveLoops;
  form.Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(50, 50));
  EXPECT_EQ(system.Of(form.Handle()).MoveLoops, before);
}

TEST_F(Presenter, DropsInOrderThenFinish) {
  TForm form(system, "TDrop");
  Tf2LayerFunc layer(form);
  std::vector<AnsiString> events;
  layer.OnDropFile = [&](void*, const AnsiString& name) { events.push_back(name); };
  layer.OnDropFinish = [&](void*) { events.push_back("finish"); };
  const AnsiString longName = "/tmp/" + AnsiString(400, 'x') + ".png";
  TDropFiles drop{{"/a.png", longName}};
  form.Perform(WM_DROPFILES, drop.Handle());  // DragDrop false: nothing
  EXPECT_TRUE(events.empty());
  layer.SetDragDrop(true);
  EXPECT_TRUE(system.Of(form.Handle()).AcceptsDrops);
  system.Drop(form.Handle(), drop.Names);
  EXPECT_EQ(events, (std::vector<AnsiString>{"/a.png", longName, "finish"}));  // names are not cut
}

TEST_F(Presenter, RestoredPositionsOnNoMonitorComeBackToTheCentre) {
  struct Case {
    int32_t left, top, width;
    TRect expected;
  };
  const Case cases[] = {
      {100, 200, 300, {100, 200, 400, 400}},                      // on the work area
      {-5, 200, 300, {-5, 200, 295, 400}},                        // its left edge is off, its right on
      {100, 1035, 300, {810, 440, 1110, 640}},                    // within 8 px of the bottom
      {-300, 200, 300, {-300, 200, 0, 400}},                      // its right edge is on the area
      {2000000000, -2000000000, 300, {810, 440, 1110, 640}},      // absurd stored values
      {2147483647, -2147483647 - 1, 300, {810, 440, 1110, 640}},  // the far edge past the 32-bit range
      {5000, 200, 3000, {0, 440, 1920, 640}},                     // wider than the screen
  };
  for (const Case& c : cases) {
    Globals().IniWriteInteger("TKEEP", "LEFT", c.left);
    Globals().IniWriteInteger("TKEEP", "TOP", c.top);
    TForm form(system, "TKeep");
    form.SetBounds(0, 0, c.width, 200);
    Tf2LayerFunc layer(form);
    layer.KeepLocation = true;
    form.Show();
    EXPECT_EQ(form.BoundsRect(), c.expected) << c.left;
  }
}

// Where windows belong to one screen, the dock site names it and the place is
// relative to it; a name no screen has, or none, leaves a screen position.
TEST_F(Presenter, APlaceKeptOnANamedScreenIsRelativeToIt) {
  system.WorkAreas = {TRect{0, 0, 1920, 1040}, TRect{1920, 0, 3840, 1040}};
  system.ScreenOrigins = {{"DP-2", TPoint{1920, 0}}};
  const struct {
    const char* site;
    int32_t left;
  } cases[] = {{"DP-2", 2020}, {"", 100}, {"DP-9", 100}};
  for (const auto& c : cases) {
    Globals().IniWriteString("TKEEP", "DOCKSITE", c.site);
    Globals().IniWriteInteger("TKEEP", "LEFT", 100);
    Globals().IniWriteInteger("TKEEP", "TOP", 0);
    TForm form(system, "TKeep");
    form.SetBounds(0, 0, 160, 160);
    Tf2LayerFunc layer(form);
    layer.KeepLocation = true;
    form.Show();
    EXPECT_EQ(form.Left(), c.left) << c.site;
    system.WindowsScreen = c.site;
    form.SetBounds(form.Left() + 50, 0, 160, 160);
    layer.Release();
    EXPECT_EQ(Stored("TKEEP", "LEFT"), 150) << c.site;
    EXPECT_EQ(Globals().IniReadString("TKEEP", "DOCKSITE", "none"), c.site);
  }
}

TEST_F(Presenter, SavesRestoredRectangleOfAMaximisedFormAndDockSiteEmpty) {
  {
    TForm form(system, "TMax");
    form.SetBounds(10, 20, 300, 200);
    Tf2LayerFunc layer(form);
    layer.KeepLocation = true;
    layer.KeepSize = true;
    form.Perform(WM_SIZE, SIZE_RESTORED);
    system.Of(form.Handle()).Zoomed = true;
    form.SetBounds(0, 0, 1920, 1040);
    form.Perform(WM_SIZE, SIZE_MAXIMIZED);
  }
  EXPECT_EQ(Stored("TMAX", "LEFT"), 10);
  EXPECT_EQ(Stored("TMAX", "TOP"), 20);
  EXPECT_EQ(Stored("TMAX", "WIDTH"), 300);
  EXPECT_EQ(Stored("TMAX", "HEIGHT"), 200);
  EXPECT_EQ(Globals().IniReadString("TMAX", "DOCKSITE", "none"), "");
}

TEST_F(Presenter, SnapsToWorkAreaAndWindowEdges) {
  system.Others = {TTopWindow{1, {500, 0, 800, 300}, true}, TTopWindow{2, {0, 600, 900, 700}, false}};
  struct Case {
    int32_t fitPix, left, top;
    TPoint expected;
  };
  const Case cases[] = {
      {0, 5, 5, {5, 5}},         // off: nothing snaps
      {10, 5, 5, {0, 0}},        // work area's top-left corner
      {10, 1925 - 100, 400, {1820, 400}},  // right edge of the work area
      {10, 395, 100, {400, 100}},          // its right edge meets the window's left
      {10, 806, 100, {800, 100}},          // its left edge meets the window's right
      {10, 600, 305, {600, 300}},          // below the window
      {10, 300, 495, {300, 495}},          // the hidden window does not count
  };
  for (const Case& c : cases) {
    TForm form(system, "TSnap");
    form.SetBounds(c.left, c.top, 100, 100);
    Tf2LayerFunc layer(form);
    layer.FitPix = c.fitPix;
    int exits = 0;
    layer.OnExitSizeMove = [&](void*) { ++exits; };
    form.Perform(WM_EXITSIZEMOVE);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ((TPoint{form.Left(), form.Top()}), c.expected) << c.left << "," << c.top;
  }
}

}  // namespace
