#include "imaging/AlphaTransfer.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/FuncGraphicWork.h"

namespace {

int32_t BlendChannel(uint8_t mode, int32_t s, int32_t d) {
  switch (mode) {
    case tmAdd:
      return std::min(s + d, 255);
    case tmSubtract:
      return std::max(d - s, 0);
    case tmMultiply:
      return s * d / 255;
    case tmDivide:
      return std::min(d * 255 / (s + 1), 255);
    case tmScreen:
      return (d * 255 + s * 255 - d * s) / 255;
    case tmSoftLight:
      return d <= 128 ? d + d * (s - 128) / 128 : d + (255 - d) * (s - 128) / 128;
    case tmHalfLight:
      return s / 2 + 128;
    case tmHalfDark:
      return s / 2;
    default:
      return s;
  }
}

void AlphaOver(uint8_t* d, const int32_t s[3], int32_t a) {
  const int32_t e = (255 - a) * d[3] / 255;
  d[3] = static_cast<uint8_t>((a + e) % 256);
  if (a + e <= 0) return;
  for (int c = 0; c < 3; ++c) d[c] = static_cast<uint8_t>((d[c] * e + s[c] * a) / (a + e));
}

// The rule shared by both transfers for modes other than tmCopy; the two
// differ in how a partial alpha is divided and in whether alpha becomes 255.
template <bool Unscaled>
void WriteBlended(uint8_t* d, const int32_t s[4], uint8_t mode, int32_t opacity) {
  const int32_t a = opacity * s[3] / 255;
  if (a <= 0) return;
  if (mode == tmAlphaOver) {
    AlphaOver(d, s, a);
    return;
  }
  for (int c = 0; c < 3; ++c) {
    const int32_t v = BlendChannel(mode, s[c], d[c]);
    if (a == 255) {
      d[c] = static_cast<uint8_t>(v);
    } else if (Unscaled) {
      d[c] = static_cast<uint8_t>((d[c] * (255 - a) + v * a) / 255);
    } else {
      d[c] = static_cast<uint8_t>((d[c] * (255 - a) + v * a) >> 8);
    }
  }
  if (Unscaled) d[3] = 255;
}

void UnscaledTransfer(TBitmap& dest, const TBitmap& source, int32_t dx0, int32_t dy0, int32_t sx0, int32_t sy0,
                      int32_t w, int32_t h, bool mirror, uint8_t mode, int32_t opacity) {
  for (int32_t j = 0; j < h; ++j) {
    const uint8_t* srcRow = source.ScanLine(sy0 + j);
    uint8_t* d = dest.ScanLine(dy0 + j) + 4 * dx0;
    for (int32_t i = 0; i < w; ++i, d += 4) {
      const int32_t column = mirror ? source.Width() - 1 - (sx0 + i) : sx0 + i;
      const uint8_t* p = srcRow + 4 * column;
      if (mode == tmCopy) {
        std::copy_n(p, 4, d);
      } else {
        const int32_t s[4] = {p[0], p[1], p[2], p[3]};
        WriteBlended<true>(d, s, mode, opacity);
      }
    }
  }
}

// Source rows with the last one repeated, so that row sh reads as row sh - 1.
std::vector<const uint8_t*> RowsWithRepeat(const TBitmap& source) {
  std::vector<const uint8_t*> rows;
  rows.reserve(static_cast<size_t>(source.Height()) + 1);
  for (int32_t y = 0; y < source.Height(); ++y) rows.push_back(source.ScanLine(y));
  rows.push_back(rows.back());
  return rows;
}

struct ScaledSampler {
  const std::vector<const uint8_t*>& rows;
  int64_t sw, sh, dw, dh;
  bool mirror;

  // Bilinear enlargement; column c1 is read only when its weight is not 0.
  void Enlarge(int64_t dx, int64_t fy, int32_t out[4]) const {
    const int64_t sy = fy / 256, wy = fy % 256;
    const int64_t fx = (dx * 256 + 128) * (sw - 1) / dw;
    const int64_t sx = fx / 256, wx = fx % 256;
    const int64_t c0 = mirror ? sw - 1 - sx : sx;
    const int64_t c1 = mirror ? sw - 2 - sx : sx + 1;
    const uint8_t* r0 = rows[static_cast<size_t>(sy)];
    const uint8_t* r1 = rows[static_cast<size_t>(sy + 1)];
    for (int c = 0; c < 4; ++c) {
      uint64_t v = uint64_t((256 - wx) * (256 - wy)) * r0[4 * c0 + c] + uint64_t((256 - wx) * wy) * r1[4 * c0 + c];
      if (wx > 0) v += uint64_t(wx * (256 - wy)) * r0[4 * c1 + c] + uint64_t(wx * wy) * r1[4 * c1 + c];
      out[c] = static_cast<int32_t>(v >> 16);
    }
  }

