#pragma once
// The drawing canvas of a bitmap: a brush, a pen, a font, text output of CP932
// text, outlines and pictures. Drawing keeps the bitmap's alpha bytes.
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/text/AnsiString.h"
#include "platform/graphics/Bitmap.h"
#include "platform/Types.h"

constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t SHIFTJIS_CHARSET = 128;

struct TFont {
  AnsiString Name = "MS Sans Serif";
  bool Bold = false;
  int32_t Height = -11;  // > 0: cell height in pixels; < 0: character height
  uint32_t Color = 0;    // 0x00BBGGRR
  uint8_t Charset = DEFAULT_CHARSET;
  bool Underline = false;
};

enum class TBrushStyle { bsSolid, bsClear };

struct TBrush {
  uint32_t Color = 0xFFFFFF;  // 0x00BBGGRR; text is drawn on it
  TBrushStyle Style = TBrushStyle::bsSolid;  // clear: text without its cell, outlines unfilled
};

struct TPen {
  uint32_t Color = 0;  // 0x00BBGGRR; one pixel wide
};

class SizedFont;

class TCanvas {
 public:
  explicit TCanvas(TBitmap& bitmap);
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TFont Font;
  TBrush Brush;
  TPen Pen;

  // Throw Exception when no installed font can stand in for Font.Name.
  int32_t TextWidth(const AnsiString& text);
  int32_t TextHeight(const AnsiString& text);
  // Fills the text's cell with the brush, then draws the text on it. Alpha bytes stay.
  void TextOut(int32_t x, int32_t y, const AnsiString& text);
  // TextOut with nothing drawn outside rect.
  void TextRect(const TRect& rect, int32_t x, int32_t y, const AnsiString& text);
  void FillRect(const TRect& rect, uint32_t color);
  // The outline of a rectangle (right and bottom exclusive) whose corners are
  // quarters of an ellipse cornerWidth x cornerHeight, in the pen; filled with
  // the brush unless it is clear.
  void RoundRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t cornerWidth, int32_t cornerHeight);
  // The picture at (x, y), within clip when given, without the pixels of the
  // colour transparent (0xAABBGGRR for a 32-bit picture, alpha included); a
  // 32-bit picture's other pixels blend by their (straight) alpha.
  void Draw(int32_t x, int32_t y, const TBitmap& picture, std::optional<uint32_t> transparent = std::nullopt,
            std::optional<TRect> clip = std::nullopt);

 private:
  const SizedFont& CurrentFont();

  TBitmap& FBitmap;
  std::unique_ptr<SizedFont> FFont;
  TFont FFontMade;  // the settings FFont was made for
};
