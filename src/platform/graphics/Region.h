#pragma once
// A window region: a set of rectangles, combined by union.
#include <cstdint>
#include <vector>

#include "platform/Types.h"
#include "platform/graphics/Bitmap.h"

constexpr uint32_t RDH_RECTANGLES = 1;

// The window system's region data header, 32 bytes.
struct RGNDATAHEADER {
  uint32_t dwSize = 32;
  uint32_t iType = RDH_RECTANGLES;
  uint32_t nCount = 0;
  uint32_t nRgnSize = 0;
  TRect rcBound;
};
static_assert(sizeof(RGNDATAHEADER) == 32);

class TRegion {
 public:
  TRegion() = default;
  explicit TRegion(const TRect& rect);
  const std::vector<TRect>& Rects() const { return FRects; }
  bool Empty() const { return FRects.empty(); }
  bool Contains(int32_t x, int32_t y) const;
  void Union(const TRegion& other);

 private:
  std::vector<TRect> FRects;
};

// A region from a header and its rectangles; false for data the window system
// would refuse (wrong header size or type).
bool ExtCreateRegion(const RGNDATAHEADER& header, const TRect* rects, TRegion& region);

// The pixels of a 32-bit bitmap whose alpha is at least threshold, one
// rectangle per run of a row, from the top row and left to right.
void OpaqueRuns(const TBitmap& bitmap, int32_t threshold, std::vector<TRect>& runs);
