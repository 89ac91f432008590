#include <gtest/gtest.h>
#include <unistd.h>
#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#endif

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iostream>

#include "PngBuilder.h"
#include "TempFolder.h"
#include "platform/io/FileStream.h"
#include "platform/io/ProfileFile.h"
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

// Names from outside that are not regular files are refused at once by every
// reader: a pipe would wait for a writer, and /dev/zero never ends.
TEST(NonRegularFiles, AreRefusedBeforeAnythingIsRead) {
  TempFolder folder("irregular");
  struct Case {
    const char* what;
    std::function<AnsiString()> make;
  };
  const Case cases[] = {
      {"a folder", [&] { fs::create_directory(folder / "folder.png"); return folder.Name("folder.png"); }},
#ifdef _WIN32
      {"a device", [] { return AnsiString("NUL"); }},
#else
      {"a pipe", [&] { EXPECT_EQ(::mkfifo((folder / "fifo.png").c_str(), 0600), 0); return folder.Name("fifo.png"); }},
      {"a device", [&] { fs::create_symlink("/dev/zero", folder / "zero.png"); return folder.Name("zero.png"); }},
      {"a socket",
       [&] {
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         std::strncpy(address.sun_path, (folder / "socket.png").c_str(), sizeof address.sun_path - 1);
         const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
         EXPECT_EQ(::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
         ::close(s);
         return folder.Name("socket.png");
       }},
#endif
  };
  for (const Case& c : cases) {
    const AnsiString name = c.make();
    auto readers = std::async(std::launch::async, [&] {
      EXPECT_THROW(TFileStream(name, fmOpenRead | fmShareDenyNone), EFOpenError) << c.what;
      EXPECT_THROW(TFileStream(name, fmOpenReadWrite | fmShareDenyWrite), EFOpenError) << c.what;
      EXPECT_EQ(ReadWholeFile(name), std::nullopt) << c.what;
      EXPECT_EQ(GetPrivateProfileString("chimora", "ling", "0", 2048, name), "0") << c.what;
    });
    if (readers.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      std::cerr << "reading " << c.what << " never ended\n";
      std::_Exit(1);  // the reader cannot be stopped
    }
  }
}
