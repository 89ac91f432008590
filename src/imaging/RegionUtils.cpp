#include "imaging/RegionUtils.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

void PutRect(TMemoryStream& out, const TRect& r) { out.Write(&r, sizeof r); }

}  // namespace

std::unique_ptr<TRegion> RegionFromBitmap(TBitmap& bitmap, int32_t threshold) {
  bitmap.SetPixelFormat(TPixelFormat::pf32bit);
  const int32_t w = bitmap.Width(), h = bitmap.Height();
  RGNDATAHEADER header;
  header.rcBound = {0, 0, w, h};
  TMemoryStream data;
  data.Write(&header, sizeof header);
  uint32_t count = 0;
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* p = bitmap.ScanLine(y);
    int32_t runStart = -1;
    for (int32_t x = 0; x < w; ++x) {
      const bool inside = p[4 * x + 3] >= threshold;
      if (!inside && runStart >= 0) {
        PutRect(data, {runStart, y, x, y + 1});
        ++count;
        runStart = -1;
      } else if (inside && runStart < 0) {
        runStart = x;
      }
    }
    if (runStart >= 0) {
      PutRect(data, {runStart, y, w, y + 1});
      ++count;
    }
  }
  header.nCount = count;
  data.SetPosition(0);
  data.Write(&header, sizeof header);
  data.SetPosition(0);
  return RegionFromStream(data);
}

std::unique_ptr<TRegion> RegionFromStream(TStream& stream) {
  RGNDATAHEADER header;
  stream.ReadBuffer(&header, sizeof header);
  header.nRgnSize = 0;
  uint32_t n = header.nCount;
  std::unique_ptr<TRegion> result;
  try {
    result = std::make_unique<TRegion>(TRect{0, 0, 0, 0});
  } catch (const std::bad_alloc&) {
    throw ERgnError("TRegion.Add: Cannot Create Region");
  }
  std::vector<TRect> batch(RegionBatch);
  while (n > 0) {
    const uint32_t size = std::min(n, RegionBatch);
    header.nCount = size;
    stream.ReadBuffer(batch.data(), int64_t{size} * sizeof(TRect));
    TRegion part;
    if (!ExtCreateRegion(header, batch.data(), part)) throw ERgnError("TRegion.LoadFromStream: Cannot Create Region");
    try {
      result->Union(part);
    } catch (const std::bad_alloc&) {
      throw ERgnError("TRegion.LoadFromStream: Cannot Add Region");
    }
    n -= size;
  }
  return result;
}
