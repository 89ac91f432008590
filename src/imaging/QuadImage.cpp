#include "imaging/QuadImage.h"

#include <algorithm>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

#include "imaging/FuncGraphicWork.h"

namespace {

[[gnu::always_inline]] inline void WritePixel(uint8_t* p, uint32_t k, uint8_t mode) {
  const int32_t kb = k & 255, kg = (k >> 8) & 255, kr = (k >> 16) & 255, a = k >> 24;
  // Over nothing or opaque, each byte of the blend divides back to the sample's own.
  const int32_t da2 = mode == QuadModeCopy ? 0 : (255 - a) * p[3] / 255;
  if (da2 == 0) {
    p[0] = static_cast<uint8_t>(kb);
    p[1] = static_cast<uint8_t>(kg);
    p[2] = static_cast<uint8_t>(kr);
    p[3] = static_cast<uint8_t>(a);
    return;
  }
  const int32_t total = a + da2;  // above 0: samples of alpha 0 are never written
  p[3] = static_cast<uint8_t>(total);
  p[0] = static_cast<uint8_t>((p[0] * da2 + kb * a) / total);
  p[1] = static_cast<uint8_t>((p[1] * da2 + kg * a) / total);
  p[2] = static_cast<uint8_t>((p[2] * da2 + kr * a) / total);
}

// Draws the grid's rows from positions of type T in the given mode; the
// source rectangle is not empty.
template <typename T, uint8_t Mode>
class GridPainter {
 public:
  GridPainter(const QuadSampler& sampler, TRect r)
      : FSampler(sampler),
        FInLeft(Bound(r.Left == 0 ? -255 : int64_t{r.Left} * 256)),
        FInRight(Bound(int64_t{r.Right} * 256)),
        FInTop(Bound(r.Top == 0 ? -255 : int64_t{r.Top} * 256)),
        FInBottom(Bound(int64_t{r.Bottom} * 256)),
        FAllLeft(Bound(int64_t{r.Left} * 256)),
        FAllRight(Bound((int64_t{r.Right} - 1) * 256)),
        FAllTop(Bound(int64_t{r.Top} * 256)),
        FAllBottom(Bound((int64_t{r.Bottom} - 1) * 256)) {}

  // Pixels 0 to count - 1 of the target row from positions xs, ys (column j at
  // j + 1) and the row above's upXs, upYs; for 32 bits, xs holds three more
  // positions outside the picture.
  void DrawRow(uint8_t* row, size_t count, const T* xs, const T* ys, const T* upXs, const T* upYs) const {
    if constexpr (sizeof(T) == 4)
      DrawRow4(row, count, xs, ys, upXs, upYs);
    else
      for (size_t j = 0; j < count; ++j) DrawPixel(row, j + 1, xs, ys, upXs, upYs);
  }

 private:
  // Bounds beyond any 32-bit position are cut so that they fit T.
  static T Bound(int64_t v) {
    constexpr int64_t kFar = sizeof(T) == 4 ? int64_t{1} << 30 : INT64_MAX;
    return static_cast<T>(std::clamp(v, -kFar, kFar));
  }

  void DrawPixel(uint8_t* row, size_t j, const T* xs, const T* ys, const T* upXs, const T* upYs) const {
    const T x = xs[j], y = ys[j];
    if (x < FInLeft || x >= FInRight || y < FInTop || y >= FInBottom) return;
    const T ddx = 2 * x - xs[j - 1] - upXs[j];
    const T ddy = 2 * y - ys[j - 1] - upYs[j];
    uint32_t k;
    if (ddx > -512 && ddx < 512 && ddy > -512 && ddy < 512) {
      k = x >= FAllLeft && x < FAllRight && y >= FAllTop && y < FAllBottom
              ? InsideMean(InsideSums(FSampler.Pixel(x >> 8, y >> 8), FSampler.Stride(), _mm_set1_epi32(AxisPair(x)),
                                      _mm_set1_epi32(AxisPair(y))))
              : FSampler.SampleBilinear({x, y});
    } else {
      k = FSampler.SampleBox({x, y}, ddx, ddy);
    }
    if ((k >> 24) != 0) WritePixel(row + 4 * (j - 1), k, Mode);
  }

