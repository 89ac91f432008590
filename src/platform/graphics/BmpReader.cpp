#include "platform/graphics/BmpReader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "platform/graphics/ImageLimits.h"

namespace {

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;
// Palette slot for pixels a run-length file skips over: they stay black.
constexpr uint32_t BI_ALPHABITFIELDS = 6;

[[noreturn]] void Unsupported(const std::string& what) {
  throw Exception(Ansi(u8"このBMPには対応していません") + " [" + what + "]");
}

[[noreturn]] void Damaged() { throw Exception(Ansi(u8"BMPファイルが壊れています")); }

uint32_t U16(const uint8_t* p) { return p[0] | uint32_t{p[1]} << 8; }
uint32_t U32(const uint8_t* p) { return p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24; }

void ReadOrDamaged(TStream& stream, void* buffer, int64_t count) {
  if (stream.Read(buffer, count) != count) Damaged();
}

// One colour channel described by a mask: where it sits and how wide it is.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
  explicit Channel(uint32_t m = 0) : mask(m) {
    if (mask == 0) return;
    shift = std::countr_zero(mask);
    max = mask >> shift;
    if ((max & (max + 1)) != 0) Unsupported("mask");  // not one run of bits
  }
  uint8_t Of(uint32_t pixel) const {
    return mask == 0 ? 0 : static_cast<uint8_t>(((pixel & mask) >> shift) * 255u / max);
  }
};

struct Header {
  int64_t width = 0;
  int64_t height = 0;  // negative: rows from the top
  uint32_t bitCount = 0;
  uint32_t compression = BI_RGB;
  uint32_t colorsUsed = 0;
  uint32_t paletteEntrySize = 4;
  std::array<uint32_t, 4> masks{};  // red, green, blue, alpha
  bool hasMasks = false;
};

Header ReadInfoHeader(TStream& stream) {
  uint8_t sizeBytes[4];
  ReadOrDamaged(stream, sizeBytes, 4);
  const uint32_t size = U32(sizeBytes);
  Header h;
  if (size == 12) {  // the old core header
    uint8_t core[8];
    ReadOrDamaged(stream, core, 8);
    h.width = U16(core);
    h.height = static_cast<int16_t>(U16(core + 2));
    h.bitCount = U16(core + 6);
    h.paletteEntrySize = 3;
    return h;
  }
  if (size < 40 || size > 1024) Unsupported("header " + std::to_string(size));
  std::vector<uint8_t> info(size - 4);
  ReadOrDamaged(stream, info.data(), static_cast<int64_t>(info.size()));
  h.width = static_cast<int32_t>(U32(&info[0]));
  h.height = static_cast<int32_t>(U32(&info[4]));
  h.bitCount = U16(&info[10]);
  h.compression = U32(&info[12]);
  h.colorsUsed = U32(&info[28]);
  if (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS) {
    const size_t count = h.compression == BI_ALPHABITFIELDS ? 4 : 3;
    if (size >= 40 + 4 * count) {
      for (size_t i = 0; i < count; ++i) h.masks[i] = U32(&info[36 + 4 * i]);
    } else {  // masks follow the 40-byte header
      uint8_t extra[16];
      ReadOrDamaged(stream, extra, static_cast<int64_t>(4 * count));
      for (size_t i = 0; i < count; ++i) h.masks[i] = U32(extra + 4 * i);
    }
    if (size >= 56) h.masks[3] = U32(&info[48]);
    h.hasMasks = true;
  }
  return h;
}

void DefaultMasks(Header& h) {
  if (h.hasMasks) return;
  if (h.bitCount == 16) h.masks = {0x7C00, 0x03E0, 0x001F, 0};
  if (h.bitCount == 32) h.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
}

// Expands run-length data, handing each pixel's palette index to set(x, y, index)
// with rows from the bottom as stored; skipped pixels are not handed over.
template <typename Set>
void ExpandRunLength(const std::vector<uint8_t>& d, int64_t width, int64_t height, bool nibbles, Set set) {
  int64_t x = 0, y = 0;
  auto put = [&](uint32_t value) {
    if (x < width && y < height) set(x, y, value);
    ++x;
  };
  size_t pos = 0;
  while (pos + 1 < d.size() && y < height) {
    const uint32_t count = d[pos], value = d[pos + 1];
    pos += 2;
    if (count > 0) {
      for (uint32_t i = 0; i < count && x < width; ++i) put(nibbles ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (pos + 1 >= d.size()) break;
      x += d[pos];
      y += d[pos + 1];
      pos += 2;
    } else {
      const size_t bytes = nibbles ? (value + 1) / 2 : value;
      if (pos + bytes > d.size()) Damaged();
      for (uint32_t i = 0; i < value; ++i) {
        const uint8_t byte = d[pos + (nibbles ? i / 2 : i)];
        put(nibbles ? (i % 2 == 0 ? byte >> 4 : byte & 15) : byte);
      }
      pos += bytes + (bytes % 2);
    }
  }
}

}  // namespace

