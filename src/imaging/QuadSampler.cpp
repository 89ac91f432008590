// Positions near the rectangle's edges and wide footprints, the painter's slow paths.
#include "imaging/QuadSampler.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

uint32_t Pack(int64_t b, int64_t g, int64_t r, int64_t a) {
  return static_cast<uint32_t>(b) | static_cast<uint32_t>(g) << 8 |
         static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(a) << 24;
}

struct AxisWeights {
  int64_t i0, i1, w0, w1;
};

AxisWeights Split(int64_t s) {
  if (s >= 0) return {s / 256, s / 256 + 1, 255 - s % 256, s % 256};
  const int64_t g = -(s % 256);
  return {s / 256 - 1, s / 256, g, 255 - g};
}

}  // namespace

QuadSampler::QuadSampler(const TBitmap& source, TRect rect) : FRect(rect) {
  if (source.Height() > 0) FPixels = source.ScanLine(0);
  if (source.Height() > 1) FStride = source.ScanLine(1) - source.ScanLine(0);
}

bool QuadSampler::Inside(int64_t column, int64_t row) const {
  return column >= FRect.Left && column < FRect.Right && row >= FRect.Top && row < FRect.Bottom;
}

uint32_t QuadSampler::SampleBilinear(SourcePos s) const {
  // A negative position has a neighbour at column or row -1, never inside.
  const int64_t i0 = s.x >> 8, j0 = s.y >> 8;
  if (s.x >= 0 && s.y >= 0 && i0 >= FRect.Left && i0 + 1 < FRect.Right && j0 >= FRect.Top && j0 + 1 < FRect.Bottom)
    return InsideMean(InsideSums(Pixel(i0, j0), FStride, _mm_set1_epi32(AxisPair(s.x)), _mm_set1_epi32(AxisPair(s.y))));
  return SampleBilinearAtEdge(s);
}

// Some neighbours outside: only those inside count, and the colour is their
// weighted mean while alpha fades with the missing weight.
uint32_t QuadSampler::SampleBilinearAtEdge(SourcePos s) const {
  const AxisWeights cx = Split(s.x);
  const AxisWeights cy = Split(s.y);
  // A neighbour is inside where its column and its row are: the weights of
  // columns and rows outside become 0, and their pixels are read inside.
  auto column = [this](int64_t i) { return i >= FRect.Left && i < FRect.Right; };
  auto row = [this](int64_t j) { return j >= FRect.Top && j < FRect.Bottom; };
  const int64_t x0 = column(cx.i0) ? cx.w0 : 0, x1 = column(cx.i1) ? cx.w1 : 0;
  const int64_t y0 = row(cy.i0) ? cy.w0 : 0, y1 = row(cy.i1) ? cy.w1 : 0;
  const auto weight = static_cast<uint32_t>((x0 + x1) * (y0 + y1));
  if (weight == 0) return 0;
  auto pixel = [this](int64_t i, int64_t j) {
    uint32_t bytes;
    std::memcpy(&bytes, Pixel(std::clamp<int64_t>(i, FRect.Left, FRect.Right - 1),
                              std::clamp<int64_t>(j, FRect.Top, FRect.Bottom - 1)), 4);
    return _mm_cvtsi32_si128(static_cast<int32_t>(bytes));
  };
  const __m128i sums = WeightedSums(_mm_unpacklo_epi32(pixel(cx.i0, cy.i0), pixel(cx.i1, cy.i0)),
                                    _mm_unpacklo_epi32(pixel(cx.i0, cy.i1), pixel(cx.i1, cy.i1)),
                                    _mm_set1_epi32(static_cast<int32_t>(x0 | x1 << 16)), static_cast<int32_t>(x0 + x1),
                                    _mm_set1_epi32(static_cast<int32_t>(y0 | y1 << 16)));
  // The colour's means (at most 255) as the sums times the weight's reciprocal
  // in double, nudged up by 2^-20: more than the rounding's error (under
  // 2^-43) and less than the 1 / 65025 by which a mean that is not whole falls
  // short of the next integer.
  const __m128d reciprocal = _mm_set1_pd(1.0 / weight), nudge = _mm_set1_pd(1.0 / (1 << 20));
  auto means = [&](__m128i two) {
    return _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(_mm_cvtepi32_pd(two), reciprocal), nudge));
  };
  const __m128i colour = _mm_unpacklo_epi64(means(sums), means(_mm_srli_si128(sums, 8)));
  const __m128i zero = _mm_setzero_si128();
  const auto bytes = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(colour, zero), zero)));
  const auto a = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 12)));
  return (bytes & 0xFFFFFF) | (a >> 16) << 24;
}

uint32_t QuadSampler::SampleBox(SourcePos s, int64_t ddx, int64_t ddy) const {
  const int64_t kx = std::abs(ddx / 512);
  const int64_t ky = std::abs(ddy / 512);
  const int64_t total = (2 * kx + 1) * (2 * ky + 1);
  // With no offset the only step is 0, so the step's division waits for an offset.
  const int64_t stepX = kx == 0 ? 0 : (ddx / 2) / kx;
  const int64_t stepY = ky == 0 ? 0 : (ddy / 2) / ky;
  int64_t n = 0, b = 0, g = 0, r = 0, a = 0;
  for (int64_t rr = -ky; rr <= ky; ++rr) {
    const int64_t py = (s.y + rr * stepY) / 256;
    for (int64_t q = -kx; q <= kx; ++q) {
      const int64_t px = (s.x + q * stepX) / 256;
      if (!Inside(px, py)) continue;
      const uint8_t* p = Pixel(px, py);
      b += p[0];
      g += p[1];
      r += p[2];
      a += p[3];
      ++n;
    }
  }
  if (n == 0) return 0;
  // Sums of fewer than 2^24 bytes divide in 32 bits, which is much quicker.
  auto mean = [](int64_t sum, int64_t count) {
    return count < (int64_t{1} << 24) ? static_cast<uint32_t>(sum) / static_cast<uint32_t>(count) : sum / count;
  };
  return Pack(mean(b, n), mean(g, n), mean(r, n), n == total ? mean(a, n) : mean(a, 2 * total));
}
