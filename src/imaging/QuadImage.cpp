#include "imaging/QuadImage.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>

#include "imaging/FuncGraphicWork.h"

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

// The exact edge mapping from target to source, for the repaired corners.
struct QuadMapping {
  QuadCorners c;
  int64_t minX, maxX, minY, maxY;
  TRect r;

  SourcePos MapToSource(int64_t x, int64_t y) const {
    const int64_t xl = EdgeXAtY(c[0], c[2], y, minX);
    const int64_t yt = EdgeYAtX(c[0], c[1], x, minY);
    const int64_t xr = EdgeXAtY(c[1], c[3], y, maxX);
    const int64_t yb = EdgeYAtX(c[2], c[3], x, maxY);
    const int64_t rw = int64_t{r.Right} - r.Left;
    const int64_t rh = int64_t{r.Bottom} - r.Top;
    const int64_t sx = xl == xr ? xr : (x - xl) * rw * 256 / (xr - xl) + int64_t{r.Left} * 256;
    const int64_t sy = yt == yb ? yb : (y - yt) * rh * 256 / (yb - yt) + int64_t{r.Top} * 256;
    return {sx, sy};
  }
};

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

}  // namespace

bool OppositeSides(TPoint a, TPoint b, TPoint c, TPoint d) {
  auto q = [](int64_t v) { return v / 64; };
  const int64_t s1 = q(int64_t{a.x} - b.x) * q(int64_t{c.y} - a.y) +
                     q(int64_t{a.y} - b.y) * q(int64_t{a.x} - c.x);
  const int64_t s2 = q(int64_t{a.x} - b.x) * q(int64_t{d.y} - a.y) +
                     q(int64_t{a.y} - b.y) * q(int64_t{a.x} - d.x);
  return (s1 < 0 && s2 > 0) || (s1 > 0 && s2 < 0);
}

int64_t EdgeXAtY(TPoint p0, TPoint p1, int64_t y, int64_t fallBack) {
  if (p1.x == p0.x) return p0.x;
  if (p1.y == p0.y) return fallBack;
  return (y - p0.y) * (int64_t{p1.x} - p0.x) / (int64_t{p1.y} - p0.y) + p0.x;
}

int64_t EdgeYAtX(TPoint p0, TPoint p1, int64_t x, int64_t fallBack) {
  if (p1.x == p0.x) return fallBack;
  if (p1.y == p0.y) return p0.y;
  return (x - p0.x) * (int64_t{p1.y} - p0.y) / (int64_t{p1.x} - p0.x) + p0.y;
}

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

template <typename T>
QuadRowStepper<T>::Quotient::Quotient(int64_t from, int64_t to, int64_t n) : dq((to - from) / n), dr((to - from) % n) {
  if (dr < 0) {
    dr += n;
    --dq;
  }
  // n * from - (to - from) = n * (from - dq) - dr: one division for both.
  q = from - dq - (dr != 0);
  r = dr != 0 ? n - dr : 0;
}

namespace {

// One step; the carry is a compare and a select, not a branch.
inline void Step(int64_t& q, int64_t& r, int64_t dq, int64_t dr, int64_t n) {
  const int64_t wrapped = r + (dr - n);
  const bool carry = wrapped >= 0;
  r = carry ? wrapped : wrapped + n;
  q += dq + carry;
}

inline void Step(__m128i& q, __m128i& r, __m128i dq, __m128i dr, __m128i n) {
  const __m128i wrapped = _mm_add_epi32(r, _mm_sub_epi32(dr, n));
  const __m128i carry = _mm_cmpgt_epi32(wrapped, _mm_set1_epi32(-1));  // all ones
  r = _mm_add_epi32(wrapped, _mm_andnot_si128(carry, n));
  q = _mm_sub_epi32(_mm_add_epi32(q, dq), carry);
}

// The floored quotient q with remainder r, truncated toward zero instead.
inline int64_t Truncated(int64_t q, int64_t r) { return q + ((q < 0) & (r != 0)); }

inline __m128i Truncated(__m128i q, __m128i r) {
  const __m128i zero = _mm_setzero_si128();
  return _mm_sub_epi32(q, _mm_andnot_si128(_mm_cmpeq_epi32(r, zero), _mm_cmpgt_epi32(zero, q)));
}

}  // namespace

