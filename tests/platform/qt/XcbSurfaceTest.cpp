// What the server holds in a layered window is the whole premultiplied frame,
// frame after frame, whether the pixels travel through shared memory or in the
// requests, across exposes and layered switches.
#include <gtest/gtest.h>
#include <sched.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "chime/ClassChimora.h"
#include "imaging/AlphaTransfer.h"
#include "platform/qt/XcbSurface.h"
#include "platform/system/Random.h"
// Last: Xlib's macros would break the headers above.
#include "XServer.h"

namespace {

xcb_visualid_t ArgbVisual(const xcb_screen_t* screen) {
  for (xcb_depth_iterator_t d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
    if (d.data->depth != 32) continue;
    for (xcb_visualtype_iterator_t v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
      if (v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR) return v.data->visual_id;
    }
  }
  return 0;
}

// The first pixel where the window differs from the frame, or -1.
int FirstDifference(xcb_connection_t* c, xcb_window_t window, const TBitmap& frame) {
  const int w = frame.Width(), h = frame.Height();
  xcb_get_image_reply_t* image = xcb_get_image_reply(
      c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, static_cast<uint16_t>(w), static_cast<uint16_t>(h), ~0u), nullptr);
  if (image == nullptr || xcb_get_image_data_length(image) != w * h * 4) {
    std::free(image);
    return 0;
  }
  const uint8_t* pixels = xcb_get_image_data(image);
  int at = -1;
  for (int y = 0; y < h && at < 0; ++y) {
    for (int x = 0; x < w && at < 0; ++x) {
      if (std::memcmp(pixels + 4 * (y * w + x), frame.ScanLine(y) + 4 * x, 4) != 0) at = y * w + x;
    }
  }
  std::free(image);
  return at;
}

enum class TPath { SharedMemory, InTheRequests, AnotherIpcNamespace };

class Surface : public ::testing::TestWithParam<TPath> {};

TEST_P(Surface, WindowHoldsEveryFrameWhole) {
  const bool sharedMemory = GetParam() != TPath::InTheRequests;
  // With a compositing manager the window keeps its own 32-bit pixels, alpha included, to read back.
  XServer x(true, sharedMemory ? std::vector<const char*>{} : std::vector<const char*>{"-extension", "MIT-SHM"});
  // From here on this process shares no SysV segment with the server (it runs last).
  if (GetParam() == TPath::AnotherIpcNamespace) {
    ASSERT_EQ(::unshare(CLONE_NEWIPC), 0) << std::strerror(errno);
  }
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  ASSERT_EQ(xcb_connection_has_error(c), 0);
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_visualid_t visual = ArgbVisual(screen);
  ASSERT_NE(visual, 0u);
  const xcb_colormap_t colormap = xcb_generate_id(c);
  xcb_create_colormap(c, XCB_COLORMAP_ALLOC_NONE, colormap, screen->root, visual);
  const xcb_window_t window = xcb_generate_id(c);
  const uint32_t values[] = {0, 0, 1, XCB_EVENT_MASK_EXPOSURE, colormap};
  xcb_create_window(c, 32, window, screen->root, 20, 0, TChimora::FrameSize, TChimora::FrameSize, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    visual, XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
                    values);
  xcb_map_window(c, window);
  {
    TXcbSurface surface(c, window);
    SetRandSeed(2024);
    TChimora chime;
    chime.SetWind(12);  // the strongest: most pixels change
    TBitmap frame;
    frame.SetPixelFormat(TPixelFormat::pf32bit);
    frame.SetSize(TChimora::FrameSize, TChimora::FrameSize);
    for (int i = 0; i < 300; ++i) {
      chime.Tick();
      DrawBitmapAt(0, 0, frame, tmPremultiplied, chime);
      surface.ShowLayered(frame, chime.Changed());
      if (i % 37 == 5) surface.Exposed();  // while the partial upload is still on its way
      if (i % 100 == 50) surface.SetLayered();
      xcb_flush(c);
      for (xcb_generic_event_t* e; (e = xcb_poll_for_event(c)) != nullptr; std::free(e)) {
        if ((e->response_type & 0x7F) == XCB_EXPOSE) surface.Exposed();
      }
      ASSERT_EQ(FirstDifference(c, window, frame), -1) << "frame " << i;
    }
    EXPECT_EQ(surface.SharedMemory(), sharedMemory);
  }
  xcb_disconnect(c);
}

INSTANTIATE_TEST_SUITE_P(MitShm, Surface, ::testing::Values(TPath::SharedMemory, TPath::InTheRequests, TPath::AnotherIpcNamespace),
                         [](const auto& info) {
                           return info.param == TPath::SharedMemory ? "SharedMemory" : info.param == TPath::InTheRequests ? "InTheRequests"
                                                                                                                          : "AnotherIpcNamespace";
                         });

}  // namespace
