#include "platform/window/PlacementPolicy.h"

#include <utility>

TPlacementPolicy::TPlacementPolicy(std::function<int64_t()> nowMs) : FNow(std::move(nowMs)) {}

bool TPlacementPolicy::Ask(TPoint at) {
  // While the manager moves the window it owns the position.
  if (Moving() || at == FPlace) return false;
  // Asked for again, a refused place would be refused again, and again.
  if (FRefused && FRefused->Asked == at && FRefused->Given == FPlace) return false;
  FPlace = at;
  FAsked = at;
  FAskedAt = FNow();
  return true;
}

void TPlacementPolicy::Mapped() {
  FAsked = FPlace;
  FAskedAt = FNow();
}

TPlacementPolicy::TSeen TPlacementPolicy::Seen(TPoint at, bool heldByAnother) {
  const int64_t now = FNow();
  if (at == FPlace) {
    FAsked.reset();
    return TSeen::Same;
  }
  FPlace = at;
  if (Moving()) {
    FTakenUp = true;
    FLastStir = now;
    return TSeen::Follow;
  }
  const std::optional<TPoint> asked = std::exchange(FAsked, std::nullopt);
  // A manager that moves a window itself holds the pointer; its answer does not.
  if (!heldByAnother && asked) {
    FRefused = TRefusal{*asked, at};
    if (now - FAskedAt <= kAnswerMs) return TSeen::Answer;
  }
  BeginMove(TMove::Running);
  FTakenUp = true;
  return TSeen::ManagerMove;
}

void TPlacementPolicy::MoveRequested() {
  FAsked.reset();
  BeginMove(TMove::Requested);
}

void TPlacementPolicy::BeginMove(TMove kind) {
  FMove = kind;
  FTakenUp = false;
  FMoveStart = FLastStir = FNow();
  FUpPolls = 0;
}

TPlacementPolicy::TStep TPlacementPolicy::Poll(const TPointer& pointer, const std::function<bool()>& heldByAnother) {
  if (!Moving()) return TStep::Ended;
  const int64_t now = FNow();
  if (pointer.At != FPointer) {
    FPointer = pointer.At;
    FLastStir = now;
  }
  FUpPolls = pointer.ButtonDown ? 0 : FUpPolls + 1;
  if (FMove == TMove::Requested && !FTakenUp && now - FMoveStart >= kTakenUpMs) {
    FTakenUp = heldByAnother();
    if (!FTakenUp) {
      FMove = TMove::None;
      return pointer.ButtonDown ? TStep::Unanswered : TStep::Ended;
    }
  }
  const int64_t atRest = now - FLastStir;
  // Up on two polls in a row: one may come between the manager's last moves and its release.
  const bool ended = FUpPolls >= 2 ? atRest >= kHeldAtRestMs || !heldByAnother()
                                   : pointer.ButtonDown && atRest >= kLostReleaseMs;
  if (!ended) return TStep::Continue;
  FMove = TMove::None;
  return TStep::Ended;
}

bool TPlacementPolicy::Pressed() {
  if (FMove != TMove::Running) return false;
  FMove = TMove::None;
  return true;
}

void TPlacementPolicy::Settled(TPoint at) {
  FPlace = at;
  FAsked.reset();
}
