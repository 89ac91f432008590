#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>

#include "TempFolder.h"
#include "app/ProgramObjects.h"
#include "platform/io/Paths.h"
#include "resources/vrelGraphicSource.h"

namespace fs = std::filesystem;

namespace {

class GraphicSourceTest : public ::testing::Test {
 protected:
  TempFolder dir{"graphic"};
  const AnsiString folder = TempFolder::Ansi(dir.Path()) + PathDelim;
};

}  // namespace

TEST_F(GraphicSourceTest, NoArchiveNoProblem) {
  TGraphicSource source(folder);
  EXPECT_EQ(source.Archives().Count(), 0);
}

TEST_F(GraphicSourceTest, AnEmptyFileBecomesAnArchiveHeldOpen) {
  std::ofstream(dir / "graphic");
  {
    TGraphicSource source(folder);
    ASSERT_EQ(source.Archives().Count(), 1);
    EXPECT_EQ(source.Archives().Names(0), "graphic");
    EXPECT_EQ(fs::file_size(dir / "graphic"), 48u);
    EXPECT_THROW(TArchiveStream(folder + "graphic"), EFOpenError);  // writers are locked out
  }
  TArchiveStream reopened(folder + "graphic");  // closed with the source
}

TEST_F(GraphicSourceTest, AnythingElseStopsTheStart) {
  std::ofstream(dir / "graphic") << "GIF89a...";
  try {
    TGraphicSource source(folder);
    FAIL() << "no exception";
  } catch (const EarcSTreamError& e) {
    EXPECT_EQ(ToUtf8(e.Message()), "TArchiveStream:\r\n[Reload]ファイルが不正[GIF8]です");
  }
}

TEST_F(GraphicSourceTest, AFolderNamedGraphicIsIgnored) {
  fs::create_directories(dir / "graphic");
  TGraphicSource source(folder);
  EXPECT_EQ(source.Archives().Count(), 0);
}

TEST(ProgramStart, AnInvalidArchiveBesideTheProgramStopsIt) {
  const fs::path graphic = fs::path(ToUtf8(ExePath())) / "graphic";
  std::ofstream(graphic) << "not an archive";
  EXPECT_THROW(TProgramObjects objects, EarcSTreamError);
  EXPECT_THROW(Globals(), Exception);  // nothing is left half made
  fs::remove(graphic);
  TProgramObjects objects;
  EXPECT_EQ(GraphicSource().Archives().Count(), 0);
}
