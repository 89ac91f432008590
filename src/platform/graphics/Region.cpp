#include "platform/graphics/Region.h"

TRegion::TRegion(const TRect& rect) {
  if (rect.Right > rect.Left && rect.Bottom > rect.Top) FRects.push_back(rect);
}

bool TRegion::Contains(int32_t x, int32_t y) const {
  for (const TRect& r : FRects) {
    if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return true;
  }
  return false;
}

void TRegion::Union(const TRegion& other) { FRects.insert(FRects.end(), other.FRects.begin(), other.FRects.end()); }

bool ExtCreateRegion(const RGNDATAHEADER& header, const TRect* rects, TRegion& region) {
  if (header.dwSize != sizeof(RGNDATAHEADER) || header.iType != RDH_RECTANGLES) return false;
  region = TRegion();
  for (uint32_t i = 0; i < header.nCount; ++i) region.Union(TRegion(rects[i]));
  return true;
}

void OpaqueRuns(const TBitmap& bitmap, int32_t threshold, std::vector<TRect>& runs) {
  runs.clear();
  const int32_t w = bitmap.Width();
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* p = bitmap.ScanLine(y);
    for (int32_t x = 0; x < w;) {
      while (x < w && p[4 * x + 3] < threshold) ++x;
      const int32_t start = x;
      while (x < w && p[4 * x + 3] >= threshold) ++x;
      if (x > start) runs.push_back(TRect{start, y, x, y + 1});
    }
  }
}
