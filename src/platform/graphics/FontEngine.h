#pragma once
// Fonts for the canvas: the system's font names mapped to installed fonts
// (found with fontconfig), rendered with FreeType.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/text/AnsiString.h"

// A rendered glyph: coverage 0..255, rows from the top.
struct GlyphImage {
  int32_t Left = 0;     // from the pen position to the first column
  int32_t Top = 0;      // from the baseline up to the first row
  int32_t Width = 0;
  int32_t Rows = 0;
  int32_t Advance26 = 0;  // pen advance in 1/64 pixel
  std::vector<uint8_t> Coverage;
};

class FontFace;

// One font at one size, as the canvas asks for it.
class SizedFont {
 public:
  // name is the system's font name (CP932); height > 0 is the cell height in
  // pixels, height < 0 the character height. Throws Exception when no installed
  // font can stand in for name.
  SizedFont(const AnsiString& name, int32_t height, bool bold);
  ~SizedFont();
  SizedFont(const SizedFont&) = delete;
  SizedFont& operator=(const SizedFont&) = delete;

  int32_t CellHeight() const { return FCellHeight; }
  int32_t Ascent() const { return FAscent; }
  GlyphImage Render(char32_t code) const;
  // The pen advance alone, in 1/64 pixel, without rasterising the glyph.
  int32_t Advance26(char32_t code) const;

 private:
  bool Load(char32_t code) const;  // the glyph into the face's slot, at this size
  std::shared_ptr<FontFace> FFace;
  int32_t FCellHeight = 0;
  int32_t FAscent = 0;
  int64_t FCharSize26 = 0;
  bool FEmbolden = false;
};
