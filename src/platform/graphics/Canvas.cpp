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
  const SizedFont& font = CurrentFont();
  const int32_t bpp = FBitmap.BytesPerPixel();
  const uint8_t brush[3] = {uint8_t(Brush.Color >> 16), uint8_t(Brush.Color >> 8), uint8_t(Brush.Color)};
  const uint8_t ink[3] = {uint8_t(Font.Color >> 16), uint8_t(Font.Color >> 8), uint8_t(Font.Color)};
  const int32_t width = TextWidth(text);
  for (int32_t row = std::max(y, 0); row < std::min(y + font.CellHeight(), FBitmap.Height()); ++row) {
    for (int32_t col = std::max(x, 0); col < std::min(x + width, FBitmap.Width()); ++col) {
      std::copy_n(brush, 3, FBitmap.ScanLine(row) + bpp * col);
    }
  }
  int64_t pen26 = int64_t{x} * 64;
  const int32_t baseline = y + font.Ascent();
  for (char32_t c : ToUtf32(text)) {
    const GlyphImage g = font.Render(c);
    const int32_t left = static_cast<int32_t>((pen26 + 32) / 64) + g.Left;
    for (int32_t r = 0; r < g.Rows; ++r) {
      const int32_t py = baseline - g.Top + r;
      if (py < 0 || py >= FBitmap.Height()) continue;
      for (int32_t q = 0; q < g.Width; ++q) {
        const int32_t px = left + q;
        const int32_t cover = g.Coverage[static_cast<size_t>(r) * g.Width + q];
        if (px < 0 || px >= FBitmap.Width() || cover == 0) continue;
        uint8_t* p = FBitmap.ScanLine(py) + bpp * px;
        for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<uint8_t>((p[ch] * (255 - cover) + ink[ch] * cover) / 255);
      }
    }
    pen26 += g.Advance26;
  }
}
