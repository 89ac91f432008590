#include "imaging/PngDecoder.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/graphics/ImageLimits.h"
#include "platform/io/ZStream.h"

namespace {

constexpr uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

struct ChunkHead {
  uint32_t length;
  char type[4];
  bool Is(const char* name) const { return std::memcmp(type, name, 4) == 0; }
};

uint32_t BigEndian(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

bool ReadHead(TStream& stream, ChunkHead& head) {
  uint8_t bytes[8];
  if (stream.Read(bytes, 8) != 8) return false;
  head.length = BigEndian(bytes);
  std::memcpy(head.type, bytes + 4, 4);
  return true;
}

void Skip(TStream& stream, int64_t count) { stream.Seek(count, TSeekOrigin::soCurrent); }

struct Header {
  uint32_t width, height;
  uint8_t depth, colourType, compression, interlace;
};

[[noreturn]] void DepthNotSupported(int depth) {
  throw Exception(std::to_string(depth) + Ansi(u8"bit色深度には対応していません"));
}

Header ReadHeader(TStream& stream) {
  uint8_t bytes[17];
  if (stream.Read(bytes, 17) != 17) throw Exception(Ansi(u8"PNGファイルが壊れています"));
  const Header h{BigEndian(bytes), BigEndian(bytes + 4), bytes[8], bytes[9], bytes[10], bytes[12]};
  if (h.depth == 16) throw Exception(Ansi(u8"16bit色深度には対応していません"));
  if (h.compression != 0) throw Exception(Ansi(u8"このPNG圧縮には対応していません"));
  if (h.interlace != 0) throw Exception(Ansi(u8"PNGインターレースには対応していません"));
  switch (h.colourType) {
    case 0:
    case 3:
      if (h.depth != 1 && h.depth != 2 && h.depth != 4 && h.depth != 8) DepthNotSupported(h.depth);
      break;
    case 2:
    case 4:
    case 6:
      if (h.depth != 8) DepthNotSupported(h.depth);
      break;
    default:
      throw Exception(Ansi(u8"このPNGには対応していません[ColorType=") + std::to_string(h.colourType) + "]");
  }
  CheckImageSize(h.width, h.height);
  return h;
}

struct Palette {
  std::array<std::array<uint8_t, 3>, 256> bgr{};  // entries the file does not give stay black
};

// Appends a chunk's data piece by piece, so a length the file does not hold
// allocates nothing; false when the stream ends first.
bool AppendChunkData(TStream& stream, uint32_t length, std::vector<uint8_t>& data) {
  uint8_t piece[65536];
  while (length > 0) {
    const int64_t want = std::min<int64_t>(length, sizeof piece);
    const int64_t got = stream.Read(piece, want);
    if (got > 0) data.insert(data.end(), piece, piece + got);
    if (got != want) return false;
    length -= static_cast<uint32_t>(got);
  }
  return true;
}

// Reads the first run of IDAT chunks whole, and the palette on the way.
std::vector<uint8_t> CollectImageData(TStream& stream, Palette& palette) {
  std::vector<uint8_t> data;
  ChunkHead head{};
  bool inRun = false;
  while (ReadHead(stream, head)) {
    if (head.Is("IDAT")) {
      inRun = true;
      if (!AppendChunkData(stream, head.length, data)) break;
      Skip(stream, 4);
      continue;
    }
    if (inRun) break;
    if (head.Is("PLTE")) {
      const uint32_t entries = head.length / 3;
      const uint32_t kept = std::min<uint32_t>(entries, 256);
      uint8_t rgb[768];
      const int64_t got = stream.Read(rgb, kept * 3);
      for (int64_t i = 0; i < got / 3; ++i) palette.bgr[i] = {rgb[3 * i + 2], rgb[3 * i + 1], rgb[3 * i]};
      Skip(stream, int64_t{head.length} - got + 4);
    } else {
      Skip(stream, int64_t{head.length} + 4);
    }
  }
  return data;
}

uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Undoes one row's filter in place; prev is the restored previous row (zeros for the first).
void Unfilter(uint8_t type, uint8_t* row, const uint8_t* prev, size_t length, size_t distance) {
  switch (type) {
    case 1:
      for (size_t i = distance; i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - distance]);
      break;
    case 2:
      for (size_t i = 0; i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + prev[i]);
      break;
    case 3:
      for (size_t i = 0; i < distance && i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + prev[i] / 2);
      for (size_t i = distance; i < length; ++i) {
        row[i] = static_cast<uint8_t>(row[i] + (row[i - distance] + prev[i]) / 2);
      }
      break;
    case 4:
      for (size_t i = 0; i < distance && i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + prev[i]);
      for (size_t i = distance; i < length; ++i) {
        row[i] = static_cast<uint8_t>(row[i] + Paeth(row[i - distance], prev[i], prev[i - distance]));
      }
      break;
    default:  // 0, and unknown types, which leave the bytes as they are
      break;
  }
}

// Writes one restored row into a scan line.
void Unpack(const Header& h, const Palette& palette, const uint8_t* row, uint8_t* out) {
  const uint32_t w = h.width;
  switch (h.colourType) {
    case 0:
    case 3: {
      const int depth = h.depth;
      const uint32_t mask = (1u << depth) - 1;
      const int scale = depth == 1 ? 255 : depth == 2 ? 85 : depth == 4 ? 17 : 1;
      for (uint32_t x = 0; x < w; ++x, out += 3) {
        const size_t bit = size_t{x} * depth;
        const uint32_t sample = (row[bit / 8] >> (8 - depth - bit % 8)) & mask;
        if (h.colourType == 3) {
          std::memcpy(out, palette.bgr[sample].data(), 3);
        } else {
          out[0] = out[1] = out[2] = static_cast<uint8_t>(sample * scale);
        }
      }
      break;
    }
    case 2:
      for (uint32_t x = 0; x < w; ++x, row += 3, out += 3) {
        out[0] = row[2];
        out[1] = row[1];
        out[2] = row[0];
      }
      break;
    case 4:
      for (uint32_t x = 0; x < w; ++x, row += 2, out += 4) {
        out[0] = out[1] = out[2] = row[0];
        out[3] = row[1];
      }
      break;
    case 6:
      for (uint32_t x = 0; x < w; ++x, row += 4, out += 4) {
        out[0] = row[2];
        out[1] = row[1];
        out[2] = row[0];
        out[3] = row[3];
      }
      break;
  }
}

int SamplesPerPixel(uint8_t colourType) {
  switch (colourType) {
    case 2:
      return 3;
    case 4:
      return 2;
    case 6:
      return 4;
    default:
      return 1;
  }
}

}  // namespace

