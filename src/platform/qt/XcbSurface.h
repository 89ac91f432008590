#pragma once
// What a window shows: pixels we upload ourselves over Qt's xcb connection, the
// layered picture and the window's bounding and input shapes.
//
// The layered picture is the surface's own copy. Each present sends only the
// rectangle its caller says changed, through shared memory where the
// server can see ours, else in the request itself; whatever one present sends
// leaves in one write. Every other present also asks where the pointer is; the
// answer, read at a later present, says whether the pointer can reach the window
// and, as the server answers in order, that it has read the segments used
// before the question: no completion event wakes the program, and the thread
// that reads the connection wakes once per two frames. Two segments, one for
// each frame between two questions. The input shape follows the picture
// only while the pointer is over the window or near it: a compositing manager
// redraws the whole window on every shape change.
#include <xcb/xcb.h>

#include <array>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/Types.h"

class TXcbSurface {
 public:
  TXcbSurface(xcb_connection_t* connection, xcb_window_t window);
  ~TXcbSurface();
  TXcbSurface(const TXcbSurface&) = delete;
  TXcbSurface& operator=(const TXcbSurface&) = delete;

  // Uploads 32-bit pixels (premultiplied when layered) at window coordinates.
  void Upload(int32_t x, int32_t y, const TBitmap& bitmap);
  void Fill(const TRect& rect, Color32 color);
  // Shows premultiplied 32-bit pixels as the layered picture; nothing of the
  // caller's is kept. Only `changed` may differ from the picture shown before.
  void ShowLayered(const TBitmap& picture, const TRect& changed);
  // The server lost the window's pixels: the whole layered picture again.
  void Exposed();
  // Starts over as a layered or a shaped window: no shapes, and the next
  // picture is sent whole.
  void SetLayered();
  // The next picture is sent whole (say, a compositing manager came or went).
  void Invalidate() { FWhole = true; }
  // The pointer came in: the input shape catches up with the picture at once.
  void PointerEntered();
  // Rectangles of the window's shape; none: unshaped.
  void SetBoundingShape(const std::vector<TRect>* rects);
  // Whether pictures go through shared memory (the server holds the segments).
  bool SharedMemory() const;

 private:
  struct TSegment {
    uint32_t Id = 0;
    uint8_t* Data = nullptr;
    bool Busy = false;
    unsigned int Attach = 0;  // the attach request while its outcome is unknown
  };
  // A question about the pointer; its answer frees the segments used before it.
  struct TQuestion {
    unsigned int Sequence = 0;
    uint32_t Segments = 0;  // one bit per segment
  };

  TRect TakeChanges(const TBitmap& picture, TRect changed);
  void Send(const TRect& rect, bool ask);
  void PutImage(int32_t x, int32_t y, int32_t width, int32_t rows, const uint8_t* data);
  bool CreateSegments(size_t bytes);
  void ReleaseSegments();
  TSegment* FreeSegment();
  bool Attached(TSegment& segment, bool wait);
  void ReadAnswers();
  void AskPointer();
  void UpdateInputShape();
  void SetInputShape(const std::vector<TRect>* rects);

  xcb_connection_t* FConnection;
  xcb_window_t FWindow;
  uint32_t FGc = 0;
  uint8_t FDepth = 32;
  TBitmap FShown;  // the layered picture as the server has it
  bool FWhole = true;
  bool FShapeStale = false;
  std::vector<uint8_t> FPacked;  // the changed rectangle's rows, for the request itself
  bool FShmTried = false;
  size_t FSegmentBytes = 0;
  std::array<TSegment, 2> FSegments;
  size_t FNextSegment = 0;
  std::vector<TQuestion> FQuestions;  // unanswered, oldest first; at most one per segment
  uint32_t FUnasked = 0;              // segments used since the last question
  bool FAskNow = false;               // every other present asks
  bool FPointerNear = false;
  std::vector<TRect> FInputShape;
  std::vector<TRect> FVisible;  // kept to reuse its memory every frame
  bool FInputShaped = false;
};
