#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "JpegEncoder.h"
#include "ReferencePng.h"
#include "TestData.h"
#include "platform/Exception.h"
#include "platform/graphics/JpegDecoder.h"

namespace {

TBitmap DecodeFile(const std::string& relative) {
  TBitmap b;
  DecodeJpeg(b, ReadFileBytes(TestDataPath(relative)));
  return b;
}

// Mean absolute difference per colour byte against a reference picture in RGB order.
double MeanDifference(const TBitmap& b, const std::vector<uint8_t>& rgb) {
  double sum = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      for (int c = 0; c < 3; ++c) sum += std::abs(b.ScanLine(y)[3 * x + c] - rgb[3 * (size_t(y) * b.Width() + x) + 2 - c]);
  return sum / (3.0 * b.Width() * b.Height());
}

std::vector<uint8_t> PpmPixels(const std::filesystem::path& path, int& w, int& h) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int max;
  in >> magic >> w >> h >> max;
  in.get();
  std::vector<uint8_t> rgb(size_t(w) * h * 3);
  in.read(reinterpret_cast<char*>(rgb.data()), std::streamsize(rgb.size()));
  return rgb;
}

}  // namespace

TEST(JpegDecoder, MatchesTheReferenceDecode) {
  const TBitmap b = DecodeFile("jpeg/libjpeg-turbo/testorig.jpg");
  int w = 0, h = 0;
  const auto ppm = PpmPixels(TestDataPath("jpeg/libjpeg-turbo/testorig.ppm"), w, h);
  ASSERT_EQ(b.Width(), w);
  ASSERT_EQ(b.Height(), h);
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_LT(MeanDifference(b, ppm), 1.0);  // the reference is close to, not exactly, a decode
  EXPECT_LT(MeanDifference(DecodeFile("jpeg/libjpeg-turbo/testimgari.jpg"), ppm), 1.0);
}

TEST(JpegDecoder, ReferenceTestsOfOtherEncoders) {
  for (const char* name : {"16bit-qtables", "extraneous-data", "grayscale_24x16_sampling2x2", "non-interleaved-mcu", "restarts"}) {
    const std::string base = std::string("jpeg/jpeg-decoder-reftest/") + name;
    const TBitmap b = DecodeFile(base + ".jpg");
    int w = 0, h = 0;
    const auto reference = ReferencePngRgb(TestDataPath(base + ".png"), w, h);
    ASSERT_EQ(w, b.Width()) << name;
    ASSERT_EQ(reference.size(), size_t(3) * b.Width() * b.Height()) << name;
    EXPECT_LT(MeanDifference(b, reference), 2.0) << name;
  }
}

