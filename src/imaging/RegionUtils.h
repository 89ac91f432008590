#pragma once
// Window regions from the opaque pixels of a 32-bit bitmap, built from region
// data (a 32-byte header and 16-byte rectangles) in batches of 4000 rectangles.
#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/Exception.h"
#include "platform/graphics/Region.h"
#include "platform/io/Stream.h"

class ERgnError : public Exception {
 public:
  using Exception::Exception;
};

constexpr uint32_t RegionBatch = 4000;

// Pixels whose alpha is at least threshold; a bitmap that is not 32-bit is
// converted in place first.
std::unique_ptr<TRegion> RegionFromBitmap(TBitmap& bitmap, int32_t threshold);
// Region data from the stream's position; the rectangles are read and merged
// RegionBatch at a time.
std::unique_ptr<TRegion> RegionFromStream(TStream& stream);