  // Area average; false when the footprint has no weight (the pixel is skipped).
  bool Reduce(int64_t dx, int64_t dy, int32_t out[4]) const {
    const int64_t y0f = dy * 256 * sh / dh, y1f = (dy * 256 + 255) * sh / dh;
    int64_t x0f, x1f;
    if (mirror) {
      x0f = sw * 256 - ((dx * 256 + 255) * sw / dw) - 256;
      x1f = sw * 256 - (dx * 256 * sw / dw) - 256;
    } else {
      x0f = dx * 256 * sw / dw;
      x1f = (dx * 256 + 255) * sw / dw;
    }
    const int64_t y0 = y0f / 256, y1 = y1f / 256, x0 = x0f / 256, x1 = x1f / 256;
    const int64_t fy0 = y0f % 256, fy1 = y1f % 256, fx0 = x0f % 256, fx1 = x1f % 256;
    int64_t sum[4] = {}, weight = 0;
    auto add = [&](const uint8_t* row, int64_t column, int64_t w) {
      const uint8_t* p = row + 4 * column;
      for (int c = 0; c < 4; ++c) sum[c] += p[c] * w;
      weight += w;
    };
    for (int64_t r = y0; r <= y1; ++r) {
      const int64_t wr = r == y1 ? fy1 : r == y0 ? 256 - fy0 : 256;
      const uint8_t* row = rows[static_cast<size_t>(r)];
      add(row, x0, (256 - fx0) * wr / 256);
      for (int64_t column = x0 + 1; column < x1; ++column) add(row, column, wr);
      add(row, x1, wr * fx1 / 256);
    }
    if (weight <= 0) return false;
    for (int c = 0; c < 4; ++c) out[c] = static_cast<int32_t>(sum[c] / weight);
    return true;
  }
};

void ScaledTransfer(const TTransferParams& p) {
  const TBitmap& source = *p.Source;
  const std::vector<const uint8_t*> rows = RowsWithRepeat(source);
  const ScaledSampler sampler{rows,
                              source.Width(),
                              source.Height(),
                              int64_t{p.DestRect.Right} - p.DestRect.Left,
                              int64_t{p.DestRect.Bottom} - p.DestRect.Top,
                              p.Mirror != 0};
  const bool reduce = sampler.sw > sampler.dw;
  for (int32_t y = p.ClipRect.Top; y < p.ClipRect.Bottom; ++y) {
    const int64_t dy = int64_t{y} - p.DestRect.Top;
    const int64_t fy = (dy * 256 + 128) * (sampler.sh - 1) / sampler.dh;
    uint8_t* d = p.Dest->ScanLine(y) + 4 * p.ClipRect.Left;
    for (int32_t x = p.ClipRect.Left; x < p.ClipRect.Right; ++x, d += 4) {
      const int64_t dx = int64_t{x} - p.DestRect.Left;
      int32_t s[4];
      if (reduce) {
        if (!sampler.Reduce(dx, dy, s)) continue;
      } else {
        sampler.Enlarge(dx, fy, s);
      }
      if (p.Mode == tmCopy) {
        for (int c = 0; c < 4; ++c) d[c] = static_cast<uint8_t>(s[c]);
      } else {
        WriteBlended<false>(d, s, p.Mode, p.Opacity);
      }
    }
  }
}

// Returns the bounding rectangle, in dest coordinates, of the pixels whose value
// changed; empty when none did.
TRect PremultipliedCopy(TBitmap& dest, const TBitmap& source, int32_t dx0, int32_t dy0, int32_t sx0, int32_t sy0,
                        int32_t w, int32_t h) {
  auto one = [](const uint8_t* from, uint8_t* to) {
    const int32_t a = from[3];
    uint8_t out[4] = {0, 0, 0, 0};
    if (a == 255) {
      std::copy_n(from, 4, out);
    } else if (a != 0) {
      for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(from[c] * a / 255);
      out[3] = static_cast<uint8_t>(a);
    }
    const bool changed = std::memcmp(out, to, 4) != 0;
    std::copy_n(out, 4, to);
    return changed;
  };
  // Four pixels at a time: a byte times its alpha, divided by 255 exactly as
  // (t + 1 + (t >> 8)) >> 8 for t up to 255 * 255; alpha itself is multiplied by 255.
  const __m128i zero = _mm_setzero_si128();
  const __m128i unit = _mm_set1_epi16(1);
  const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
  const __m128i alphaTimes255 = _mm_set_epi16(255, 0, 0, 0, 255, 0, 0, 0);
  auto premultiplyTwo = [&](__m128i pixels) {
    const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(pixels, 0xFF), 0xFF);
    const __m128i factor = _mm_or_si128(_mm_andnot_si128(alphaLanes, alpha), alphaTimes255);
    const __m128i t = _mm_mullo_epi16(pixels, factor);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(t, unit), _mm_srli_epi16(t, 8)), 8);
  };
  const __m128i alphaBytes = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
  TRect changed{dx0 + w, dy0 + h, dx0, dy0};
  for (int32_t j = 0; j < h; ++j) {
    const uint8_t* p = source.ScanLine(sy0 + j) + 4 * sx0;
    uint8_t* d = dest.ScanLine(dy0 + j) + 4 * dx0;
    int32_t first = w, last = -1;  // the row's changed columns
    int32_t i = 0;
    for (; i + 3 < w; i += 4, p += 16, d += 16) {
      const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      __m128i out = zero;  // most of a frame is clear
      if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(pixels, alphaBytes), zero)) != 0xFFFF) {
        out = _mm_packus_epi16(premultiplyTwo(_mm_unpacklo_epi8(pixels, zero)), premultiplyTwo(_mm_unpackhi_epi8(pixels, zero)));
      }
      const auto differs = static_cast<uint32_t>(
          ~_mm_movemask_epi8(_mm_cmpeq_epi32(out, _mm_loadu_si128(reinterpret_cast<const __m128i*>(d)))) & 0xFFFF);
      if (differs != 0) {
        first = std::min(first, i + __builtin_ctz(differs) / 4);
        last = i + (31 - __builtin_clz(differs)) / 4;
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d), out);
    }
    for (; i < w; ++i, p += 4, d += 4) {
      if (one(p, d)) {
        first = std::min(first, i);
        last = i;
      }
    }
    if (last < 0) continue;
    changed = TRect{std::min(changed.Left, dx0 + first), std::min(changed.Top, dy0 + j), std::max(changed.Right, dx0 + last + 1),
                    dy0 + j + 1};
  }
  return changed.Right > changed.Left ? changed : TRect{};
}

}  // namespace

