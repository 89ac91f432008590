#pragma once
// Loading pictures by a file-like name: the extension picks the decoder.
#include <memory>
#include <span>

#include "platform/graphics/Bitmap.h"
#include "platform/io/Stream.h"

// ".bmp", ".png", ".jpg"/".jpeg", ".jpx" (any case); any other name leaves the
// bitmap as it was. Decoder failures propagate.
bool HasPictureExtension(const AnsiString& name);
void LoadImageFromStream(TBitmap& bitmap, const AnsiString& name, TStream& stream);
// Opens the file read-only, sharing it with everyone; EFOpenError when it cannot.
void LoadImageFromFile(TBitmap& bitmap, const AnsiString& fileName);
// Empties the bitmap, then decodes resource "glass" for "glass.png"; EResNotFound when missing.
void LoadImageFromResource(TBitmap& bitmap, const AnsiString& name);
// A stream over an "RC_DATA" resource, or nullptr when there is none.
std::unique_ptr<TStream> OpenResourceStream(const AnsiString& name);

// 24-bit result. The rest of the stream is read into memory first (at most MaxJpegBytes).
void LoadJpegFromStream(TBitmap& bitmap, TStream& stream);
// A JPEG of at most MaxJpxBytes whose bytes are XORed with a running key; larger
// streams are ignored. Unscrambles from the stream's current position to its end.
void LoadScrambledJpegFromStream(TBitmap& bitmap, TStream& stream);
// The running key of ".jpx" files; applying it twice restores the bytes.
void ScrambleJpx(std::span<uint8_t> bytes);

constexpr int64_t MaxJpegBytes = int64_t{256} << 20;
constexpr int64_t MaxJpxBytes = 10000000;
constexpr uint8_t JpxKeyStart = 0x5A;
