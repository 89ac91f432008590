#include "platform/wayland/MenuNavigation.h"

#include <gtest/gtest.h>

#include "platform/window/FakeWindowSystem.h"

namespace {
// The chime's menu: its separators, its shared and unshared access keys.
struct MenuNavigationTest : testing::Test {
  MenuNavigationTest() {
    for (const char* caption : {"&Iron", "-", "&Alpha", "&Beta", "-", "&Sound", "Se&cond &S", "E&xit"}) menu.Add("", caption);
  }
  TFakeWindowSystem system;
  TPopupMenu menu{system};
};

TEST_F(MenuNavigationTest, AccessKeys) {
  struct Case {
    const char* caption;
    char key;
  } cases[] = {{"&Iron", 'I'}, {"e&xit", 'X'}, {"A && B", 0}, {"A &&&b", 'B'}, {"none", 0}, {"trailing&", 0}};
  for (const Case& c : cases) EXPECT_EQ(AccessKey(c.caption), c.key) << c.caption;
  // A trail byte of a double-byte character is never taken for a marker.
  EXPECT_EQ(AccessKey(Ansi(u8"南部鉄(&N)")), 'N');
}

TEST_F(MenuNavigationTest, ArrowsSkipSeparatorsAndGoRound) {
  TMenuNavigation nav(menu);
  const struct {
    uint16_t key;
    int32_t highlighted;
  } steps[] = {{VK_DOWN, 0}, {VK_DOWN, 2}, {VK_DOWN, 3}, {VK_DOWN, 5}, {VK_DOWN, 6}, {VK_DOWN, 7}, {VK_DOWN, 0}, {VK_UP, 7}, {VK_UP, 6}};
  for (const auto& step : steps) {
    EXPECT_EQ(nav.Key(step.key).What, TMenuStep::Stay);
    EXPECT_EQ(nav.Highlighted(), step.highlighted);
  }
  const TMenuStep chosen = nav.Key(VK_RETURN);
  EXPECT_EQ(chosen.What, TMenuStep::Choose);
  EXPECT_EQ(chosen.Item, 6);
  EXPECT_EQ(nav.Key(VK_ESCAPE).What, TMenuStep::Close);
}

TEST_F(MenuNavigationTest, AccessKeyChoosesOrCyclesWhereShared) {
  TMenuNavigation nav(menu);
  EXPECT_EQ(nav.Key(VK_RETURN).What, TMenuStep::Stay);  // nothing highlighted yet
  const TMenuStep beta = nav.Key('B');
  EXPECT_EQ(beta.What, TMenuStep::Choose);
  EXPECT_EQ(beta.Item, 3);
  // 'S' is both "&Sound" and "Se&cond &S"'s first marker ('C'): unique, chosen.
  EXPECT_EQ(nav.Key('S').Item, 5);
  EXPECT_EQ(nav.Key('Q').What, TMenuStep::Stay);
}

TEST_F(MenuNavigationTest, SharedAccessKeyHighlightsInTurn) {
  menu.Add("", "&Bell");
  TMenuNavigation nav(menu);
  EXPECT_EQ(nav.Key('B').What, TMenuStep::Stay);
  EXPECT_EQ(nav.Highlighted(), 3);
  nav.Key('B');
  EXPECT_EQ(nav.Highlighted(), 8);
  nav.Key('B');
  EXPECT_EQ(nav.Highlighted(), 3);
}

TEST_F(MenuNavigationTest, PointerHighlightsAndChoosesItemsOnly) {
  TMenuNavigation nav(menu);
  nav.Hover(4);
  EXPECT_EQ(nav.Highlighted(), -1);
  EXPECT_EQ(nav.Release(4).What, TMenuStep::Stay);
  nav.Hover(2);
  EXPECT_EQ(nav.Highlighted(), 2);
  EXPECT_EQ(nav.Release(7).Item, 7);
}
}  // namespace
