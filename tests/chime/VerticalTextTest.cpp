#include <gtest/gtest.h>

#include "PixelHelpers.h"
#include "chime/VerticalText.h"

namespace {

// Draws text on a white canvas and returns the rows that hold ink in the column.
std::vector<int> InkRows(const AnsiString& text, uint8_t h, uint8_t v, int32_t x = 30, int32_t y = 40) {
  TBitmap b = Bitmap32(60, 160);
  FillWith(b, {255, 255, 255, 255});
  TCanvas canvas(b);
  canvas.Font.Name = Ansi(u8"ＭＳ 明朝");
  canvas.Font.Height = 16;
  canvas.Font.Bold = true;
  canvas.Brush.Color = 0xFFFFFF;
  DrawVerticalText(canvas, x, y, h, v, text);
  std::vector<int> rows;
  for (int r = 0; r < b.Height(); ++r)
    for (int c = 0; c < b.Width(); ++c)
      if (PixelAt(b, c, r)[0] < 128) {
        rows.push_back(r);
        break;
      }
  return rows;
}

// Leftmost column with ink.
int InkLeft(uint8_t h) {
  TBitmap b = Bitmap32(60, 60);
  FillWith(b, {255, 255, 255, 255});
  TCanvas canvas(b);
  canvas.Font.Name = Ansi(u8"ＭＳ 明朝");
  canvas.Font.Height = 16;
  DrawVerticalText(canvas, 30, 10, h, 1, Ansi(u8"■"));
  for (int c = 0; c < 60; ++c)
    for (int r = 0; r < 60; ++r)
      if (PixelAt(b, c, r)[0] < 128) return c;
  return -1;
}

}  // namespace

TEST(VerticalText, SpaceAdvancesHalfARow) {
  const auto plain = InkRows(Ansi(u8"一一"), 0, 1);
  const auto spaced = InkRows(Ansi(u8"一 一"), 0, 1);
  ASSERT_FALSE(plain.empty());
  ASSERT_FALSE(spaced.empty());
  EXPECT_EQ(plain.front(), spaced.front());
  EXPECT_EQ(spaced.back() - plain.back(), 8);
}

TEST(VerticalText, ATrailingSingleByteIsNotDrawn) {
  EXPECT_EQ(InkRows(Ansi(u8"一") + "a", 0, 1), InkRows(Ansi(u8"一"), 0, 1));
  EXPECT_TRUE(InkRows("a", 0, 1).empty());
}

TEST(VerticalText, VerticalAlignment) {
  // v = 1 starts at y; v = 0 centres (8 bytes: 32 px up); v = 2 ends at y (64 px up).
  const auto start = InkRows(Ansi(u8"■■■■"), 0, 1, 30, 80);
  const auto centre = InkRows(Ansi(u8"■■■■"), 0, 0, 30, 80);
  const auto end = InkRows(Ansi(u8"■■■■"), 0, 2, 30, 80);
  ASSERT_FALSE(start.empty());
  EXPECT_EQ(start.front() - centre.front(), 32);
  EXPECT_EQ(start.front() - end.front(), 64);
}

TEST(VerticalText, HorizontalAlignment) {
  const int centred = InkLeft(0), right = InkLeft(2), left = InkLeft(1);
  EXPECT_GT(centred, right);
  EXPECT_GT(left, centred);
  EXPECT_EQ(left - right, 2 * (centred - right));
}
