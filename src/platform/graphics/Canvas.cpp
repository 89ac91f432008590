#include "platform/graphics/Canvas.h"

#include <algorithm>

#include "platform/graphics/FontEngine.h"

TCanvas::TCanvas(TBitmap& bitmap) : FBitmap(bitmap) {}

TCanvas::~TCanvas() = default;

const SizedFont& TCanvas::CurrentFont() {
  const bool same = FFont && FFontMade.Name == Font.Name && FFontMade.Bold == Font.Bold &&
                    FFontMade.Height == Font.Height;
  if (!same) {
    FFont = std::make_unique<SizedFont>(Font.Name, Font.Height, Font.Bold);
    FFontMade = Font;
  }
  return *FFont;
}

int32_t TCanvas::TextWidth(const AnsiString& text) {
  const SizedFont& font = CurrentFont();
  int64_t advance26 = 0;
  for (char32_t c : ToUtf32(text)) advance26 += font.Advance26(c);
  return static_cast<int32_t>((advance26 + 32) / 64);
}

int32_t TCanvas::TextHeight(const AnsiString& /*text*/) { return CurrentFont().CellHeight(); }

void TCanvas::TextOut(int32_t x, int32_t y, const AnsiString& text) {
  TextRect(TRect{0, 0, FBitmap.Width(), FBitmap.Height()}, x, y, text);
}

namespace {
uint8_t Channel(uint32_t color, int shift) { return static_cast<uint8_t>(color >> shift); }
}  // namespace

void TCanvas::FillRect(const TRect& rect, uint32_t color) {
  const int32_t bpp = FBitmap.BytesPerPixel();
  const uint8_t bgr[3] = {Channel(color, 16), Channel(color, 8), Channel(color, 0)};
  const int32_t left = std::max(rect.Left, 0), right = std::min(rect.Right, FBitmap.Width());
  for (int32_t row = std::max(rect.Top, 0); row < std::min(rect.Bottom, FBitmap.Height()); ++row) {
    uint8_t* line = FBitmap.ScanLine(row);
    for (int32_t col = left; col < right; ++col) std::copy_n(bgr, 3, line + bpp * col);
  }
}

void TCanvas::TextRect(const TRect& rect, int32_t x, int32_t y, const AnsiString& text) {
  const SizedFont& font = CurrentFont();
  const TRect clip{std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, FBitmap.Width()),
                   std::min(rect.Bottom, FBitmap.Height())};
  const int32_t bpp = FBitmap.BytesPerPixel();
  const uint8_t ink[3] = {Channel(Font.Color, 16), Channel(Font.Color, 8), Channel(Font.Color, 0)};
  const int32_t width = TextWidth(text);
  if (Brush.Style == TBrushStyle::bsSolid) {
    FillRect(TRect{std::max(x, clip.Left), std::max(y, clip.Top), std::min(x + width, clip.Right),
                   std::min(y + font.CellHeight(), clip.Bottom)},
             Brush.Color);
  }
  int64_t pen26 = int64_t{x} * 64;
  const int32_t baseline = y + font.Ascent();
  for (char32_t c : ToUtf32(text)) {
    const GlyphImage g = font.Render(c);
    const int32_t left = static_cast<int32_t>((pen26 + 32) / 64) + g.Left;
    for (int32_t r = 0; r < g.Rows; ++r) {
      const int32_t py = baseline - g.Top + r;
      if (py < clip.Top || py >= clip.Bottom) continue;
      for (int32_t q = 0; q < g.Width; ++q) {
        const int32_t px = left + q;
        const int32_t cover = g.Coverage[static_cast<size_t>(r) * g.Width + q];
        if (px < clip.Left || px >= clip.Right || cover == 0) continue;
        uint8_t* p = FBitmap.ScanLine(py) + bpp * px;
        for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<uint8_t>((p[ch] * (255 - cover) + ink[ch] * cover) / 255);
      }
    }
    pen26 += g.Advance26;
  }
  if (Font.Underline) {
    const int32_t thickness = std::max(1, font.CellHeight() / 14);
    const int32_t top = baseline + std::max(1, font.CellHeight() / 10);
    const TRect line{x, top, x + width, top + thickness};
    FillRect(TRect{std::max(line.Left, clip.Left), std::max(line.Top, clip.Top), std::min(line.Right, clip.Right),
                   std::min(line.Bottom, clip.Bottom)},
             Font.Color);
  }
}

