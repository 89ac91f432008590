#include <gtest/gtest.h>

#include "platform/system/Random.h"

namespace {
class RandomTest : public ::testing::Test {
 protected:
  void SetUp() override { SetRandSeed(0); }
};
}  // namespace

TEST_F(RandomTest, SequenceFromTheStartState) {
  const int32_t expected[] = {0, 31, 861, 202, 272, 671};
  for (int32_t e : expected) EXPECT_EQ(Random(1000), e);
  EXPECT_EQ(RandSeed(), 0xABF18B42u);
}

TEST_F(RandomTest, StateStepsByTheMultiplier) {
  const uint32_t states[] = {0x1, 0x8088406, 0xDC6DAC1F, 0x33DC589C};
  for (uint32_t s : states) {
    Random(10);
    EXPECT_EQ(RandSeed(), s);
  }
}

TEST_F(RandomTest, RangeZeroGivesZeroButStillDraws) {
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(RandSeed(), 1u);
}

TEST_F(RandomTest, StaysInRangeForLargeBounds) {
  SetRandSeed(0xFFFFFFFFu);
  for (int i = 0; i < 1000; ++i) {
    const int32_t v = Random(2147483647);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 2147483647);
  }
}

TEST_F(RandomTest, RandomizeChangesTheState) {
  Randomize();
  const uint32_t first = RandSeed();
  Randomize();
  EXPECT_NE(RandSeed(), first);
}
