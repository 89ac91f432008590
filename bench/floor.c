/* The cheapest program that shows what the chime shows: a 160x160 window with
 * per-pixel alpha that puts one precomputed premultiplied frame 20 times a
 * second from a poll and timerfd loop. The desktop cost benchmark measures the
 * chime against it. Usage: floor [x y] */
#include <poll.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <xcb/xcb.h>

enum { kSize = 160, kPeriodNs = 50 * 1000 * 1000 };

static xcb_visualid_t ArgbVisual(const xcb_screen_t* screen) {
  for (xcb_depth_iterator_t d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
    if (d.data->depth != 32) continue;
    for (xcb_visualtype_iterator_t v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
      if (v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR) return v.data->visual_id;
    }
  }
  return 0;
}

/* A translucent disc with an opaque ring, premultiplied, blue-green-red-alpha. */
static void Frame(uint8_t* pixels) {
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const int dx = x - kSize / 2, dy = y - kSize / 2, d2 = dx * dx + dy * dy;
      const uint8_t a = d2 < 30 * 30 ? 255 : d2 < 60 * 60 ? 128 : 0;
      uint8_t* p = pixels + 4 * (y * kSize + x);
      p[0] = (uint8_t)(0x40 * a / 255);
      p[1] = (uint8_t)(0x60 * a / 255);
      p[2] = (uint8_t)(0x90 * a / 255);
      p[3] = a;
    }
  }
}

int main(int argc, char** argv) {
  const int16_t x = argc > 2 ? (int16_t)atoi(argv[1]) : 0, y = argc > 2 ? (int16_t)atoi(argv[2]) : 0;
  xcb_connection_t* c = xcb_connect(NULL, NULL);
  if (xcb_connection_has_error(c)) {
    fprintf(stderr, "floor: cannot open the display\n");
    return 1;
  }
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_visualid_t visual = ArgbVisual(screen);
  if (visual == 0) {
    fprintf(stderr, "floor: no depth-32 visual\n");
    return 1;
  }
  const xcb_colormap_t colormap = xcb_generate_id(c);
  xcb_create_colormap(c, XCB_COLORMAP_ALLOC_NONE, colormap, screen->root, visual);
  const xcb_window_t window = xcb_generate_id(c);
  const uint32_t values[] = {0, 0, XCB_EVENT_MASK_EXPOSURE, colormap};
  xcb_create_window(c, 32, window, screen->root, x, y, kSize, kSize, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
                    XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP, values);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 5, "floor");
  const xcb_gcontext_t gc = xcb_generate_id(c);
  xcb_create_gc(c, gc, window, 0, NULL);
  xcb_map_window(c, window);
  xcb_flush(c);

  static uint8_t pixels[kSize * kSize * 4];
  Frame(pixels);
  const int timer = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC);
  const struct itimerspec period = {{0, kPeriodNs}, {0, kPeriodNs}};
  timerfd_settime(timer, 0, &period, NULL);
  struct pollfd fds[2] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {timer, POLLIN, 0}};
  for (;;) {
    if (poll(fds, 2, -1) < 0) continue;
    for (xcb_generic_event_t* event; (event = xcb_poll_for_event(c)) != NULL;) free(event);
    if (xcb_connection_has_error(c)) return 0;
    if (fds[1].revents & POLLIN) {
      uint64_t expirations;
      if (read(timer, &expirations, sizeof expirations) < 0) continue;
      xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, gc, kSize, kSize, 0, 0, 0, 32, sizeof pixels, pixels);
      xcb_flush(c);
    }
  }
}
