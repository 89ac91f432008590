#pragma once
// Builds PNG files byte by byte for decoder tests: any header, any chunk order,
// rows filtered with a chosen filter type. Checksums are written correctly.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

class PngBuilder {
 public:
  PngBuilder& Signature() {
    const uint8_t s[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    FBytes.insert(FBytes.end(), s, s + 8);
    return *this;
  }
  PngBuilder& Header(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType,
                     uint8_t compression = 0, uint8_t filter = 0, uint8_t interlace = 0) {
    std::vector<uint8_t> d;
    Put32(d, width);
    Put32(d, height);
    d.insert(d.end(), {depth, colourType, compression, filter, interlace});
    return Chunk("IHDR", d);
  }
  PngBuilder& Chunk(const std::string& type, const std::vector<uint8_t>& data) {
    Put32(FBytes, static_cast<uint32_t>(data.size()));
    const size_t at = FBytes.size();
    FBytes.insert(FBytes.end(), type.begin(), type.end());
    FBytes.insert(FBytes.end(), data.begin(), data.end());
    Put32(FBytes, static_cast<uint32_t>(crc32(0, &FBytes[at], static_cast<uInt>(FBytes.size() - at))));
    return *this;
  }
  // Compresses rows (each already with its filter byte) and splits them over `pieces` IDAT chunks.
  PngBuilder& ImageData(const std::vector<uint8_t>& filteredRows, int pieces = 1) {
    const std::vector<uint8_t> packed = Deflate(filteredRows);
    const size_t step = (packed.size() + pieces - 1) / pieces;
    for (size_t at = 0; at < packed.size(); at += step) {
      Chunk("IDAT", std::vector<uint8_t>(packed.begin() + at, packed.begin() + std::min(packed.size(), at + step)));
    }
    return *this;
  }
  PngBuilder& End() { return Chunk("IEND", {}); }
  const std::vector<uint8_t>& Bytes() const { return FBytes; }

  static std::vector<uint8_t> Deflate(const std::vector<uint8_t>& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(size);
    compress2(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
    packed.resize(size);
    return packed;
  }

  // Applies a PNG filter to one row of raw bytes, as an encoder would; prev is
  // the unfiltered previous row (empty for the first).
  static std::vector<uint8_t> Filter(uint8_t type, const std::vector<uint8_t>& row,
                                     const std::vector<uint8_t>& prev, size_t distance) {
    std::vector<uint8_t> out{type};
    for (size_t i = 0; i < row.size(); ++i) {
      const int a = i >= distance ? row[i - distance] : 0;
      const int b = prev.empty() ? 0 : prev[i];
      const int c = i >= distance && !prev.empty() ? prev[i - distance] : 0;
      int predictor = 0;
      if (type == 1) predictor = a;
      if (type == 2) predictor = b;
      if (type == 3) predictor = (a + b) / 2;
      if (type == 4) {
        const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      out.push_back(static_cast<uint8_t>(row[i] - predictor));
    }
    return out;
  }

 private:
  static void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
  }
  std::vector<uint8_t> FBytes;
};
