#include "platform/wayland/ShmBuffers.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {
bool IsEmpty(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }
}  // namespace

TRect Bounding(const TRect& a, const TRect& b) {
  if (IsEmpty(a)) return b;
  if (IsEmpty(b)) return a;
  return TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

TShmBuffers::TShmBuffers(wl_shm* shm, std::function<void()> onReleased) : FShm(shm), FOnReleased(std::move(onReleased)) {}

TShmBuffers::~TShmBuffers() {
  for (TBuffer& buffer : FBuffers) Destroy(buffer);
}

void TShmBuffers::Destroy(TBuffer& buffer) {
  // The compositor may still read a destroyed buffer's pixels: from its own mapping.
  if (buffer.Buffer != nullptr) wl_buffer_destroy(buffer.Buffer);
  if (buffer.Data != nullptr) ::munmap(buffer.Data, buffer.Bytes);
  buffer = TBuffer{};
}

bool TShmBuffers::Create(TBuffer& buffer, int32_t width, int32_t height) {
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
  const int fd = ::memfd_create("chimora-frame", MFD_CLOEXEC);
  if (fd < 0) return false;
  void* data = MAP_FAILED;
  if (::ftruncate(fd, static_cast<off_t>(bytes)) == 0) data = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (data == MAP_FAILED) {
    ::close(fd);
    return false;
  }
  wl_shm_pool* pool = wl_shm_create_pool(FShm, fd, static_cast<int32_t>(bytes));
  buffer.Buffer = wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_ARGB8888);
  wl_shm_pool_destroy(pool);
  ::close(fd);
  buffer.Data = static_cast<uint8_t*>(data);
  buffer.Bytes = bytes;
  buffer.Missed = TRect{0, 0, width, height};
  static const wl_buffer_listener listener{Released};
  wl_buffer_add_listener(buffer.Buffer, &listener, this);
  return true;
}

void TShmBuffers::Released(void* data, wl_buffer* released) {
  auto* self = static_cast<TShmBuffers*>(data);
  for (TBuffer& buffer : self->FBuffers) {
    if (buffer.Buffer == released) buffer.Held = false;
  }
  if (self->FOnReleased) self->FOnReleased();
}

void TShmBuffers::Changed(const TRect& rect) {
  for (TBuffer& buffer : FBuffers) buffer.Missed = Bounding(buffer.Missed, rect);
}

wl_buffer* TShmBuffers::Take(const TBitmap& picture) {
  const int32_t w = picture.Width(), h = picture.Height();
  if (w != FWidth || h != FHeight) {
    for (TBuffer& buffer : FBuffers) Destroy(buffer);
    FWidth = w;
    FHeight = h;
  }
  const auto free = std::find_if(FBuffers.begin(), FBuffers.end(), [](const TBuffer& b) { return !b.Held; });
  if (free == FBuffers.end()) return nullptr;
  if (free->Buffer == nullptr && !Create(*free, w, h)) return nullptr;
  const TRect r{std::max(free->Missed.Left, 0), std::max(free->Missed.Top, 0), std::min(free->Missed.Right, w),
                std::min(free->Missed.Bottom, h)};
  if (!IsEmpty(r)) {
    const size_t bytes = static_cast<size_t>(r.Right - r.Left) * 4;
    for (int32_t y = r.Top; y < r.Bottom; ++y) {
      std::memcpy(free->Data + (static_cast<size_t>(y) * w + r.Left) * 4, picture.ScanLine(y) + 4 * r.Left, bytes);
    }
  }
  free->Missed = TRect{};
  free->Held = true;
  return free->Buffer;
}
