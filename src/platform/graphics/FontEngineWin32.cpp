// The system's fonts by their own names, rendered by GDI into 8-bit coverage.
#include <windows.h>

#include "platform/graphics/FontEngine.h"

class FontFace {
 public:
  FontFace(const AnsiString& name, int32_t height, bool bold) : FDc(CreateCompatibleDC(nullptr)) {
    FFont = CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                        CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, name.c_str());
    FOld = SelectObject(FDc, FFont);
  }
  ~FontFace() {
    SelectObject(FDc, FOld);
    DeleteObject(FFont);
    DeleteDC(FDc);
  }
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;
  HDC Dc() const { return FDc; }

 private:
  HDC FDc;
  HFONT FFont = nullptr;
  HGDIOBJ FOld = nullptr;
};

namespace {
constexpr MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
}  // namespace

SizedFont::SizedFont(const AnsiString& name, int32_t height, bool bold)
    : FFace(std::make_shared<FontFace>(name, height, bold)) {
  TEXTMETRICA metrics{};
  GetTextMetricsA(FFace->Dc(), &metrics);
  // A positive height asks for that cell; the mapper may round its own metrics away from it.
  FCellHeight = height > 0 ? height : metrics.tmHeight;
  FAscent = metrics.tmAscent;
}

SizedFont::~SizedFont() = default;

int32_t SizedFont::Advance26(char32_t code) const {
  GLYPHMETRICS gm{};
  if (GetGlyphOutlineW(FFace->Dc(), static_cast<UINT>(code), GGO_METRICS, &gm, 0, nullptr, &kIdentity) == GDI_ERROR) return 0;
  return gm.gmCellIncX * 64;
}

GlyphImage SizedFont::Render(char32_t code) const {
  GlyphImage g;
  GLYPHMETRICS gm{};
  const DWORD size = GetGlyphOutlineW(FFace->Dc(), static_cast<UINT>(code), GGO_GRAY8_BITMAP, &gm, 0, nullptr, &kIdentity);
  if (size == GDI_ERROR) return g;
  g.Advance26 = gm.gmCellIncX * 64;
  if (size == 0) return g;  // a blank: an advance and nothing to draw
  std::vector<uint8_t> levels(size);
  GetGlyphOutlineW(FFace->Dc(), static_cast<UINT>(code), GGO_GRAY8_BITMAP, &gm, size, levels.data(), &kIdentity);
  g.Left = gm.gmptGlyphOrigin.x;
  g.Top = gm.gmptGlyphOrigin.y;
  g.Width = static_cast<int32_t>(gm.gmBlackBoxX);
  g.Rows = static_cast<int32_t>(gm.gmBlackBoxY);
  const size_t stride = (static_cast<size_t>(g.Width) + 3) & ~size_t{3};
  g.Coverage.resize(static_cast<size_t>(g.Width) * g.Rows);
  for (int32_t r = 0; r < g.Rows; ++r) {
    for (int32_t q = 0; q < g.Width; ++q) {
      // 65 levels, 0 to 64.
      g.Coverage[static_cast<size_t>(r) * g.Width + q] = static_cast<uint8_t>(levels[r * stride + q] * 255 / 64);
    }
  }
  return g;
}
