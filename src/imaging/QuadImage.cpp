#include "imaging/QuadImage.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdlib>
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

void WritePixel(uint8_t* p, uint32_t k, uint8_t mode) {
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
  FRows.reserve(static_cast<size_t>(source.Height()));
  for (int32_t y = 0; y < source.Height(); ++y) FRows.push_back(source.ScanLine(y));
}

bool QuadSampler::Inside(int64_t column, int64_t row) const {
  return column >= FRect.Left && column < FRect.Right && row >= FRect.Top && row < FRect.Bottom;
}

const uint8_t* QuadSampler::Pixel(int64_t column, int64_t row) const {
  return FRows[static_cast<size_t>(row)] + 4 * column;
}

uint32_t QuadSampler::SampleBilinear(SourcePos s) const {
  // All four neighbours inside (which a negative position never has): the
  // weights add up to 255 * 255 and 32 bits suffice.
  const int64_t i0 = s.x >> 8, j0 = s.y >> 8;
  if (s.x >= 0 && s.y >= 0 && i0 >= FRect.Left && i0 + 1 < FRect.Right && j0 >= FRect.Top && j0 + 1 < FRect.Bottom) {
    const auto fx = static_cast<uint32_t>(s.x & 255), fy = static_cast<uint32_t>(s.y & 255);
    // Down the two columns first: pairs (upper, lower) of 16-bit channels times
    // (wy0, wy1) give sums below 2^16; then across, as unsigned 16-bit products
    // split in low and high halves, to sums below 2^24.
    const __m128i zero = _mm_setzero_si128();
    const __m128i upper = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(Pixel(i0, j0))), zero);
    const __m128i lower = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(Pixel(i0, j0 + 1))), zero);
    const __m128i wy = _mm_set1_epi32(static_cast<int32_t>((255 - fy) | fy << 16));
    const __m128i left = _mm_madd_epi16(_mm_unpacklo_epi16(upper, lower), wy);
    const __m128i right = _mm_madd_epi16(_mm_unpackhi_epi16(upper, lower), wy);
    const __m128i pairs = _mm_or_si128(left, _mm_slli_epi32(right, 16));
    const __m128i wx = _mm_set1_epi32(static_cast<int32_t>((255 - fx) | fx << 16));
    const __m128i low = _mm_mullo_epi16(pairs, wx), high = _mm_mulhi_epu16(pairs, wx);
    const __m128i blueGreen = _mm_unpacklo_epi16(low, high), redAlpha = _mm_unpackhi_epi16(low, high);
    const __m128i sums01 = _mm_add_epi32(blueGreen, _mm_srli_epi64(blueGreen, 32));
    const __m128i sums23 = _mm_add_epi32(redAlpha, _mm_srli_epi64(redAlpha, 32));
    const auto b = static_cast<uint32_t>(_mm_cvtsi128_si32(sums01));
    const auto g = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums01, 8)));
    const auto r = static_cast<uint32_t>(_mm_cvtsi128_si32(sums23));
    const auto a = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums23, 8)));
    constexpr uint32_t kFullWeight = 255 * 255;
    return (b / kFullWeight) | (g / kFullWeight) << 8 | (r / kFullWeight) << 16 | (a >> 16) << 24;
  }
  return SampleBilinearAtEdge(s);
}