  // Four pixels at a time sorted in SSE2: those with all four neighbours
  // inside and a footprint under two pixels are sampled here, the others
  // inside by DrawPixel.
  void DrawRow4(uint8_t* row, size_t count, const T* xs, const T* ys, const T* upXs, const T* upYs) const {
    auto at = [](const T* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    // Each range's bounds low - 1 and high, spread over four lanes in memory:
    // read from there they take no shuffles in the loop.
    enum { kInX, kInY, kAllX, kAllY, kSmall, kRanges };
    alignas(16) int32_t bounds[kRanges][2][4];
    auto range = [&bounds](int which, T low, T high) {
      std::fill_n(bounds[which][0], 4, low - 1);
      std::fill_n(bounds[which][1], 4, high);
    };
    range(kInX, FInLeft, FInRight);
    range(kInY, FInTop, FInBottom);
    range(kAllX, FAllLeft, FAllRight);
    range(kAllY, FAllTop, FAllBottom);
    range(kSmall, -511, 512);
    auto between = [&bounds](__m128i v, int which) {  // low <= v < high
      const auto* b = reinterpret_cast<const __m128i*>(bounds[which]);
      return _mm_and_si128(_mm_cmpgt_epi32(v, _mm_load_si128(b)), _mm_cmpgt_epi32(_mm_load_si128(b + 1), v));
    };
    auto pairs = [](__m128i v) {  // AxisPair of each lane
      const __m128i f = _mm_and_si128(v, _mm_set1_epi32(255));
      return _mm_or_si128(_mm_sub_epi32(_mm_set1_epi32(255), f), _mm_slli_epi32(f, 16));
    };
    for (size_t j = 1; j <= count; j += 4) {
      const __m128i x = at(xs + j), y = at(ys + j);
      const int inside = _mm_movemask_ps(_mm_castsi128_ps(_mm_and_si128(between(x, kInX), between(y, kInY))));
      if (inside == 0) continue;
      const __m128i ddx = _mm_sub_epi32(_mm_sub_epi32(_mm_add_epi32(x, x), at(xs + j - 1)), at(upXs + j));
      const __m128i ddy = _mm_sub_epi32(_mm_sub_epi32(_mm_add_epi32(y, y), at(ys + j - 1)), at(upYs + j));
      const __m128i small = _mm_and_si128(between(ddx, kSmall), between(ddy, kSmall));
      const __m128i all = _mm_and_si128(between(x, kAllX), between(y, kAllY));
      const int quick = _mm_movemask_ps(_mm_castsi128_ps(_mm_and_si128(small, all))) & inside;
      // Each lane's weights spread from the group's registers, nothing through memory.
      const __m128i across = pairs(x), down = pairs(y);
      auto sums = [&](auto index) {
        constexpr int kLane = decltype(index)::value, kSpread = kLane * 0x55;
        const size_t c = j + kLane;
        return InsideSums(FSampler.Pixel(xs[c] >> 8, ys[c] >> 8), FSampler.Stride(), _mm_shuffle_epi32(across, kSpread),
                          _mm_shuffle_epi32(down, kSpread));
      };
      using L0 = std::integral_constant<int, 0>;
      using L1 = std::integral_constant<int, 1>;
      using L2 = std::integral_constant<int, 2>;
      using L3 = std::integral_constant<int, 3>;
      if (quick == 15) {  // the most common by far: four samples at once
        const __m128i k = InsideMeans(sums(L0()), sums(L1()), sums(L2()), sums(L3()));
        uint8_t* const out = row + 4 * (j - 1);
        // Copying four samples none of alpha 0 is one store.
        const bool visible = _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(k, 24), _mm_setzero_si128())) == 0;
        if (Mode == QuadModeCopy && visible) {
          _mm_storeu_si128(reinterpret_cast<__m128i*>(out), k);
        } else {
          alignas(16) uint32_t samples[4];
          _mm_store_si128(reinterpret_cast<__m128i*>(samples), k);
          for (int n = 0; n < 4; ++n)
            if ((samples[n] >> 24) != 0) WritePixel(out + 4 * n, samples[n], Mode);
        }
        continue;
      }
      auto lane = [&](auto index) {
        constexpr int kLane = decltype(index)::value;
        const size_t c = j + kLane;
        if (quick & (1 << kLane)) {
          const uint32_t k = InsideMean(sums(index));
          if ((k >> 24) != 0) WritePixel(row + 4 * (c - 1), k, Mode);
        } else if (inside & (1 << kLane)) {
          DrawPixel(row, c, xs, ys, upXs, upYs);
        }
      };
      lane(L0());
      lane(L1());
      lane(L2());
      lane(L3());
    }
  }

