#include "platform/qt/XcbSurface.h"

#include <sys/mman.h>
#include <sys/socket.h>
#include <xcb/shape.h>
#include <xcb/shm.h>
#include <unistd.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/graphics/Region.h"

namespace {

// How far outside the window the pointer may be for the input shape to follow
// the picture: about what a brisk hand covers between two answers.
constexpr int32_t kPointerReach = 128;

std::vector<xcb_rectangle_t> XcbRects(const std::vector<TRect>& rects) {
  std::vector<xcb_rectangle_t> out;
  out.reserve(rects.size());
  for (const TRect& r : rects) {
    out.push_back(xcb_rectangle_t{static_cast<int16_t>(r.Left), static_cast<int16_t>(r.Top),
                                  static_cast<uint16_t>(r.Right - r.Left), static_cast<uint16_t>(r.Bottom - r.Top)});
  }
  return out;
}

// Descriptors pass only over a local socket; over TCP the server shares no memory with us.
bool LocalSocket(xcb_connection_t* connection) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  return ::getsockname(xcb_get_file_descriptor(connection), reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
         address.ss_family == AF_UNIX;
}

// Segments handed over by descriptor (MIT-SHM 1.2): the server maps our own
// memory, whatever IPC namespace either of us lives in.
bool AttachesDescriptors(xcb_connection_t* connection) {
  const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection, &xcb_shm_id);
  if (shm == nullptr || !shm->present || !LocalSocket(connection)) return false;
  xcb_shm_query_version_reply_t* version = xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr);
  const bool fds = version != nullptr && (version->major_version > 1 || (version->major_version == 1 && version->minor_version >= 2));
  std::free(version);
  return fds;
}

}  // namespace

