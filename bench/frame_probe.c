/* The longest hold of a program's main loop, seen from its frames: preloaded into
 * the chime, it notes the program's own monotonic clock at every picture the
 * main thread puts on the X server. The chime puts one every 50 ms tick, so a
 * gap well past 50 ms is the main loop held that long. Nothing the program does
 * changes; it adds a clock read per frame.
 *   LD_PRELOAD=libframe_probe.so FRAME_PROBE=FILE chimora
 * FILE gets "gap MONOTONIC_MS GAP_MS" for each gap above 60 ms as it ends, and at
 * the end "frames COUNT longest GAP_MS". */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

static double Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static FILE* Log(void) {
  static FILE* log;
  static int opened;
  if (!opened) {
    opened = 1;
    const char* name = getenv("FRAME_PROBE");
    if (name != NULL && (log = fopen(name, "a")) != NULL) setvbuf(log, NULL, _IOLBF, 0);
  }
  return log;
}

static double last = -1, longest;
static long frames;

static void Frame(void) {
  if (syscall(SYS_gettid) != getpid()) return;
  const double now = Now();
  if (last >= 0) {
    const double gap = now - last;
    if (gap > longest) longest = gap;
    if (gap > 60 && Log() != NULL) fprintf(Log(), "gap %.1f %.1f\n", now, gap);
  }
  last = now;
  ++frames;
}

__attribute__((destructor)) static void End(void) {
  if (Log() != NULL) fprintf(Log(), "frames %ld longest %.1f\n", frames, longest);
}

xcb_void_cookie_t xcb_put_image(xcb_connection_t* c, uint8_t format, xcb_drawable_t drawable, xcb_gcontext_t gc,
                                uint16_t width, uint16_t height, int16_t x, int16_t y, uint8_t pad, uint8_t depth,
                                uint32_t length, const uint8_t* data) {
  static __typeof__(&xcb_put_image) real;
  if (real == NULL) real = (__typeof__(&xcb_put_image))dlsym(RTLD_NEXT, "xcb_put_image");
  Frame();
  return real(c, format, drawable, gc, width, height, x, y, pad, depth, length, data);
}

xcb_void_cookie_t xcb_shm_put_image(xcb_connection_t* c, xcb_drawable_t drawable, xcb_gcontext_t gc, uint16_t total_width,
                                    uint16_t total_height, uint16_t src_x, uint16_t src_y, uint16_t src_width,
                                    uint16_t src_height, int16_t dst_x, int16_t dst_y, uint8_t depth, uint8_t format,
                                    uint8_t send_event, xcb_shm_seg_t shmseg, uint32_t offset) {
  static __typeof__(&xcb_shm_put_image) real;
  if (real == NULL) real = (__typeof__(&xcb_shm_put_image))dlsym(RTLD_NEXT, "xcb_shm_put_image");
  Frame();
  return real(c, drawable, gc, total_width, total_height, src_x, src_y, src_width, src_height, dst_x, dst_y, depth,
              format, send_event, shmseg, offset);
}