  const QuadSampler& FSampler;
  // Positions whose pixel is inside (truncated: column 0 begins at -255), and
  // those whose four bilinear neighbours are.
  const T FInLeft, FInRight, FInTop, FInBottom;
  const T FAllLeft, FAllRight, FAllTop, FAllBottom;
};

// The grid drawn with positions of type T in the given mode; the source
// rectangle is not empty.
template <typename T, uint8_t Mode>
void DrawGrid(TBitmap& target, const QuadSampler& sampler, TRect r, const QuadGrid& grid) {
  const GridPainter<T, Mode> painter(sampler, r);
  // Positions one row ahead of the one drawn: a pixel's footprint is its
  // distance to the left and upper neighbours. Each row has room for four
  // more; the three after its end lie outside the picture.
  QuadRowStepper<T> positions(grid);
  const size_t columns = positions.Columns() + 4;
  std::vector<T> rows(4 * columns);
  T* xs = rows.data();
  T* ys = xs + columns;
  T* upXs = ys + columns;
  T* upYs = upXs + columns;
  for (int64_t i = -1; i <= grid.ny; ++i) {
    positions.Next(xs, ys);
    std::fill_n(xs + grid.nx + 2, 3, std::numeric_limits<T>::min());
    if (i >= 0)
      painter.DrawRow(target.ScanLine(static_cast<int32_t>(grid.top + i)) + 4 * grid.left,
                      static_cast<size_t>(grid.nx + 1), xs, ys, upXs, upYs);
    std::swap(xs, upXs);
    std::swap(ys, upYs);
  }
}

}  // namespace

void DrawQuadImage(TBitmap& target, const TBitmap& source, const QuadCorners& corners,
                   uint8_t mode, TRect sourceRect) {
  target.SetPixelFormat(TPixelFormat::pf32bit);
  if (source.PixelFormat() != TPixelFormat::pf32bit) return;
  if (mode != QuadModeCopy && mode != QuadModeOver) return;
  ClipRectTo(sourceRect, {0, 0, source.Width(), source.Height()});
  if (sourceRect.Left >= sourceRect.Right || sourceRect.Top >= sourceRect.Bottom) return;
  QuadGrid grid;
  if (!QuadGridOf(corners, sourceRect, target.Width(), target.Height(), grid)) return;
  const QuadSampler sampler(source, sourceRect);
  const bool fits = QuadGridFits32(grid);
  if (mode == QuadModeCopy)
    (fits ? DrawGrid<int32_t, QuadModeCopy> : DrawGrid<int64_t, QuadModeCopy>)(target, sampler, sourceRect, grid);
  else
    (fits ? DrawGrid<int32_t, QuadModeOver> : DrawGrid<int64_t, QuadModeOver>)(target, sampler, sourceRect, grid);
}
