#include <gtest/gtest.h>

#include "almanac/vrelDate.h"
#include "app/ProgramObjects.h"
#include "app/vrelGlobal.h"

TEST(ProgramObjects, GlobalsAndAlmanacLiveWithThem) {
  EXPECT_THROW(Almanac(), Exception);
  EXPECT_THROW(Globals(), Exception);
  {
    TProgramObjects objects;
    EXPECT_EQ(Globals().ProductName(), "Chimora");
    EXPECT_EQ(Almanac().Rules().size(), 24u);
    EXPECT_THROW(TProgramObjects(), Exception);  // one of each per process
    Almanac().SetDate(EncodeDate(2024, 2, 4));
    EXPECT_EQ(Almanac().DayNote(), Ansi(u8"立春"));
  }
  EXPECT_THROW(Almanac(), Exception);
  EXPECT_THROW(Globals(), Exception);
}
