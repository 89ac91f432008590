#include "platform/wayland/MenuPicture.h"

#include <algorithm>

#include "platform/graphics/Canvas.h"
#include "platform/wayland/MenuNavigation.h"

namespace {
// Colours 0x00BBGGRR.
constexpr uint32_t kFace = 0xF2F2F2, kBorder = 0xA0A0A0, kHighlight = 0xF0D8B0, kText = 0x000000, kRule = 0xC8C8C8;
constexpr int32_t kItemHeight = 22, kSeparatorHeight = 9, kCheckColumn = 28, kShortCutGap = 32, kRightMargin = 16;

TFont MenuFont() {
  TFont font;
  font.Name = Ansi(u8"ＭＳ Ｐゴシック");
  font.Height = -12;
  font.Charset = SHIFTJIS_CHARSET;
  return font;
}

// The caption without its markers, split around the access key.
void Split(const AnsiString& caption, AnsiString& before, AnsiString& key, AnsiString& after) {
  AnsiString* into = &before;
  for (size_t i = 0; i < caption.size(); ++i) {
    const auto c = static_cast<unsigned char>(caption[i]);
    if (IsLeadByte(c) && i + 1 < caption.size()) {
      *into += caption.substr(i++, 2);
    } else if (c == '&' && i + 1 < caption.size() && caption[i + 1] == '&') {
      *into += '&';
      ++i;
    } else if (c == '&' && into == &before && i + 1 < caption.size()) {
      key = caption.substr(++i, 1);
      into = &after;
    } else {
      *into += caption[i];
    }
  }
}

void CheckMark(TCanvas& canvas, int32_t mid) {
  // Two strokes, two pixels thick.
  for (int32_t i = 0; i <= 3; ++i) canvas.FillRect(TRect{10 + i, mid - 1 + i, 12 + i, mid + 1 + i}, kText);
  for (int32_t i = 0; i <= 5; ++i) canvas.FillRect(TRect{13 + i, mid + 2 - i, 15 + i, mid + 4 - i}, kText);
}
}  // namespace

TMenuPicture::TMenuPicture(const TPopupMenu& menu) {
  TBitmap scratch;
  scratch.SetPixelFormat(TPixelFormat::pf32bit);
  scratch.SetSize(1, 1);
  TCanvas canvas(scratch);
  canvas.Font = MenuFont();
  int32_t textWidth = 0, shortCutWidth = 0, y = 1;
  for (const auto& item : menu.Items()) {
    TRow row;
    row.Separator = item->IsSeparator();
    row.Checked = item->Checked;
    row.Top = y;
    y += row.Separator ? kSeparatorHeight : kItemHeight;
    row.Bottom = y;
    if (!row.Separator) {
      Split(item->Caption, row.Before, row.Key, row.After);
      row.ShortCut = ShortCutToText(item->ShortCut);
      textWidth = std::max(textWidth, canvas.TextWidth(row.Before + row.Key + row.After));
      if (!row.ShortCut.empty()) shortCutWidth = std::max(shortCutWidth, canvas.TextWidth(row.ShortCut));
    }
    FRows.push_back(std::move(row));
  }
  FSize = TPoint{kCheckColumn + textWidth + (shortCutWidth > 0 ? kShortCutGap + shortCutWidth : 0) + kRightMargin + 1, y + 1};
}

int32_t TMenuPicture::ItemAt(TPoint at) const {
  if (at.x < 1 || at.x >= FSize.x - 1) return -1;
  for (size_t i = 0; i < FRows.size(); ++i) {
    if (at.y >= FRows[i].Top && at.y < FRows[i].Bottom) return static_cast<int32_t>(i);
  }
  return -1;
}

void TMenuPicture::Draw(TBitmap& picture, int32_t highlighted) const {
  picture.SetPixelFormat(TPixelFormat::pf32bit);
  picture.SetSize(FSize.x, FSize.y);
  TCanvas canvas(picture);
  canvas.FillRect(TRect{0, 0, FSize.x, FSize.y}, kBorder);
  canvas.FillRect(TRect{1, 1, FSize.x - 1, FSize.y - 1}, kFace);
  canvas.Font = MenuFont();
  canvas.Brush.Style = TBrushStyle::bsClear;
  for (size_t i = 0; i < FRows.size(); ++i) {
    const TRow& row = FRows[i];
    const int32_t mid = (row.Top + row.Bottom) / 2;
    if (row.Separator) {
      canvas.FillRect(TRect{kCheckColumn, mid, FSize.x - 4, mid + 1}, kRule);
      continue;
    }
    if (static_cast<int32_t>(i) == highlighted) canvas.FillRect(TRect{2, row.Top, FSize.x - 2, row.Bottom}, kHighlight);
    if (row.Checked) CheckMark(canvas, mid);
    const int32_t textTop = mid - canvas.TextHeight("M") / 2;
    int32_t x = kCheckColumn;
    if (!row.Before.empty()) canvas.TextOut(x, textTop, row.Before);
    x += canvas.TextWidth(row.Before);
    canvas.Font.Underline = true;
    if (!row.Key.empty()) canvas.TextOut(x, textTop, row.Key);
    canvas.Font.Underline = false;
    x += canvas.TextWidth(row.Key);
    if (!row.After.empty()) canvas.TextOut(x, textTop, row.After);
    if (!row.ShortCut.empty()) canvas.TextOut(FSize.x - kRightMargin - canvas.TextWidth(row.ShortCut), textTop, row.ShortCut);
  }
  // Opaque: premultiplied as it is.
  for (int32_t y = 0; y < picture.Height(); ++y) {
    uint8_t* p = picture.ScanLine(y);
    for (int32_t x = 0; x < picture.Width(); ++x) p[4 * x + 3] = 255;
  }
}