TEST(JpegDecoder, GreyCmykAndOddFilesBecomeBgr) {
  const TBitmap grey = DecodeFile("jpeg/pillow/hopper_gray.jpg");
  EXPECT_EQ(grey.PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(grey.ScanLine(40)[0], grey.ScanLine(40)[2]);
  const TBitmap cmyk = DecodeFile("jpeg/pillow/pil_sample_cmyk.jpg");
  const TBitmap rgb = DecodeFile("jpeg/pillow/pil_sample_rgb.jpg");
  ASSERT_EQ(cmyk.Width(), rgb.Width());
  std::vector<uint8_t> rgbBytes;
  for (int y = 0; y < rgb.Height(); ++y)
    for (int x = 0; x < rgb.Width(); ++x) rgbBytes.insert(rgbBytes.end(), {rgb.ScanLine(y)[3 * x + 2], rgb.ScanLine(y)[3 * x + 1], rgb.ScanLine(y)[3 * x]});
  EXPECT_LT(MeanDifference(cmyk, rgbBytes), 12.0);  // same picture through a CMYK round trip
  for (const char* name : {"hopper.jpg", "hopper_16bit_qtables.jpg", "hopper_orientation_6.jpg"}) {
    EXPECT_EQ(DecodeFile(std::string("jpeg/pillow/") + name).Width(), 128) << name;
  }
  EXPECT_GT(DecodeFile("jpeg/pillow/icc-after-SOF.jpg").Width(), 0);
}

TEST(JpegDecoder, TruncatedFileDecodesWhatItHasOrFailsCleanly) {
  TBitmap b;
  try {
    DecodeJpeg(b, ReadFileBytes(TestDataPath("jpeg/pillow/truncated_jpeg.jpg")));
    EXPECT_GT(b.Width(), 0);
  } catch (const Exception& e) {
    EXPECT_EQ(ToUtf8(e.Message()).rfind("JPEG: ", 0), 0u);
  }
}

TEST(JpegDecoder, ErrorsBecomeExceptionsAndLeaveTheBitmap) {
  TBitmap b;
  b.SetSize(7, 7);
  const std::vector<uint8_t> notJpeg = {'G', 'I', 'F', '8', '9', 'a'};
  try {
    DecodeJpeg(b, notJpeg);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(ToUtf8(e.Message()).rfind("JPEG: ", 0), 0u) << ToUtf8(e.Message());
  }
  EXPECT_THROW(DecodeJpeg(b, {}), Exception);
  EXPECT_EQ(b.Width(), 7);
}

TEST(JpegDecoder, EveryTruncationAndManyBitFlipsFailCleanly) {
  const auto valid = ReadFileBytes(TestDataPath("jpeg/jpeg-decoder-reftest/grayscale_24x16_sampling2x2.jpg"));
  int decoded = 0;
  for (size_t n = 0; n < valid.size(); ++n) {
    TBitmap b;
    try {
      DecodeJpeg(b, std::vector<uint8_t>(valid.begin(), valid.begin() + n));
      ++decoded;
    } catch (const Exception&) {
    }
  }
  for (size_t i = 0; i < valid.size(); ++i) {
    std::vector<uint8_t> flipped = valid;
    flipped[i] ^= static_cast<uint8_t>(1u << (i % 8));
    TBitmap b;
    try {
      DecodeJpeg(b, flipped);
      ++decoded;
    } catch (const Exception&) {
    }
  }
  EXPECT_GT(decoded, 0);
}

namespace {

// A progressive file that costs far more than it weighs: a large frame of
// `components`, then `scans` AC scans without data (each still walks every block).
std::vector<uint8_t> EmptyScans(int side, int components, int scans) {
  std::vector<uint8_t> out = {0xFF, 0xD8};
  auto segment = [&out](uint8_t marker, std::vector<uint8_t> body) {
    const size_t length = body.size() + 2;
    out.insert(out.end(), {0xFF, marker, uint8_t(length >> 8), uint8_t(length)});
    out.insert(out.end(), body.begin(), body.end());
  };
  std::vector<uint8_t> quant(65, 1);
  quant[0] = 0;
  segment(0xDB, quant);
  std::vector<uint8_t> frame = {8, uint8_t(side >> 8), uint8_t(side), uint8_t(side >> 8), uint8_t(side), uint8_t(components)};
  for (int c = 1; c <= components; ++c) frame.insert(frame.end(), {uint8_t(c), 0x11, 0});
  segment(0xC2, frame);
  std::vector<uint8_t> huffman = {0x00, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  huffman.insert(huffman.end(), {0x10, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  segment(0xC4, huffman);
  std::vector<uint8_t> dc = {uint8_t(components)};
  for (int c = 1; c <= components; ++c) dc.insert(dc.end(), {uint8_t(c), 0});
  dc.insert(dc.end(), {0, 0, 0});
  segment(0xDA, dc);
  for (int s = 0; s < scans; ++s) segment(0xDA, {1, uint8_t(s % components + 1), 0, 1, 63, 0});
  out.insert(out.end(), {0xFF, 0xD9});
  return out;
}

std::string FailureOf(const std::vector<uint8_t>& file) {
  TBitmap b;
  try {
    DecodeJpeg(b, file);
  } catch (const Exception& e) {
    return ToUtf8(e.Message());
  }
  return "";
}

}  // namespace

// Hostile files stop early; ordinary 12-megapixel photos, baseline and progressive, still load.
TEST(JpegDecoder, WorkIsBoundedButPhotosLoad) {
  EXPECT_EQ(FailureOf(EmptyScans(8192, 4, 999)), "JPEG: a progressive picture too large for its memory budget");
  EXPECT_EQ(FailureOf(EmptyScans(2048, 1, 999)), "JPEG: too many scans");
  EXPECT_EQ(FailureOf(EmptyScans(2048, 1, 90)), "");
  const int w = 4000, h = 3000;
  std::vector<uint8_t> rgb(size_t(w) * h * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint8_t(i / 3 % w / 16 + i % 3 * 40);
  for (const bool progressive : {false, true}) {
    TBitmap b;
    DecodeJpeg(b, EncodeJpeg(rgb, w, h, progressive, /*fullChroma=*/true));
    EXPECT_EQ(b.Width(), w) << progressive;
    EXPECT_EQ(b.Height(), h) << progressive;
  }
}
