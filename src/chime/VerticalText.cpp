#include "chime/VerticalText.h"

void DrawVerticalText(TCanvas& canvas, int32_t x, int32_t y, uint8_t h, uint8_t v, const AnsiString& text) {
  const AnsiString square = Ansi(u8"■");
  const int32_t w = canvas.TextWidth(square);
  const int32_t t = canvas.TextHeight(square);
  const auto len = static_cast<int32_t>(text.size());
  const int32_t xc = h == 0 ? x : h == 2 ? x - w / 2 : x + w / 2;
  int32_t yc = v == 0 ? y - (len * t) / 4 : v == 2 ? y - (len * t) / 2 : y;
  // i counts bytes from 1; the loop ends before the last byte on its own.
  for (int32_t i = 1; i < len;) {
    if (text[i - 1] == ' ') {
      i += 1;
      yc += t / 2;
      continue;
    }
    const AnsiString character = text.substr(static_cast<size_t>(i - 1), 2);
    const int32_t cw = canvas.TextWidth(character);
    canvas.TextOut(xc - cw / 2, yc, character);
    yc += t;
    i += 2;
  }
}
