#pragma once
// Two wl_shm buffers of one size in premultiplied ARGB8888 (in memory blue,
// green, red, alpha: the layout of our 32-bit bitmap). A buffer is written only
// while the compositor does not hold it; each remembers what it has missed, so
// only that is copied into it.
#include <wayland-client.h>

#include <array>
#include <cstdint>
#include <functional>

#include "platform/graphics/Bitmap.h"
#include "platform/Types.h"

class TShmBuffers {
 public:
  // onReleased: a buffer came free (a picture may be waiting for one).
  TShmBuffers(wl_shm* shm, std::function<void()> onReleased);
  ~TShmBuffers();
  TShmBuffers(const TShmBuffers&) = delete;
  TShmBuffers& operator=(const TShmBuffers&) = delete;

  // The picture changed inside rect.
  void Changed(const TRect& rect);
  // A buffer holding `picture` (whose size is the buffers' size from now on),
  // marked held by the compositor; null while both are held.
  wl_buffer* Take(const TBitmap& picture);

 private:
  struct TBuffer {
    wl_buffer* Buffer = nullptr;
    uint8_t* Data = nullptr;
    size_t Bytes = 0;
    bool Held = false;
    TRect Missed;  // what changed since it was written
  };
  static void Released(void* data, wl_buffer* buffer);
  bool Create(TBuffer& buffer, int32_t width, int32_t height);
  void Destroy(TBuffer& buffer);

  wl_shm* FShm;
  std::function<void()> FOnReleased;
  std::array<TBuffer, 2> FBuffers;
  int32_t FWidth = 0, FHeight = 0;
};

// The smallest rectangle holding both; an empty one adds nothing.
TRect Bounding(const TRect& a, const TRect& b);