void LoadBmpFromStream(TBitmap& bitmap, TStream& stream) {
  const int64_t start = stream.Position();
  uint8_t fileHeader[14];
  if (stream.Read(fileHeader, 14) != 14 || fileHeader[0] != 'B' || fileHeader[1] != 'M') {
    throw Exception(Ansi(u8"BMPファイルではありません"));
  }
  const uint32_t dataOffset = U32(fileHeader + 10);
  Header h = ReadInfoHeader(stream);

  const bool palette = h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8;
  if (!palette && h.bitCount != 16 && h.bitCount != 24 && h.bitCount != 32) {
    Unsupported(std::to_string(h.bitCount) + " bit");
  }
  const bool fields = h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS;
  const bool runLength = (h.compression == BI_RLE8 && h.bitCount == 8) || (h.compression == BI_RLE4 && h.bitCount == 4);
  if (h.compression != BI_RGB && !runLength && !(fields && (h.bitCount == 16 || h.bitCount == 32))) {
    Unsupported("compression " + std::to_string(h.compression));
  }
  if (runLength && h.height < 0) Unsupported("top-down run-length");
  const int64_t height = h.height < 0 ? -h.height : h.height;
  CheckImageSize(h.width, height);
  DefaultMasks(h);

  // Entries past the file's palette stay black, so no index reads outside it.
  std::array<std::array<uint8_t, 3>, 256> colours{};
  if (palette) {
    const uint32_t full = 1u << h.bitCount;
    const uint32_t count = h.colorsUsed == 0 || h.colorsUsed > full ? full : h.colorsUsed;
    std::vector<uint8_t> entries(count * h.paletteEntrySize);
    ReadOrDamaged(stream, entries.data(), static_cast<int64_t>(entries.size()));
    for (uint32_t i = 0; i < count; ++i) std::memcpy(colours[i].data(), &entries[i * h.paletteEntrySize], 3);
  }
  const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);

  TBitmap result;
  result.SetPixelFormat(h.bitCount == 32 ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
  result.SetSize(static_cast<int32_t>(h.width), static_cast<int32_t>(height));
  stream.SetPosition(start + dataOffset);
  const int32_t bpp = result.BytesPerPixel();
  auto target = [&](int64_t fileRow) {
    return result.ScanLine(static_cast<int32_t>(h.height < 0 ? fileRow : height - 1 - fileRow));
  };

  if (runLength) {
    // Compressed data cannot be larger than what the picture could need uncompressed, twice over.
    const int64_t available = std::max<int64_t>(stream.Size() - stream.Position(), 0);
    std::vector<uint8_t> packed(static_cast<size_t>(std::min<int64_t>(available, 2 * h.width * height + 1024)));
    packed.resize(static_cast<size_t>(std::max<int64_t>(stream.Read(packed.data(), static_cast<int64_t>(packed.size())), 0)));
    // Straight into the picture, whose skipped pixels stay black as it was made.
    ExpandRunLength(packed, h.width, height, h.bitCount == 4, [&](int64_t x, int64_t fileRow, uint32_t index) {
      std::memcpy(target(fileRow) + 3 * x, colours[index].data(), 3);
    });
    bitmap = std::move(result);
    return;
  }

  const auto stride = static_cast<size_t>((h.width * h.bitCount + 31) / 32 * 4);
  std::vector<uint8_t> row(stride);
  for (int64_t fileRow = 0; fileRow < height; ++fileRow) {
    ReadOrDamaged(stream, row.data(), static_cast<int64_t>(stride));
    uint8_t* out = target(fileRow);
    for (int64_t x = 0; x < h.width; ++x, out += bpp) {
      if (palette) {
        const int64_t bit = x * h.bitCount;
        const uint32_t index = (row[bit / 8] >> (8 - h.bitCount - bit % 8)) & ((1u << h.bitCount) - 1);
        std::memcpy(out, colours[index].data(), 3);
      } else if (h.bitCount == 24) {
        std::memcpy(out, &row[x * 3], 3);
      } else {
        const uint32_t pixel = h.bitCount == 16 ? U16(&row[x * 2]) : U32(&row[x * 4]);
        out[0] = blue.Of(pixel);
        out[1] = green.Of(pixel);
        out[2] = red.Of(pixel);
        if (bpp == 4) out[3] = h.masks[3] == 0 ? 255 : alpha.Of(pixel);
      }
    }
  }
  bitmap = std::move(result);
}
