#pragma once
// What a window shows: pixels we upload ourselves over Qt's xcb connection, the
// layered picture and the window's bounding and input shapes.
#include <xcb/xcb.h>

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
  // The layered picture, shown again whenever the window is exposed; it stays
  // with the caller and lives until the next one.
  void ShowLayered(const TBitmap& picture);
  // Shows the layered picture again.
  void Expose();
  // Layered: the picture's alpha is the shape; shaped: the region is.
  void SetLayered();
  // Rectangles of the window's shape; none: unshaped. Layered windows take
  // clicks only where alpha is above 0.
  void SetBoundingShape(const std::vector<TRect>* rects);

 private:
  void SetInputShape(const std::vector<TRect>* rects);

  xcb_connection_t* FConnection;
  xcb_window_t FWindow;
  uint32_t FGc = 0;
  uint8_t FDepth = 32;
  const TBitmap* FPicture = nullptr;
  std::vector<TRect> FInputShape;
  std::vector<TRect> FVisible;  // kept to reuse its memory every frame
  bool FInputShaped = false;
};
