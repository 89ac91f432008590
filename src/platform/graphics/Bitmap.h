#pragma once
// The framework bitmap: 24 or 32 bits per pixel, rows from the top, bytes in the
// order blue, green, red (, alpha). Rows are padded to a multiple of 4 bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

enum class TPixelFormat { pf24bit, pf32bit };

class TBitmap {
 public:
  // Nothing larger is ever held; a bigger request throws instead of exhausting memory.
  static constexpr int64_t MaxPixels = int64_t{1} << 28;

  TBitmap() = default;

  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  TPixelFormat PixelFormat() const { return FFormat; }
  int32_t BytesPerPixel() const { return FFormat == TPixelFormat::pf32bit ? 4 : 3; }
  bool Empty() const { return FWidth == 0 || FHeight == 0; }

  // Resizing keeps the pixels of the common area; new pixels are all-zero bytes.
  // Throws Exception for a negative or overlarge size.
  void SetSize(int32_t width, int32_t height);
  void SetWidth(int32_t width) { SetSize(width, FHeight); }
  void SetHeight(int32_t height) { SetSize(FWidth, height); }

  // Keeps blue, green and red. 24 to 32 bits leaves alpha 0, like fresh pixels:
  // whoever converts a picture sets its opacity. 32 to 24 bits drops alpha.
  void SetPixelFormat(TPixelFormat format);

  uint8_t* ScanLine(int32_t y) { return FPixels.data() + static_cast<size_t>(y) * FStride; }
  const uint8_t* ScanLine(int32_t y) const {
    return FPixels.data() + static_cast<size_t>(y) * FStride;
  }

 private:
  static size_t StrideFor(int32_t width, TPixelFormat format);

  int32_t FWidth = 0;
  int32_t FHeight = 0;
  TPixelFormat FFormat = TPixelFormat::pf24bit;
  size_t FStride = 0;
  std::vector<uint8_t> FPixels;
};