void LoadPngFromStream(TBitmap& bitmap, TStream& stream) {
  uint8_t signature[8];
  if (stream.Read(signature, 8) != 8 || std::memcmp(signature, kSignature, 8) != 0) {
    throw Exception(Ansi(u8"PNGファイルではありません"));
  }
  ChunkHead head{};
  do {
    if (!ReadHead(stream, head)) return;
    if (!head.Is("IHDR")) Skip(stream, int64_t{head.length} + 4);
  } while (!head.Is("IHDR"));

  const Header h = ReadHeader(stream);
  TBitmap result;
  result.SetPixelFormat(h.colourType == 4 || h.colourType == 6 ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
  result.SetSize(static_cast<int32_t>(h.width), static_cast<int32_t>(h.height));

  Palette palette;
  TMemoryStream compressed(CollectImageData(stream, palette));
  TDecompressionStream inflater(compressed);

  const size_t bitsPerPixel = static_cast<size_t>(SamplesPerPixel(h.colourType)) * h.depth;
  const size_t length = (size_t{h.width} * bitsPerPixel + 7) / 8;
  const size_t distance = std::max<size_t>(1, bitsPerPixel / 8);
  std::vector<uint8_t> raw(length + 1), prev(length);
  for (uint32_t y = 0; y < h.height; ++y) {
    const int64_t got = inflater.Read(raw.data(), static_cast<int64_t>(raw.size()));
    std::fill(raw.begin() + std::max<int64_t>(got, 0), raw.end(), 0);  // data ran out: zeros
    Unfilter(raw[0], raw.data() + 1, prev.data(), length, distance);
    Unpack(h, palette, raw.data() + 1, result.ScanLine(static_cast<int32_t>(y)));
    std::memcpy(prev.data(), raw.data() + 1, length);
  }
  bitmap = std::move(result);
}
