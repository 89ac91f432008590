#pragma once
// Writes small BMP files for reader tests: any bit count, header size and row order.
#include <cstdint>
#include <vector>

struct BmpSpec {
  int32_t width = 2;
  int32_t height = 2;  // negative: rows from the top
  uint16_t bitCount = 24;
  uint32_t compression = 0;
  uint32_t headerSize = 40;
  std::vector<uint32_t> palette;  // 0x00RRGGBB entries
  std::vector<uint32_t> masks;    // written after a 40-byte header, or inside a larger one
  std::vector<uint8_t> pixels;    // the rows exactly as stored, padding included
  uint32_t dataOffset = 0;        // 0: right after the palette
};

inline std::vector<uint8_t> BuildBmp(const BmpSpec& s) {
  std::vector<uint8_t> out;
  auto put16 = [&](uint32_t v) { out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)}); };
  auto put32 = [&](uint32_t v) { out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); };
  const bool masksAfter = s.headerSize == 40 && !s.masks.empty();
  const uint32_t offset = s.dataOffset != 0 ? s.dataOffset
                                            : 14 + s.headerSize + (masksAfter ? 4 * uint32_t(s.masks.size()) : 0) +
                                                  4 * uint32_t(s.palette.size());
  out.insert(out.end(), {'B', 'M'});
  put32(offset + uint32_t(s.pixels.size()));
  put32(0);
  put32(offset);
  put32(s.headerSize);
  put32(uint32_t(s.width));
  put32(uint32_t(s.height));
  put16(1);
  put16(s.bitCount);
  put32(s.compression);
  put32(uint32_t(s.pixels.size()));
  put32(2835);
  put32(2835);
  put32(uint32_t(s.palette.size()));
  put32(0);
  for (uint32_t i = 40; i < s.headerSize; i += 4) put32(!masksAfter && (i - 40) / 4 < s.masks.size() ? s.masks[(i - 40) / 4] : 0);
  if (masksAfter) for (uint32_t m : s.masks) put32(m);
  for (uint32_t c : s.palette) put32(c);
  if (offset < (1u << 20)) out.resize(offset, 0);  // a lying offset is just written, not honoured
  out.insert(out.end(), s.pixels.begin(), s.pixels.end());
  return out;
}
