#include <gtest/gtest.h>

#include "XServer.h"
#include "platform/SystemInfo.h"

TEST(SystemInfo, MajorVersionFollowsCompositing) {
  {
    const char* old = std::getenv("DISPLAY");
    const std::string saved = old != nullptr ? old : "";
    ::unsetenv("DISPLAY");
    EXPECT_EQ(SystemMajorVersion(), 4);  // no display at all
    if (old != nullptr) ::setenv("DISPLAY", saved.c_str(), 1);
  }
  {
    XServer plain(false);
    EXPECT_EQ(SystemMajorVersion(), 4);
  }
  {
    XServer composited(true);  // returns once the manager owns its selection
    EXPECT_GT(SystemMajorVersion(), 4);
  }
}

TEST(SystemInfo, VersionRecordAndProgramFile) {
  const auto record = ProgramVersionRecord();
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->ProductName, "Chimora");
  EXPECT_FALSE(record->FileVersion.empty());
  EXPECT_NE(ProgramFileName().find("platform_test"), AnsiString::npos);
}
