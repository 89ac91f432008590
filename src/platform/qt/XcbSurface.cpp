#include "platform/qt/XcbSurface.h"

#include <xcb/shape.h>

#include <algorithm>
#include <cstdlib>

#include "platform/graphics/Region.h"

namespace {

std::vector<xcb_rectangle_t> XcbRects(const std::vector<TRect>& rects) {
  std::vector<xcb_rectangle_t> out;
  out.reserve(rects.size());
  for (const TRect& r : rects) {
    out.push_back(xcb_rectangle_t{static_cast<int16_t>(r.Left), static_cast<int16_t>(r.Top),
                                  static_cast<uint16_t>(r.Right - r.Left), static_cast<uint16_t>(r.Bottom - r.Top)});
  }
  return out;
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
}

TXcbSurface::~TXcbSurface() {
  if (FGc != 0) xcb_free_gc(FConnection, FGc);
}

void TXcbSurface::Upload(int32_t x, int32_t y, const TBitmap& bitmap) {
  if (bitmap.Empty() || bitmap.PixelFormat() != TPixelFormat::pf32bit) return;
  // Rows of 32-bit pixels are the Z-pixmap layout; the connection splits nothing,
  // so large pictures go a band of rows at a time within the request limit.
  const uint32_t stride = static_cast<uint32_t>(bitmap.Width()) * 4;
  const uint32_t maxBytes = xcb_get_maximum_request_length(FConnection) * 4 - 64;
  const int32_t band = std::max<int32_t>(1, static_cast<int32_t>(maxBytes / stride));
  for (int32_t top = 0; top < bitmap.Height(); top += band) {
    const int32_t rows = std::min(band, bitmap.Height() - top);
    xcb_put_image(FConnection, XCB_IMAGE_FORMAT_Z_PIXMAP, FWindow, FGc, static_cast<uint16_t>(bitmap.Width()),
                  static_cast<uint16_t>(rows), static_cast<int16_t>(x), static_cast<int16_t>(y + top), 0, FDepth,
                  stride * static_cast<uint32_t>(rows), bitmap.ScanLine(top));
  }
}

void TXcbSurface::Fill(const TRect& rect, Color32 color) {
  const uint32_t pixel = 0xFF000000u | ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
  xcb_change_gc(FConnection, FGc, XCB_GC_FOREGROUND, &pixel);
  const xcb_rectangle_t r = XcbRects({rect}).front();
  xcb_poly_fill_rectangle(FConnection, FWindow, FGc, 1, &r);
}

void TXcbSurface::ShowLayered(const TBitmap& picture) {
  FPicture = &picture;
  Upload(0, 0, picture);
  OpaqueRuns(picture, 1, FVisible);  // a layered window takes clicks where alpha is above 0
  if (!FInputShaped || FVisible != FInputShape) SetInputShape(&FVisible);
}

void TXcbSurface::Expose() {
  if (FPicture != nullptr) Upload(0, 0, *FPicture);
}

void TXcbSurface::SetLayered() {
  FPicture = nullptr;
  SetBoundingShape(nullptr);
  SetInputShape(nullptr);
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
