#define _GNU_SOURCE
/* The Wayland floor of the cost benchmark (wayland-cost.sh): the cheapest client
 * that shows what the chime shows natively, a 160x160 top-layer surface that
 * attaches one fixed premultiplied frame every 50 ms from a poll and timerfd
 * loop (two wl_shm buffers, the same frame in both, each reused once released). */
#include <poll.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <wayland-client.h>

#include "wlr-layer-shell-unstable-v1-client-protocol.h"

enum { kSize = 160, kPeriodNs = 50 * 1000 * 1000 };

static struct wl_compositor* compositor;
static struct wl_shm* shm;
static struct zwlr_layer_shell_v1* layers;
static int configured, held[2];

static void Global(void* data, struct wl_registry* r, uint32_t name, const char* interface, uint32_t version) {
  (void)data, (void)version;
  if (!strcmp(interface, "wl_compositor")) compositor = wl_registry_bind(r, name, &wl_compositor_interface, 4);
  if (!strcmp(interface, "wl_shm")) shm = wl_registry_bind(r, name, &wl_shm_interface, 1);
  if (!strcmp(interface, "zwlr_layer_shell_v1")) layers = wl_registry_bind(r, name, &zwlr_layer_shell_v1_interface, 1);
}
static void GlobalRemove(void* data, struct wl_registry* r, uint32_t name) { (void)data, (void)r, (void)name; }
static void Configure(void* data, struct zwlr_layer_surface_v1* s, uint32_t serial, uint32_t w, uint32_t h) {
  (void)data, (void)w, (void)h;
  zwlr_layer_surface_v1_ack_configure(s, serial);
  configured = 1;
}
static void Closed(void* data, struct zwlr_layer_surface_v1* s) { (void)data, (void)s; }
static void Release(void* data, struct wl_buffer* b) { (void)b, *(int*)data = 0; }

int main(void) {
  struct wl_display* display = wl_display_connect(NULL);
  if (!display) return 1;
  static const struct wl_registry_listener registry = {Global, GlobalRemove};
  wl_registry_add_listener(wl_display_get_registry(display), &registry, NULL);
  wl_display_roundtrip(display);
  if (!compositor || !shm || !layers) return 1;
  const int bytes = kSize * kSize * 4;
  const int fd = memfd_create("floor", MFD_CLOEXEC);
  if (ftruncate(fd, 2 * bytes) != 0) return 1;
  uint8_t* pixels = mmap(NULL, 2 * bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  for (int i = 0; i < 2 * kSize * kSize; ++i) { /* a translucent disc, premultiplied */
    const int x = i % kSize - kSize / 2, y = (i / kSize) % kSize - kSize / 2;
    const uint8_t a = x * x + y * y < 60 * 60 ? 128 : 0;
    pixels[4 * i] = pixels[4 * i + 1] = pixels[4 * i + 2] = a / 2, pixels[4 * i + 3] = a;
  }
  struct wl_shm_pool* pool = wl_shm_create_pool(shm, fd, 2 * bytes);
  struct wl_buffer* buffers[2];
  static const struct wl_buffer_listener released = {Release};
  for (int i = 0; i < 2; ++i) {
    buffers[i] = wl_shm_pool_create_buffer(pool, i * bytes, kSize, kSize, kSize * 4, WL_SHM_FORMAT_ARGB8888);
    wl_buffer_add_listener(buffers[i], &released, &held[i]);
  }
  struct wl_surface* surface = wl_compositor_create_surface(compositor);
  struct zwlr_layer_surface_v1* layer = zwlr_layer_shell_v1_get_layer_surface(layers, surface, NULL, ZWLR_LAYER_SHELL_V1_LAYER_TOP, "floor");
  static const struct zwlr_layer_surface_v1_listener listener = {Configure, Closed};
  zwlr_layer_surface_v1_add_listener(layer, &listener, NULL);
  zwlr_layer_surface_v1_set_size(layer, kSize, kSize);
  zwlr_layer_surface_v1_set_anchor(layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
  wl_surface_commit(surface);
  const int timer = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC);
  const struct itimerspec period = {{0, kPeriodNs}, {0, kPeriodNs}};
  timerfd_settime(timer, 0, &period, NULL);
  struct pollfd fds[2] = {{wl_display_get_fd(display), POLLIN, 0}, {timer, POLLIN, 0}};
  for (;;) {
    while (wl_display_prepare_read(display) != 0) wl_display_dispatch_pending(display);
    wl_display_flush(display);
    if (poll(fds, 2, -1) < 0) break;
    if (fds[0].revents) {
      if (wl_display_read_events(display) < 0) break;
    } else {
      wl_display_cancel_read(display);
    }
    if (wl_display_dispatch_pending(display) < 0) break;
    uint64_t n;
    if (fds[1].revents && read(timer, &n, sizeof n) == sizeof n && configured) {
      const int free = held[0] ? (held[1] ? -1 : 1) : 0;
      if (free < 0) continue;
      held[free] = 1;
      wl_surface_attach(surface, buffers[free], 0, 0);
      wl_surface_damage_buffer(surface, 0, 0, kSize, kSize);
      wl_surface_commit(surface);
    }
  }
  return 0;
}
