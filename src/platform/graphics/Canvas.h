#pragma once
// The drawing canvas of a bitmap: a brush, a font, and text output of CP932 text.
#include <cstdint>
#include <memory>

#include "platform/text/AnsiString.h"
#include "platform/graphics/Bitmap.h"

constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t SHIFTJIS_CHARSET = 128;

struct TFont {
  AnsiString Name = "MS Sans Serif";
  bool Bold = false;
  int32_t Height = -11;  // > 0: cell height in pixels; < 0: character height
  uint32_t Color = 0;    // 0x00BBGGRR
  uint8_t Charset = DEFAULT_CHARSET;
};

struct TBrush {
  uint32_t Color = 0xFFFFFF;  // 0x00BBGGRR; text is drawn on it
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

  // Throw Exception when no installed font can stand in for Font.Name.
  int32_t TextWidth(const AnsiString& text);
  int32_t TextHeight(const AnsiString& text);
  // Fills the text's cell with the brush, then draws the text on it. Alpha bytes stay.
  void TextOut(int32_t x, int32_t y, const AnsiString& text);

 private:
  const SizedFont& CurrentFont();

  TBitmap& FBitmap;
  std::unique_ptr<SizedFont> FFont;
  TFont FFontMade;  // the settings FFont was made for
};
