#include "imaging/ImageLoading.h"

#include <algorithm>
#include <vector>

#include "imaging/PngDecoder.h"
#include "platform/graphics/BmpReader.h"
#include "platform/io/FileStream.h"
#include "platform/graphics/JpegDecoder.h"
#include "platform/io/Paths.h"
#include "platform/io/Resources.h"

namespace {

constexpr const char* kResourceType = "RC_DATA";

std::vector<uint8_t> ReadRest(TStream& stream, int64_t limit) {
  const int64_t size = stream.Size() - stream.Position();
  if (size > limit) throw Exception(Ansi(u8"ファイルが大きすぎます"));
  std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(size, 0)));
  bytes.resize(static_cast<size_t>(std::max<int64_t>(stream.Read(bytes.data(), size), 0)));
  return bytes;
}

}  // namespace

bool HasPictureExtension(const AnsiString& name) {
  const AnsiString ext = AnsiLowerCase(ExtractFileExt(name));
  return ext == ".bmp" || ext == ".png" || ext == ".jpg" || ext == ".jpeg" || ext == ".jpx";
}

void LoadImageFromStream(TBitmap& bitmap, const AnsiString& name, TStream& stream) {
  const AnsiString ext = AnsiLowerCase(ExtractFileExt(name));
  if (ext == ".bmp") {
    LoadBmpFromStream(bitmap, stream);
  } else if (ext == ".png") {
    LoadPngFromStream(bitmap, stream);
  } else if (ext == ".jpg" || ext == ".jpeg") {
    LoadJpegFromStream(bitmap, stream);
  } else if (ext == ".jpx") {
    LoadScrambledJpegFromStream(bitmap, stream);
  }
}

void LoadImageFromFile(TBitmap& bitmap, const AnsiString& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
  LoadImageFromStream(bitmap, fileName, stream);
}

void LoadImageFromResource(TBitmap& bitmap, const AnsiString& name) {
  bitmap.SetSize(0, 0);
  TResourceStream stream(ChangeFileExt(name, ""), kResourceType);
  LoadImageFromStream(bitmap, name, stream);
}

std::unique_ptr<TStream> OpenResourceStream(const AnsiString& name) {
  try {
    return std::make_unique<TResourceStream>(name, kResourceType);
  } catch (...) {
    return nullptr;
  }
}

void LoadJpegFromStream(TBitmap& bitmap, TStream& stream) {
  const std::vector<uint8_t> bytes = ReadRest(stream, MaxJpegBytes);
  DecodeJpeg(bitmap, bytes);
  bitmap.SetPixelFormat(TPixelFormat::pf24bit);
}

void LoadScrambledJpegFromStream(TBitmap& bitmap, TStream& stream) {
  if (stream.Size() - stream.Position() > MaxJpxBytes) return;
  std::vector<uint8_t> bytes = ReadRest(stream, MaxJpxBytes);
  ScrambleJpx(bytes);
  TMemoryStream unscrambled(std::move(bytes));
  LoadJpegFromStream(bitmap, unscrambled);
}

void ScrambleJpx(std::span<uint8_t> bytes) {
  const auto sizeMod = static_cast<uint8_t>(bytes.size() % 256);
  uint8_t key = JpxKeyStart;
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] ^= key;
    key = static_cast<uint8_t>(key + sizeMod - static_cast<uint8_t>(i % 256));
  }
}