// Some neighbours outside: only those inside count, and the colour is their
// weighted mean while alpha fades with the missing weight.
uint32_t QuadSampler::SampleBilinearAtEdge(SourcePos s) const {
  const AxisWeights cx = Split(s.x);
  const AxisWeights cy = Split(s.y);
  // Weights up to 255 * 255 and sums below 2^24: 32 bits suffice.
  uint32_t weight = 0, b = 0, g = 0, r = 0, a = 0;
  const int64_t columns[2][2] = {{cx.i0, cx.w0}, {cx.i1, cx.w1}};
  const int64_t rows[2][2] = {{cy.i0, cy.w0}, {cy.i1, cy.w1}};
  for (const auto& row : rows) {
    for (const auto& column : columns) {
      if (!Inside(column[0], row[0])) continue;
      const auto w = static_cast<uint32_t>(column[1] * row[1]);
      const uint8_t* p = Pixel(column[0], row[0]);
      weight += w;
      b += w * p[0];
      g += w * p[1];
      r += w * p[2];
      a += w * p[3];
    }
  }
  if (weight == 0) return 0;
  return Pack(b / weight, g / weight, r / weight, a / 65536);
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

QuadRowStepper::Quotient::Quotient(int64_t a, int64_t d, int64_t n)
    : q(a / n), r(a % n), dq(d / n), dr(d % n) {
  if (r < 0) {
    r += n;
    --q;
  }
  if (dr < 0) {
    dr += n;
    --dq;
  }
}

namespace {

// One step; the carry is a compare and a select, not a branch.
inline void Step(int64_t& q, int64_t& r, int64_t dq, int64_t dr, int64_t n) {
  const int64_t wrapped = r + (dr - n);
  const bool carry = wrapped >= 0;
  r = carry ? wrapped : wrapped + n;
  q += dq + carry;
}

// The floored quotient q with remainder r, truncated toward zero instead.
inline int64_t Truncated(int64_t q, int64_t r) { return q + ((q < 0) & (r != 0)); }

}  // namespace

QuadRowStepper::QuadRowStepper(const QuadGrid& g)
    : FGrid(g),
      FLeftY((g.ny + 1) * g.s00.y - g.s01.y, g.s01.y - g.s00.y, g.ny),
      FRightY((g.ny + 1) * g.s10.y - g.s11.y, g.s11.y - g.s10.y, g.ny) {
  Quotient topX((g.nx + 1) * g.s00.x - g.s10.x, g.s10.x - g.s00.x, g.nx);
  Quotient bottomX((g.nx + 1) * g.s01.x - g.s11.x, g.s11.x - g.s01.x, g.nx);
  for (int64_t j = -1; j <= g.nx; ++j) {
    const int64_t top = Truncated(topX.q, topX.r), bottom = Truncated(bottomX.q, bottomX.r);
    const Quotient x(top * (g.ny + 1) - bottom, bottom - top, g.ny);
    FQ.push_back(x.q);
    FR.push_back(x.r);
    FStepQ.push_back(x.dq);
    FStepR.push_back(x.dr);
    Step(topX.q, topX.r, topX.dq, topX.dr, g.nx);
    Step(bottomX.q, bottomX.r, bottomX.dq, bottomX.dr, g.nx);
  }
}

void QuadRowStepper::Next(SourcePos* row) {
  const int64_t nx = FGrid.nx, ny = FGrid.ny;
  const int64_t leftY = Truncated(FLeftY.q, FLeftY.r), rightY = Truncated(FRightY.q, FRightY.r);
  Step(FLeftY.q, FLeftY.r, FLeftY.dq, FLeftY.dr, ny);
  Step(FRightY.q, FRightY.r, FRightY.dq, FRightY.dr, ny);
  Quotient y((nx + 1) * leftY - rightY, rightY - leftY, nx);
  // Everything in locals: the row's stores could otherwise alias the columns' state.
  const size_t columns = FQ.size();
  int64_t* const q = FQ.data();
  int64_t* const r = FR.data();
  const int64_t* const stepQ = FStepQ.data();
  const int64_t* const stepR = FStepR.data();
  const int64_t subX = FGrid.subX, subY = FGrid.subY;
  int64_t yq = y.q, yr = y.r;
  for (size_t c = 0; c < columns; ++c) {
    int64_t cq = q[c], cr = r[c];
    row[c] = {Truncated(cq, cr) - subX, Truncated(yq, yr) - subY};
    Step(cq, cr, stepQ[c], stepR[c], ny);
    Step(yq, yr, y.dq, y.dr, nx);
    q[c] = cq;
    r[c] = cr;
  }
}

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

void DrawQuadImage(TBitmap& target, const TBitmap& source, const QuadCorners& corners,
                   uint8_t mode, TRect sourceRect) {
  target.SetPixelFormat(TPixelFormat::pf32bit);
  if (source.PixelFormat() != TPixelFormat::pf32bit) return;
  if (mode != QuadModeCopy && mode != QuadModeOver) return;
  ClipRectTo(sourceRect, {0, 0, source.Width(), source.Height()});
  QuadGrid grid;
  if (!QuadGridOf(corners, sourceRect, target.Width(), target.Height(), grid)) return;
  const QuadSampler sampler(source, sourceRect);

  // Positions one row ahead of the one drawn: a pixel's footprint is its
  // distance to the left and upper neighbours.
  QuadRowStepper positions(grid);
  std::vector<SourcePos> previous(static_cast<size_t>(grid.nx + 3));
  std::vector<SourcePos> current(static_cast<size_t>(grid.nx + 3));
  for (int64_t i = -1; i <= grid.ny; ++i) {
    positions.Next(current.data());
    if (i >= 0) {
      uint8_t* row = target.ScanLine(static_cast<int32_t>(grid.top + i)) + 4 * grid.left;
      for (int64_t j = 0; j <= grid.nx; ++j) {
        const SourcePos cur = current[static_cast<size_t>(j + 1)];
        const SourcePos left = current[static_cast<size_t>(j)];
        const SourcePos up = previous[static_cast<size_t>(j + 1)];
        if (!sampler.Inside(cur.x / 256, cur.y / 256)) continue;
        const int64_t ddx = 2 * cur.x - left.x - up.x;
        const int64_t ddy = 2 * cur.y - left.y - up.y;
        const uint32_t k = (ddx > -512 && ddx < 512 && ddy > -512 && ddy < 512)
                               ? sampler.SampleBilinear(cur)
                               : sampler.SampleBox(cur, ddx, ddy);
        if ((k >> 24) == 0) continue;
        WritePixel(row + 4 * j, k, mode);
      }
    }
    std::swap(previous, current);
  }
}