bool QuadGridFits32(const QuadGrid& g) {
  // Every position and step stays within 70 times the corners' reach (the
  // last steps run a row past the grid and the row's lanes up to seven
  // columns past its end), so corners under 2^22 keep them under 2^29 and the
  // differences of four neighbours in 32 bits.
  constexpr int64_t kReach = int64_t{1} << 22;
  auto near = [](int64_t v) { return v > -kReach && v < kReach; };
  for (const SourcePos& s : {g.s00, g.s10, g.s01, g.s11})
    if (!near(s.x) || !near(s.y)) return false;
  return near(g.nx) && near(g.ny);
}

template <typename T>
QuadRowStepper<T>::QuadRowStepper(const QuadGrid& g)
    : FGrid(g),
      FColumns(static_cast<size_t>(g.nx + 5) / 4 * 4),
      FLeftY(g.s00.y, g.s01.y, g.ny),
      FRightY(g.s10.y, g.s11.y, g.ny),
      FState(4 * FColumns) {
  T* const q = FState.data();
  T* const r = q + FColumns;
  T* const stepQ = r + FColumns;
  T* const stepR = stepQ + FColumns;
  Quotient topX(g.s00.x, g.s10.x, g.nx);
  Quotient bottomX(g.s01.x, g.s11.x, g.nx);
  for (size_t c = 0; c < static_cast<size_t>(g.nx + 2); ++c) {
    const int64_t top = Truncated(topX.q, topX.r), bottom = Truncated(bottomX.q, bottomX.r);
    const Quotient x(top, bottom, g.ny);
    q[c] = static_cast<T>(x.q);
    r[c] = static_cast<T>(x.r);
    stepQ[c] = static_cast<T>(x.dq);
    stepR[c] = static_cast<T>(x.dr);
    Step(topX.q, topX.r, topX.dq, topX.dr, g.nx);
    Step(bottomX.q, bottomX.r, bottomX.dq, bottomX.dr, g.nx);
  }
}

