#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "PngBuilder.h"
#include "TempFolder.h"
#include "platform/io/FileStream.h"
#include "platform/io/ZStream.h"

namespace fs = std::filesystem;

TEST(MemoryStream, ReadSeekAndShortReads) {
  TMemoryStream s({1, 2, 3, 4, 5});
  uint8_t buf[8] = {};
  EXPECT_EQ(s.Read(buf, 3), 3);
  EXPECT_EQ(s.Position(), 3);
  EXPECT_EQ(s.Seek(-1, TSeekOrigin::soEnd), 4);
  EXPECT_EQ(s.Read(buf, 8), 1);
  EXPECT_EQ(buf[0], 5);
  EXPECT_EQ(s.Read(buf, 8), 0);
  s.SetPosition(100);  // past the end: reads give nothing
  EXPECT_EQ(s.Read(buf, 1), 0);
  s.SetPosition(3);
  EXPECT_THROW(s.ReadBuffer(buf, 3), EReadError);
  EXPECT_THROW(s.Seek(-10, TSeekOrigin::soCurrent), Exception);
  s.SetPosition(4);
  EXPECT_EQ(s.Write("xy", 2), 2);
  EXPECT_EQ(s.Size(), 6);
  EXPECT_EQ(s.Bytes()[5], 'y');
}

TEST(DecompressionStream, InflatesAndReportsDamage) {
  std::vector<uint8_t> raw(100000);
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<uint8_t>(i * 7 / 3);
  TMemoryStream packed(PngBuilder::Deflate(raw));
  TDecompressionStream z(packed);
  std::vector<uint8_t> out(raw.size() + 10);
  EXPECT_EQ(z.Read(out.data(), 60000), 60000);
  EXPECT_EQ(z.Read(out.data() + 60000, 50000), 40000);  // short only at the end
  out.resize(raw.size());
  EXPECT_EQ(out, raw);
  EXPECT_EQ(z.Position(), 100000);
  EXPECT_THROW(z.Seek(0, TSeekOrigin::soBeginning), EZDecompressionError);

  TMemoryStream bad(std::vector<uint8_t>{0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF});
  TDecompressionStream broken(bad);
  uint8_t b[16];
  EXPECT_THROW(broken.Read(b, 16), EZDecompressionError);

  const std::vector<uint8_t> whole = PngBuilder::Deflate(raw);
  TMemoryStream cut(std::vector<uint8_t>(whole.begin(), whole.begin() + 100));
  TDecompressionStream truncated(cut);
  std::vector<uint8_t> part(raw.size());
  EXPECT_LT(truncated.Read(part.data(), int64_t(part.size())), int64_t(raw.size()));
}

class FileStreamTest : public ::testing::Test {
 protected:
  TempFolder folder{"file"};
  const fs::path path = folder / "data";
  const AnsiString name = folder.Write("data", std::string("hello"));
};

TEST_F(FileStreamTest, ReadsAndSeeks) {
  TFileStream f(name, fmOpenRead | fmShareDenyNone);
  EXPECT_EQ(f.Size(), 5);
  char buf[8] = {};
  f.SetPosition(1);
  EXPECT_EQ(f.Read(buf, 8), 4);
  EXPECT_STREQ(buf, "ello");
  EXPECT_THROW(f.Write("x", 1), Exception);
}

TEST_F(FileStreamTest, DenyWriteLocksOutASecondOpener) {
  TFileStream first(name, fmOpenReadWrite | fmShareDenyWrite);
  EXPECT_THROW(TFileStream(name, fmOpenReadWrite | fmShareDenyWrite), EFOpenError);
  TFileStream reader(name, fmOpenRead | fmShareDenyNone);  // plain readers are welcome
  EXPECT_EQ(reader.Size(), 5);
}

TEST_F(FileStreamTest, OpenFailuresNameTheFile) {
  try {
    TFileStream f(name + "-missing", fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_NE(e.Message().find(name + "-missing"), AnsiString::npos);
  }
  EXPECT_THROW(TFileStream(TempFolder::Ansi(folder.Path()), fmOpenRead), EFOpenError);
}

TEST_F(FileStreamTest, CreateWritesAFreshFile) {
  {
    TFileStream f(name, fmCreate);
    EXPECT_EQ(f.Write("abc", 3), 3);
  }
  EXPECT_EQ(fs::file_size(path), 3u);
}
