// The placement policy, one table of what a window manager does and what the
// policy decides at each step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window/PlacementPolicy.h"

namespace {
using TSeen = TPlacementPolicy::TSeen;
using TStep = TPlacementPolicy::TStep;

enum class TDo { Ask, Mapped, Seen, SeenHeld, RequestMove, Poll, Settle, Press };
struct TEvent {
  int64_t Ms;
  TDo Do;
  TPoint At;
  int Want = 0;  // what Ask (0 or 1), Seen or Poll answers
  bool Down = false, Held = false;
};
TEvent Ask(int64_t ms, TPoint at, bool asked) { return {ms, TDo::Ask, at, asked}; }
TEvent Seen(int64_t ms, TPoint at, TSeen want) { return {ms, TDo::Seen, at, static_cast<int>(want)}; }
TEvent SeenHeld(int64_t ms, TPoint at, TSeen want) { return {ms, TDo::SeenHeld, at, static_cast<int>(want)}; }
TEvent Poll(int64_t ms, bool down, bool held, TStep want, TPoint pointer = {}) {
  return {ms, TDo::Poll, pointer, static_cast<int>(want), down, held};
}
TEvent Do(int64_t ms, TDo what, TPoint at = {}) { return {ms, what, at}; }

struct TCase {
  std::string Name;
  std::vector<TEvent> Events;
};

const std::vector<TCase> kCases = {
    {"granted, and another client's move much later",
     {Ask(0, {100, 0}, true), Seen(20, {100, 0}, TSeen::Same), Ask(30, {100, 0}, false),
      Seen(900, {300, 300}, TSeen::ManagerMove)}},
    {"kept elsewhere within the answer time, and never asked for again",
     {Ask(0, {100, 0}, true), Seen(500, {100, 32}, TSeen::Answer), Ask(510, {100, 0}, false), Ask(520, {200, 0}, true)}},
    {"a late answer: followed once, then the refused place is not asked for again",
     {Ask(0, {100, 0}, true), Seen(501, {100, 32}, TSeen::ManagerMove), Poll(550, false, false, TStep::Continue),
      Poll(600, false, false, TStep::Ended), Do(600, TDo::Settle, {100, 32}), Ask(610, {100, 0}, false)}},
    {"the manager's own move shortly after our request",
     {Ask(0, {100, 0}, true), SeenHeld(100, {150, 50}, TSeen::ManagerMove), Seen(150, {160, 60}, TSeen::Follow),
      Ask(200, {160, 0}, false), Poll(250, true, true, TStep::Continue), Poll(300, false, false, TStep::Continue),
      Poll(350, false, false, TStep::Ended), Ask(360, {160, 0}, true)}},
    {"a keyboard move outlasting two seconds ends two seconds after its last step",
     {Do(0, TDo::RequestMove), Poll(50, false, true, TStep::Continue), Seen(1000, {10, 10}, TSeen::Follow),
      Poll(1900, false, true, TStep::Continue), Seen(2900, {20, 10}, TSeen::Follow), Poll(4000, false, true, TStep::Continue),
      Poll(4899, false, true, TStep::Continue), Poll(4900, false, true, TStep::Ended)}},
    {"a manager behind with its events: up, but its grab holds until it has placed the window",
     {Do(0, TDo::RequestMove), Poll(50, true, true, TStep::Continue), Poll(100, false, true, TStep::Continue),
      Poll(700, false, true, TStep::Continue), Poll(750, false, false, TStep::Ended)}},
    {"a release never seen: over once nothing stirred for five seconds",
     {SeenHeld(0, {50, 50}, TSeen::ManagerMove), Poll(100, true, false, TStep::Continue, {60, 60}),
      Seen(200, {70, 70}, TSeen::Follow), Poll(5199, true, false, TStep::Continue, {60, 60}),
      Poll(5200, true, false, TStep::Ended, {60, 60})}},
    {"a press on our window ends a followed move whose release the server never saw",
     {Seen(0, {300, 300}, TSeen::ManagerMove), Poll(100, true, false, TStep::Continue), {200, TDo::Press, {}, 1},
      Ask(210, {300, 0}, true), {300, TDo::Press, {}, 0}}},
    {"a move request nobody takes up (a manager gone): our own move",
     {Do(0, TDo::RequestMove), Poll(50, true, false, TStep::Continue), Poll(1999, true, false, TStep::Continue),
      Poll(2000, true, false, TStep::Unanswered)}},
    {"a manager slow to take the request up keeps its move",
     {Do(0, TDo::RequestMove), Poll(1999, true, false, TStep::Continue), Poll(2000, true, true, TStep::Continue),
      Seen(2100, {30, 30}, TSeen::Follow), Poll(2150, false, false, TStep::Continue), Poll(2200, false, false, TStep::Ended)}},
    {"a click too short for the manager to take up ends at once",
     {Do(0, TDo::RequestMove), Poll(50, false, false, TStep::Continue), Poll(100, false, false, TStep::Ended)}},
    {"where a new window is put answers the place it has",
     {Ask(0, {100, 0}, true), Do(5000, TDo::Mapped), Seen(5100, {100, 32}, TSeen::Answer), Ask(5200, {100, 0}, false)}},
};
}  // namespace

TEST(PlacementPolicy, DecidesEachStepOfTheTable) {
  for (const TCase& c : kCases) {
    int64_t now = 0;
    TPlacementPolicy policy([&now] { return now; });
    for (size_t i = 0; i < c.Events.size(); ++i) {
      const TEvent& e = c.Events[i];
      now = e.Ms;
      int got = e.Want;
      switch (e.Do) {
        case TDo::Ask: got = policy.Ask(e.At) ? 1 : 0; break;
        case TDo::Mapped: policy.Mapped(); break;
        case TDo::Seen: got = static_cast<int>(policy.Seen(e.At, false)); break;
        case TDo::SeenHeld: got = static_cast<int>(policy.Seen(e.At, true)); break;
        case TDo::RequestMove: policy.MoveRequested(); break;
        case TDo::Poll: got = static_cast<int>(policy.Poll({e.Down, e.At}, [&e] { return e.Held; })); break;
        case TDo::Settle: policy.Settled(e.At); break;
        case TDo::Press: got = policy.Pressed() ? 1 : 0; break;
      }
      EXPECT_EQ(got, e.Want) << c.Name << ", step " << i;
    }
  }
}
