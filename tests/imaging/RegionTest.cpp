#include <gtest/gtest.h>

#include <cstring>

#include "PixelHelpers.h"
#include "imaging/RegionUtils.h"

namespace {

// Records the size of every read, to see the batches.
class CountingStream : public TMemoryStream {
 public:
  using TMemoryStream::TMemoryStream;
  int64_t Read(void* buffer, int64_t count) override {
    reads.push_back(count);
    return TMemoryStream::Read(buffer, count);
  }
  std::vector<int64_t> reads;
};

std::vector<uint8_t> RegionData(uint32_t count, uint32_t size = 32, uint32_t type = 1) {
  std::vector<uint8_t> bytes(32 + size_t(count) * 16);
  RGNDATAHEADER h;
  h.dwSize = size;
  h.iType = type;
  h.nCount = count;
  h.rcBound = {0, 0, 10000, 10};
  std::memcpy(bytes.data(), &h, 32);
  for (uint32_t i = 0; i < count; ++i) {
    const TRect r{int32_t(i), int32_t(i % 10), int32_t(i) + 1, int32_t(i % 10) + 1};
    std::memcpy(&bytes[32 + size_t(i) * 16], &r, 16);
  }
  return bytes;
}

}  // namespace

TEST(RegionFromBitmap, RowsOfRuns) {
  TBitmap b = Bitmap32(3, 3);
  SetPixel(b, 0, 0, {0, 0, 0, 200});
  SetPixel(b, 2, 0, {0, 0, 0, 200});
  for (int x = 0; x < 3; ++x) SetPixel(b, x, 1, {0, 0, 0, 128});
  SetPixel(b, 1, 2, {0, 0, 0, 127});
  const auto region = RegionFromBitmap(b, 128);
  const std::vector<TRect> expected = {{0, 0, 1, 1}, {2, 0, 3, 1}, {0, 1, 3, 2}};
  EXPECT_EQ(region->Rects(), expected);
  EXPECT_TRUE(region->Contains(2, 1));
  EXPECT_FALSE(region->Contains(1, 0));
  EXPECT_FALSE(region->Contains(1, 2));
}

TEST(RegionFromBitmap, TransparentAndTwentyFourBit) {
  TBitmap clear = Bitmap32(5, 5);
  EXPECT_TRUE(RegionFromBitmap(clear, 128)->Empty());
  TBitmap rgb;
  rgb.SetSize(4, 2);
  EXPECT_TRUE(RegionFromBitmap(rgb, 1)->Empty());  // converted: alpha 0
  EXPECT_EQ(rgb.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(RegionFromBitmap(rgb, 0)->Rects().size(), 2u);  // threshold 0 takes every pixel
}

TEST(RegionFromStream, BatchesOfFourThousand) {
  CountingStream stream(RegionData(9000));
  const auto region = RegionFromStream(stream);
  EXPECT_EQ(region->Rects().size(), 9000u);
  EXPECT_EQ(stream.reads, (std::vector<int64_t>{32, 4000 * 16, 4000 * 16, 1000 * 16}));
  EXPECT_TRUE(region->Contains(8999, 9));
}

TEST(RegionFromStream, Failures) {
  TMemoryStream wrongSize(RegionData(3, 40));
  try {
    RegionFromStream(wrongSize);
    FAIL();
  } catch (const ERgnError& e) {
    EXPECT_EQ(e.Message(), "TRegion.LoadFromStream: Cannot Create Region");
  }
  TMemoryStream wrongType(RegionData(3, 32, 2));
  EXPECT_THROW(RegionFromStream(wrongType), ERgnError);
  std::vector<uint8_t> lying = RegionData(2);
  lying[8] = 0xFF;  // the count claims far more rectangles than follow
  TMemoryStream shortStream(lying);
  EXPECT_THROW(RegionFromStream(shortStream), EReadError);
}