namespace {
// The first column inside a row of a rounded rectangle: the corner ellipse of
// w x h tested at pixel centres, in doubled coordinates to stay in integers.
int32_t RowStart(int32_t left, int32_t top, int32_t bottom, int32_t w, int32_t h, int32_t y) {
  const int64_t fromTop = 2 * int64_t{y - top} + 1, fromBottom = 2 * int64_t{bottom - y} - 1;
  const int64_t dy = h - std::min(fromTop, fromBottom);
  if (dy <= 0) return left;
  for (int32_t x = left; 2 * int64_t{x - left} + 1 < w; ++x) {
    const int64_t dx = w - (2 * int64_t{x - left} + 1);
    if (dx * dx * h * h + dy * dy * w * w <= int64_t{w} * w * h * h) return x;
  }
  return left + w / 2;
}
}  // namespace

void TCanvas::RoundRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t cornerWidth,
                        int32_t cornerHeight) {
  if (right - left < 1 || bottom - top < 1) return;
  const int32_t w = std::clamp(cornerWidth, 0, right - left), h = std::clamp(cornerHeight, 0, bottom - top);
  auto start = [&](int32_t y) {
    if (y < top || y >= bottom) return right;  // outside: an empty row
    return w == 0 || h == 0 ? left : RowStart(left, top, bottom, w, h, y);
  };
  for (int32_t y = std::max(top, 0); y < std::min(bottom, FBitmap.Height()); ++y) {
    const int32_t a = start(y);
    const int32_t b = left + right - a;  // the row's end, mirrored
    // The outline: the row's ends and what the rows above and below do not cover.
    const int32_t inner = std::min(b, std::max({a + 1, start(y - 1), start(y + 1)}));
    if (Brush.Style == TBrushStyle::bsSolid) FillRect(TRect{inner, y, left + right - inner, y + 1}, Brush.Color);
    FillRect(TRect{a, y, inner, y + 1}, Pen.Color);
    FillRect(TRect{std::max(left + right - inner, inner), y, b, y + 1}, Pen.Color);
  }
}

void TCanvas::Draw(int32_t x, int32_t y, const TBitmap& picture, std::optional<uint32_t> transparent,
                   std::optional<TRect> clip) {
  const TRect area = clip.value_or(TRect{0, 0, FBitmap.Width(), FBitmap.Height()});
  const int32_t sbpp = picture.BytesPerPixel(), dbpp = FBitmap.BytesPerPixel();
  const bool alpha = picture.PixelFormat() == TPixelFormat::pf32bit;
  const int32_t left = std::max({x, area.Left, 0}), right = std::min({x + picture.Width(), area.Right, FBitmap.Width()});
  const int32_t top = std::max({y, area.Top, 0}), bottom = std::min({y + picture.Height(), area.Bottom, FBitmap.Height()});
  for (int32_t row = top; row < bottom; ++row) {
    const uint8_t* src = picture.ScanLine(row - y);
    uint8_t* dst = FBitmap.ScanLine(row);
    for (int32_t col = left; col < right; ++col) {
      const uint8_t* s = src + sbpp * (col - x);
      uint8_t* d = dst + dbpp * col;
      if (transparent && s[0] == Channel(*transparent, 16) && s[1] == Channel(*transparent, 8) &&
          s[2] == Channel(*transparent, 0) && (!alpha || s[3] == Channel(*transparent, 24))) {
        continue;
      }
      if (alpha) {
        for (int ch = 0; ch < 3; ++ch) d[ch] = static_cast<uint8_t>((d[ch] * (255 - s[3]) + s[ch] * s[3] + 127) / 255);
      } else {
        std::copy_n(s, 3, d);
      }
    }
  }
}
