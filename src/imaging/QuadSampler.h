#pragma once
// The source's pixels read for the quad painter. The SSE2 sums are inline here
// because the painter's quick path takes them straight, without a call.
#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

#include "imaging/QuadGrid.h"
#include "platform/graphics/Bitmap.h"

// Pixels of a 32-bit source inside a rectangle.
class QuadSampler {
 public:
  QuadSampler(const TBitmap& source, TRect rect);
  bool Inside(int64_t column, int64_t row) const;
  // Both return the bytes blue, green, red, alpha packed little-endian.
  uint32_t SampleBilinear(SourcePos s) const;
  uint32_t SampleBox(SourcePos s, int64_t ddx, int64_t ddy) const;
  // Any pixel's bytes, the next row's Stride() further on.
  const uint8_t* Pixel(int64_t column, int64_t row) const { return FPixels + row * FStride + 4 * column; }
  ptrdiff_t Stride() const { return FStride; }

 private:
  uint32_t SampleBilinearAtEdge(SourcePos s) const;
  TRect FRect;
  const uint8_t* FPixels = nullptr;  // row 0; rows are evenly spaced
  ptrdiff_t FStride = 0;
};

// The sums blue, green, red, alpha (below 2^24) of the pixels upper (left,
// right) and lower (left, right), weighed by across and down, each two weights
// w0 | w1 << 16 of at most 255, those across adding up to acrossTotal.
[[gnu::always_inline]] inline __m128i WeightedSums(__m128i upper, __m128i lower, __m128i across, int32_t acrossTotal,
                                                   __m128i down) {
  // Down the two columns first: (upper, lower) pairs of 16-bit channels give
  // sums below 2^16, packed as (left, right) 16-bit pairs.
  const __m128i zero = _mm_setzero_si128();
  const __m128i interleaved = _mm_unpacklo_epi8(upper, lower);
  const __m128i left = _mm_madd_epi16(_mm_unpacklo_epi8(interleaved, zero), down);
  const __m128i right = _mm_madd_epi16(_mm_unpackhi_epi8(interleaved, zero), down);
  const __m128i pairs = _mm_or_si128(left, _mm_slli_epi32(right, 16));
  // Then across. The signed multiply-add takes the column sums less 2^15,
  // and the weights' total times 2^15 puts that back.
  return _mm_add_epi32(_mm_madd_epi16(_mm_xor_si128(pairs, _mm_set1_epi16(INT16_MIN)), across), _mm_set1_epi32(acrossTotal << 15));
}

// The weights of a position's two neighbours along one axis, as WeightedSums takes them.
inline uint32_t AxisPair(int64_t s) {
  const auto f = static_cast<uint32_t>(s & 255);
  return (255 - f) | f << 16;
}

// Colour divided by 255 * 255 as a product and a shift: the multiplier's
// excess over 2^40 / 65025, times the largest sum, stays under 2^40, so the
// shifted product never reaches the next integer.
constexpr uint64_t kFullWeight = 255 * 255, kMaxSum = 255 * kFullWeight, kShift = 40;
constexpr uint64_t kMultiplier = ((uint64_t{1} << kShift) + kFullWeight - 1) / kFullWeight;
static_assert((kMultiplier * kFullWeight - (uint64_t{1} << kShift)) * kMaxSum < (uint64_t{1} << kShift));

// The sums of the four neighbours of a position whose neighbours are all
// inside, from the pixel p at its upper left, with the axes' weights spread
// over the lanes.
[[gnu::always_inline]] inline __m128i InsideSums(const uint8_t* p, ptrdiff_t stride, __m128i across, __m128i down) {
  return WeightedSums(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                      _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + stride)), across, 255, down);
}

// The bilinear sample from InsideSums; alpha is divided by 2^16.
[[gnu::always_inline]] inline uint32_t InsideMean(__m128i sums) {
  const auto m = static_cast<int32_t>(kMultiplier);
  const __m128i blueRed = _mm_mul_epu32(sums, _mm_set1_epi32(m));
  const __m128i greenAlpha = _mm_mul_epu32(_mm_srli_epi64(sums, 32), _mm_set_epi32(0, 1 << 24, 0, m));
  // Each quotient is bits 40 to 47 of its 64-bit product: blue and red go to
  // bits 0 to 7, green and alpha to 8 to 15, and the lanes' low halves together.
  const __m128i halves = _mm_or_si128(_mm_srli_epi64(blueRed, kShift),
                                      _mm_and_si128(_mm_srli_epi64(greenAlpha, kShift - 8), _mm_set1_epi32(0xFF00)));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_or_si128(halves, _mm_srli_si128(halves, 6))));
}

// InsideMean of four pixels' sums at once, packed as four pixels.
[[gnu::always_inline]] inline __m128i InsideMeans(__m128i s0, __m128i s1, __m128i s2, __m128i s3) {
  const __m128i t0 = _mm_unpacklo_epi32(s0, s1), t1 = _mm_unpacklo_epi32(s2, s3);
  const __m128i t2 = _mm_unpackhi_epi32(s0, s1), t3 = _mm_unpackhi_epi32(s2, s3);
  const __m128i m = _mm_set1_epi32(static_cast<int32_t>(kMultiplier));
  auto divide = [m](__m128i v) {
    const __m128i even = _mm_srli_epi64(_mm_mul_epu32(v, m), kShift);
    const __m128i odd = _mm_srli_epi64(_mm_mul_epu32(_mm_srli_epi64(v, 32), m), kShift);
    return _mm_or_si128(even, _mm_slli_epi64(odd, 32));
  };
  const __m128i blue = divide(_mm_unpacklo_epi64(t0, t1)), green = divide(_mm_unpackhi_epi64(t0, t1));
  const __m128i red = divide(_mm_unpacklo_epi64(t2, t3)), alpha = _mm_srli_epi32(_mm_unpackhi_epi64(t2, t3), 16);
  return _mm_or_si128(_mm_or_si128(blue, _mm_slli_epi32(green, 8)),
                      _mm_or_si128(_mm_slli_epi32(red, 16), _mm_slli_epi32(alpha, 24)));
}
