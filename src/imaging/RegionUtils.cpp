#include "imaging/RegionUtils.h"

#include <algorithm>
#include <new>
#include <vector>

std::unique_ptr<TRegion> RegionFromBitmap(TBitmap& bitmap, int32_t threshold) {
  bitmap.SetPixelFormat(TPixelFormat::pf32bit);
  std::vector<TRect> runs;
  OpaqueRuns(bitmap, threshold, runs);
  RGNDATAHEADER header;
  header.rcBound = {0, 0, bitmap.Width(), bitmap.Height()};
  header.nCount = static_cast<uint32_t>(runs.size());
  TMemoryStream data;
  data.Write(&header, sizeof header);
  if (!runs.empty()) data.Write(runs.data(), static_cast<int64_t>(runs.size() * sizeof(TRect)));
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
