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
    XServer composited(true);
    // The compositing manager takes its selection a moment after it starts.
    int32_t version = SystemMajorVersion();
    for (int i = 0; i < 100 && version <= 4; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      version = SystemMajorVersion();
    }
    EXPECT_GT(version, 4);
  }
}

TEST(SystemInfo, VersionRecordAndProgramFile) {
  const auto record = ProgramVersionRecord();
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->ProductName, "Chimora");
  EXPECT_FALSE(record->FileVersion.empty());
  EXPECT_NE(ProgramFileName().find("platform_test"), AnsiString::npos);
}
