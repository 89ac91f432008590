#pragma once
// The program's objects with an empty settings file beside the test program,
// and a fake window system with one 1920 x 1040 work area.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/ProgramObjects.h"
#include "app/vrelGlobal.h"
#include "platform/window/FakeWindowSystem.h"

class ShellFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    FObjects = std::make_unique<TProgramObjects>();
    std::filesystem::remove(ToUtf8(Globals().SettingsFileName()));
  }
  void TearDown() override {
    std::filesystem::remove(ToUtf8(Globals().SettingsFileName()));
    FObjects.reset();
  }
  static int32_t Stored(const char* section, const char* key, int32_t fallBack = -99999) {
    return Globals().IniReadInteger(section, key, fallBack);
  }

  TFakeWindowSystem system;

 private:
  std::unique_ptr<TProgramObjects> FObjects;
};
