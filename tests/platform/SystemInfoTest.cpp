#include <gtest/gtest.h>

#include "platform/system/SystemInfo.h"

TEST(SystemInfo, MajorVersionSaysWhetherPerPixelAlphaWorks) {
  // No window system has said anything: the system's own answer (4 on Linux).
  const int32_t own = SystemOwnMajorVersion();
#ifndef _WIN32
  EXPECT_EQ(own, 4);
#endif
  EXPECT_EQ(SystemMajorVersion(), own);
  {
    ScopedPerPixelAlphaSource composited([] { return true; });
    const int32_t layered = SystemMajorVersion();
    EXPECT_EQ(layered, own > 4 ? own : 6);
    {
      ScopedPerPixelAlphaSource plain([] { return false; });
      EXPECT_EQ(SystemMajorVersion(), 4);
    }
    EXPECT_EQ(SystemMajorVersion(), layered);
  }
  EXPECT_EQ(SystemMajorVersion(), own);
}

TEST(SystemInfo, VersionRecordAndProgramFile) {
  const auto record = ProgramVersionRecord();
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->ProductName, "Chimora");
  EXPECT_FALSE(record->FileVersion.empty());
  EXPECT_NE(ProgramFileName().find("platform_test"), AnsiString::npos);
}
