#include <gtest/gtest.h>

#include "platform/system/SystemInfo.h"

TEST(SystemInfo, MajorVersionComesFromTheInstalledSource) {
  EXPECT_EQ(SystemMajorVersion(), 4);  // no window system has said anything
  {
    ScopedMajorVersionSource composited([] { return 6; });
    EXPECT_EQ(SystemMajorVersion(), 6);
    {
      ScopedMajorVersionSource plain([] { return 4; });
      EXPECT_EQ(SystemMajorVersion(), 4);
    }
    EXPECT_EQ(SystemMajorVersion(), 6);
  }
  EXPECT_EQ(SystemMajorVersion(), 4);
}

TEST(SystemInfo, VersionRecordAndProgramFile) {
  const auto record = ProgramVersionRecord();
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->ProductName, "Chimora");
  EXPECT_FALSE(record->FileVersion.empty());
  EXPECT_NE(ProgramFileName().find("platform_test"), AnsiString::npos);
}