void AlphaTransfer(TTransferParams& p) {
  if (p.Opacity == 0) return;
  if (p.Opacity > 255) p.Opacity = 255;
  ClipRectTo(p.ClipRect, {0, 0, p.Dest->Width(), p.Dest->Height()});
  ClipRectTo(p.ClipRect, p.DestRect);
  const TRect& clip = p.ClipRect;
  if (clip.Right - clip.Left < 1 || clip.Bottom - clip.Top < 1) return;
  if (p.Source->Empty()) return;
  const TRect& r = p.DestRect;
  if (p.Source->Width() == r.Right - r.Left && p.Source->Height() == r.Bottom - r.Top) {
    UnscaledTransfer(*p.Dest, *p.Source, clip.Left, clip.Top, clip.Left - r.Left, clip.Top - r.Top,
                     clip.Right - clip.Left, clip.Bottom - clip.Top, p.Mirror != 0, p.Mode, p.Opacity);
  } else {
    ScaledTransfer(p);
  }
}

void DrawBitmapAt(int32_t x, int32_t y, TBitmap& dest, uint8_t mode, const TBitmap& source) {
  DrawBitmapAt(x, y, dest, mode, source, {0, 0, dest.Width(), dest.Height()});
}

TRect DrawBitmapAt(int32_t x, int32_t y, TBitmap& dest, uint8_t mode, const TBitmap& source, TRect clip) {
  ClipRectTo(clip, {0, 0, dest.Width(), dest.Height()});
  ClipRectTo(clip, {x, y, x + source.Width(), y + source.Height()});
  const int32_t w = clip.Right - clip.Left, h = clip.Bottom - clip.Top;
  if (w <= 0 || h <= 0) return TRect{};
  if (mode == tmPremultiplied) return PremultipliedCopy(dest, source, clip.Left, clip.Top, clip.Left - x, clip.Top - y, w, h);
  UnscaledTransfer(dest, source, clip.Left, clip.Top, clip.Left - x, clip.Top - y, w, h, false, mode, 255);
  return clip;
}