TXcbSurface::TXcbSurface(xcb_connection_t* connection, xcb_window_t window) : FConnection(connection), FWindow(window) {
  xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(FConnection, xcb_get_geometry(FConnection, FWindow), nullptr);
  if (geometry != nullptr) FDepth = geometry->depth;
  std::free(geometry);
  const uint32_t noPixmap = XCB_BACK_PIXMAP_NONE;
  xcb_change_window_attributes(FConnection, FWindow, XCB_CW_BACK_PIXMAP, &noPixmap);
  FGc = xcb_generate_id(FConnection);
  const uint32_t noExposures = 0;
  xcb_create_gc(FConnection, FGc, FWindow, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
  FShown.SetPixelFormat(TPixelFormat::pf32bit);
}

TXcbSurface::~TXcbSurface() {
  ReleaseSegments();
  for (const TQuestion& question : FQuestions) xcb_discard_reply(FConnection, question.Sequence);
  if (FGc != 0) xcb_free_gc(FConnection, FGc);
}

void TXcbSurface::PutImage(int32_t x, int32_t y, int32_t width, int32_t rows, const uint8_t* data) {
  // Rows of 32-bit pixels are the Z-pixmap layout; the connection splits nothing,
  // so large pictures go a band of rows at a time within the request limit.
  const uint32_t stride = static_cast<uint32_t>(width) * 4;
  const uint32_t maxBytes = xcb_get_maximum_request_length(FConnection) * 4 - 64;
  const int32_t band = std::max<int32_t>(1, static_cast<int32_t>(maxBytes / stride));
  for (int32_t top = 0; top < rows; top += band) {
    const int32_t n = std::min(band, rows - top);
    xcb_put_image(FConnection, XCB_IMAGE_FORMAT_Z_PIXMAP, FWindow, FGc, static_cast<uint16_t>(width), static_cast<uint16_t>(n),
                  static_cast<int16_t>(x), static_cast<int16_t>(y + top), 0, FDepth, stride * static_cast<uint32_t>(n),
                  data + static_cast<size_t>(top) * stride);
  }
}

void TXcbSurface::Upload(int32_t x, int32_t y, const TBitmap& bitmap) {
  if (bitmap.Empty() || bitmap.PixelFormat() != TPixelFormat::pf32bit) return;
  PutImage(x, y, bitmap.Width(), bitmap.Height(), bitmap.ScanLine(0));
}

void TXcbSurface::Fill(const TRect& rect, Color32 color) {
  const uint32_t pixel = 0xFF000000u | ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
  xcb_change_gc(FConnection, FGc, XCB_GC_FOREGROUND, &pixel);
  const xcb_rectangle_t r = XcbRects({rect}).front();
  xcb_poly_fill_rectangle(FConnection, FWindow, FGc, 1, &r);
}

void TXcbSurface::ShowLayered(const TBitmap& picture, const TRect& changed) {
  if (picture.Empty() || picture.PixelFormat() != TPixelFormat::pf32bit) return;
  ReadAnswers();
  const TRect sent = TakeChanges(picture, changed);
  if (FShapeStale && (FPointerNear || !FInputShaped)) UpdateInputShape();
  FAskNow = !FAskNow;
  const bool ask = FAskNow && FQuestions.size() < FSegments.size();
  if (sent.Right > sent.Left) {
    Send(sent, ask);
  } else if (ask) {
    AskPointer();
  }
}

// What to send: `changed`, which the shown copy takes; everything when the
// server's copy is in doubt.
TRect TXcbSurface::TakeChanges(const TBitmap& picture, TRect changed) {
  const int32_t w = picture.Width(), h = picture.Height();
  if (FWhole || FShown.Width() != w || FShown.Height() != h) {
    FShown.SetSize(w, h);
    changed = TRect{0, 0, w, h};
    FWhole = false;
  }
  changed = TRect{std::max(changed.Left, 0), std::max(changed.Top, 0), std::min(changed.Right, w), std::min(changed.Bottom, h)};
  if (changed.Right <= changed.Left || changed.Bottom <= changed.Top) return TRect{};
  const size_t bytes = static_cast<size_t>(changed.Right - changed.Left) * 4;
  for (int32_t y = changed.Top; y < changed.Bottom; ++y) {
    std::memcpy(FShown.ScanLine(y) + 4 * changed.Left, picture.ScanLine(y) + 4 * changed.Left, bytes);
  }
  FShapeStale = true;
  return changed;
}

// A rectangle of the picture, and the question when asked, after the segment it
// frees. The requests of one present leave together: the small ones queue, and a
// large image, sent last, takes them along.
void TXcbSurface::Send(const TRect& rect, bool ask) {
  const int32_t w = FShown.Width(), h = FShown.Height();
  const int32_t width = rect.Right - rect.Left, rows = rect.Bottom - rect.Top;
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  if (TSegment* segment = FreeSegment()) {
    // Each row where it lies in the whole picture; the rest of the segment is never read.
    for (int32_t y = rect.Top; y < rect.Bottom; ++y) {
      std::memcpy(segment->Data + (static_cast<size_t>(y) * w + rect.Left) * 4, FShown.ScanLine(y) + 4 * rect.Left, rowBytes);
    }
    xcb_shm_put_image(FConnection, FWindow, FGc, static_cast<uint16_t>(w), static_cast<uint16_t>(h),
                      static_cast<uint16_t>(rect.Left), static_cast<uint16_t>(rect.Top), static_cast<uint16_t>(width),
                      static_cast<uint16_t>(rows), static_cast<int16_t>(rect.Left), static_cast<int16_t>(rect.Top), FDepth,
                      XCB_IMAGE_FORMAT_Z_PIXMAP, 0, segment->Id, 0);
    segment->Busy = true;
    FUnasked |= 1u << (segment - FSegments.data());
    if (ask) AskPointer();
    return;
  }
  if (ask) AskPointer();
  FPacked.resize(rowBytes * static_cast<size_t>(rows));
  for (int32_t y = rect.Top; y < rect.Bottom; ++y) {
    std::memcpy(FPacked.data() + static_cast<size_t>(y - rect.Top) * rowBytes, FShown.ScanLine(y) + 4 * rect.Left, rowBytes);
  }
  PutImage(rect.Left, rect.Top, width, rows, FPacked.data());
}

// A segment the server is not reading; none when it lags two frames behind, has
// not yet said it holds the segments, or there is no shared memory.
TXcbSurface::TSegment* TXcbSurface::FreeSegment() {
  const size_t bytes = static_cast<size_t>(FShown.Width()) * static_cast<size_t>(FShown.Height()) * 4;
  if (bytes > FSegmentBytes) {
    if (FShmTried && FSegmentBytes == 0) return nullptr;
    ReleaseSegments();
    if (!CreateSegments(bytes)) return nullptr;
  }
  for (size_t i = 0; i < FSegments.size(); ++i) {
    TSegment& segment = FSegments[(FNextSegment + i) % FSegments.size()];
    if (!Attached(segment, false)) {
      if (FSegmentBytes == 0) return nullptr;  // refused: no shared memory from now on
      continue;
    }
    if (!segment.Busy) {
      FNextSegment = (FNextSegment + i + 1) % FSegments.size();
      return &segment;
    }
  }
  return nullptr;
}

// Whether the server holds the segment; a refusal releases them all. Without
// waiting, an answer not yet read counts as no.
bool TXcbSurface::Attached(TSegment& segment, bool wait) {
  if (segment.Attach == 0) return segment.Id != 0;
  void* reply = nullptr;
  xcb_generic_error_t* error = nullptr;
  if (wait) {
    error = xcb_request_check(FConnection, xcb_void_cookie_t{segment.Attach});
  } else if (xcb_poll_for_reply(FConnection, segment.Attach, &reply, &error) == 0) {
    return false;
  }
  std::free(reply);
  segment.Attach = 0;
  if (error == nullptr) return true;
  std::free(error);
  segment.Id = 0;  // never attached: nothing to detach
  if (!wait) ReleaseSegments();
  return false;
}

// Asked without waiting for the server: the first picture goes in its request,
// the next ones through the segments once the server has them.
bool TXcbSurface::CreateSegments(size_t bytes) {
  FShmTried = true;
  if (!AttachesDescriptors(FConnection)) return false;
  for (TSegment& segment : FSegments) {
    const int fd = ::memfd_create("chimora-frame", MFD_CLOEXEC);
    if (fd < 0) break;
    void* data = ::ftruncate(fd, static_cast<off_t>(bytes)) == 0 ? ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
    if (data == MAP_FAILED) {
      ::close(fd);
      break;
    }
    segment.Data = static_cast<uint8_t*>(data);
    segment.Id = xcb_generate_id(FConnection);
    // The connection sends the descriptor and closes it; the mapping stays ours.
    segment.Attach = xcb_shm_attach_fd_checked(FConnection, segment.Id, fd, 1).sequence;
  }
  FSegmentBytes = bytes;
  if (FSegments.back().Id == 0) {
    ReleaseSegments();
    return false;
  }
  return true;
}

bool TXcbSurface::SharedMemory() const {
  return FSegmentBytes != 0 && std::all_of(FSegments.begin(), FSegments.end(), [](const TSegment& s) { return s.Attach == 0; });
}

void TXcbSurface::ReleaseSegments() {
  for (TSegment& segment : FSegments) {
    if (Attached(segment, true)) xcb_shm_detach(FConnection, segment.Id);
    if (segment.Data != nullptr) ::munmap(segment.Data, FSegmentBytes);
    segment = TSegment{};
  }
  for (TQuestion& question : FQuestions) question.Segments = 0;
  FUnasked = 0;
  FSegmentBytes = 0;
}

void TXcbSurface::Exposed() {
  if (FShown.Empty()) return;
  Send(TRect{0, 0, FShown.Width(), FShown.Height()}, FQuestions.size() < FSegments.size());
}

void TXcbSurface::SetLayered() {
  FWhole = true;
  FInputShaped = false;
  SetBoundingShape(nullptr);
  SetInputShape(nullptr);
}

// The answers that have come: where the pointer was, and the segments the
// server has read since. Never waits.
void TXcbSurface::ReadAnswers() {
  while (!FQuestions.empty()) {
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (xcb_poll_for_reply(FConnection, FQuestions.front().Sequence, &reply, &error) == 0) return;
    if (const auto* at = static_cast<const xcb_query_pointer_reply_t*>(reply)) {
      FPointerNear = at->same_screen && at->win_x >= -kPointerReach && at->win_y >= -kPointerReach &&
                     at->win_x < FShown.Width() + kPointerReach && at->win_y < FShown.Height() + kPointerReach;
    }
    for (size_t i = 0; i < FSegments.size(); ++i) {
      if (FQuestions.front().Segments & (1u << i)) FSegments[i].Busy = false;
    }
    std::free(reply);
    std::free(error);
    FQuestions.erase(FQuestions.begin());
  }
}

// The fence. A server executes one client's requests in the order they were
// sent and replies to a request only once it is executed, and a ShmPutImage
// copies out of the segment while it is executed (into the window's pixels, or
// a GPU texture upload that copies at the call). So the answer to a question
// proves that every segment sent before it has been read, without a completion
// event. Worst case, a server that read a segment later than its request (none
// known) would show rows of the next frame inside the current one, kept until
// that rectangle changes again; a server that stops answering leaves both
// segments busy, and the pictures go in the requests themselves: never a wait.
void TXcbSurface::AskPointer() {
  FQuestions.push_back(TQuestion{xcb_query_pointer(FConnection, FWindow).sequence, FUnasked});
  FUnasked = 0;
}

void TXcbSurface::PointerEntered() {
  if (!FShapeStale || FShown.Empty()) return;
  UpdateInputShape();
  xcb_flush(FConnection);
}

void TXcbSurface::UpdateInputShape() {
  OpaqueRuns(FShown, 1, FVisible);  // a layered window takes clicks where alpha is above 0
  if (!FInputShaped || FVisible != FInputShape) SetInputShape(&FVisible);
  FShapeStale = false;
}

void TXcbSurface::SetBoundingShape(const std::vector<TRect>* rects) {
  if (rects == nullptr) {
    xcb_shape_mask(FConnection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, FWindow, 0, 0, XCB_NONE);
    return;
  }
  const std::vector<xcb_rectangle_t> r = XcbRects(*rects);
  xcb_shape_rectangles(FConnection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED, FWindow, 0, 0,
                       static_cast<uint32_t>(r.size()), r.data());
}

void TXcbSurface::SetInputShape(const std::vector<TRect>* rects) {
  FInputShaped = rects != nullptr;
  if (rects == nullptr) {
    FInputShape.clear();
    xcb_shape_mask(FConnection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, FWindow, 0, 0, XCB_NONE);
    return;
  }
  FInputShape = *rects;
  const std::vector<xcb_rectangle_t> r = XcbRects(*rects);
  xcb_shape_rectangles(FConnection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, FWindow, 0, 0,
                       static_cast<uint32_t>(r.size()), r.data());
}