template <typename T>
void QuadRowStepper<T>::Next(T* xs, T* ys) {
  const int64_t nx = FGrid.nx, ny = FGrid.ny;
  const int64_t leftY = Truncated(FLeftY.q, FLeftY.r), rightY = Truncated(FRightY.q, FRightY.r);
  Step(FLeftY.q, FLeftY.r, FLeftY.dq, FLeftY.dr, ny);
  Step(FRightY.q, FRightY.r, FRightY.dq, FRightY.dr, ny);
  Quotient y(leftY, rightY, nx);
  // Everything in locals: the row's stores could otherwise alias the columns' state.
  T* const q = FState.data();
  T* const r = q + FColumns;
  const T* const stepQ = r + FColumns;
  const T* const stepR = stepQ + FColumns;
  if constexpr (sizeof(T) == 4) {
    // Four columns at a time, the row's y in four lanes that step four columns
    // each. k steps add k * dr < 4 * nx - r to the remainder: three carries at most.
    auto carries = [nx](int64_t t) { return (t >= nx) + (t >= 2 * nx) + (t >= 3 * nx); };
    alignas(16) int32_t laneQ[4], laneR[4];
    for (int64_t k = 0; k < 4; ++k) {
      const int64_t t = y.r + k * y.dr, carry = carries(t);
      laneQ[k] = static_cast<int32_t>(y.q + k * y.dq + carry);
      laneR[k] = static_cast<int32_t>(t - carry * nx);
    }
    const int64_t fourCarries = carries(4 * y.dr);
    __m128i yq = _mm_load_si128(reinterpret_cast<const __m128i*>(laneQ));
    __m128i yr = _mm_load_si128(reinterpret_cast<const __m128i*>(laneR));
    const __m128i yStepQ = _mm_set1_epi32(static_cast<int32_t>(4 * y.dq + fourCarries));
    const __m128i yStepR = _mm_set1_epi32(static_cast<int32_t>(4 * y.dr - fourCarries * nx));
    const __m128i nxs = _mm_set1_epi32(static_cast<int32_t>(nx)), nys = _mm_set1_epi32(static_cast<int32_t>(ny));
    const __m128i subX = _mm_set1_epi32(static_cast<int32_t>(FGrid.subX));
    const __m128i subY = _mm_set1_epi32(static_cast<int32_t>(FGrid.subY));
    auto at = [](const T* p) { return reinterpret_cast<const __m128i*>(p); };
    auto to = [](T* p) { return reinterpret_cast<__m128i*>(p); };
    for (size_t c = 0; c < FColumns; c += 4) {
      __m128i cq = _mm_loadu_si128(at(q + c)), cr = _mm_loadu_si128(at(r + c));
      _mm_storeu_si128(to(xs + c), _mm_sub_epi32(Truncated(cq, cr), subX));
      _mm_storeu_si128(to(ys + c), _mm_sub_epi32(Truncated(yq, yr), subY));
      Step(cq, cr, _mm_loadu_si128(at(stepQ + c)), _mm_loadu_si128(at(stepR + c)), nys);
      Step(yq, yr, yStepQ, yStepR, nxs);
      _mm_storeu_si128(to(q + c), cq);
      _mm_storeu_si128(to(r + c), cr);
    }
  } else {
    const int64_t subX = FGrid.subX, subY = FGrid.subY;
    int64_t yq = y.q, yr = y.r;
    for (size_t c = 0; c < static_cast<size_t>(nx + 2); ++c) {
      int64_t cq = q[c], cr = r[c];
      xs[c] = Truncated(cq, cr) - subX;
      ys[c] = Truncated(yq, yr) - subY;
      Step(cq, cr, stepQ[c], stepR[c], ny);
      Step(yq, yr, y.dq, y.dr, nx);
      q[c] = cq;
      r[c] = cr;
    }
  }
}

template class QuadRowStepper<int32_t>;
template class QuadRowStepper<int64_t>;

bool QuadGridOf(const QuadCorners& corners, TRect sourceRect, int32_t targetWidth, int32_t targetHeight,
                QuadGrid& grid) {
  QuadMapping map{corners, 0, 0, 0, 0, sourceRect};
  QuadCorners& c = map.c;
  if (OppositeSides(c[0], c[2], c[1], c[3])) std::swap(c[0], c[1]);
  if (OppositeSides(c[0], c[1], c[2], c[3])) std::swap(c[0], c[2]);

  auto byX = [](TPoint a, TPoint b) { return a.x < b.x; };
  auto byY = [](TPoint a, TPoint b) { return a.y < b.y; };
  map.minX = std::max<int64_t>(std::min_element(c.begin(), c.end(), byX)->x, 0);
  map.maxX = std::min<int64_t>(std::max_element(c.begin(), c.end(), byX)->x, int64_t{targetWidth} * 256);
  map.minY = std::max<int64_t>(std::min_element(c.begin(), c.end(), byY)->y, 0);
  map.maxY = std::min<int64_t>(std::max_element(c.begin(), c.end(), byY)->y, int64_t{targetHeight} * 256);

  grid.nx = (map.maxX - map.minX) / 256 - 1;
  grid.ny = (map.maxY - map.minY) / 256 - 1;
  if (grid.nx < 1 || grid.ny < 1) return false;
  grid.left = map.minX / 256;
  grid.top = map.minY / 256;
  grid.subX = map.minX % 256;
  grid.subY = map.minY % 256;
  grid.s00 = map.MapToSource(map.minX, map.minY);
  grid.s10 = map.MapToSource(map.maxX, map.minY);
  grid.s01 = map.MapToSource(map.minX, map.maxY);
  grid.s11 = map.MapToSource(map.maxX, map.maxY);
  return true;
}

namespace {

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
