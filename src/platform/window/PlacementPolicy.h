#pragma once
// Where a window is and who is moving it, decided from what a window manager
// does with our requests: whether a move is the answer to our own request or the
// manager's own move, when a move has ended, and never asking again for a place
// the manager refused. Events in, decisions out; time comes from the clock given.
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/Types.h"

class TPlacementPolicy {
 public:
  // A move within this time of our request is the manager's answer to it.
  static constexpr int64_t kAnswerMs = 500;
  // A move request the manager has neither taken up (holding the pointer) nor
  // acted on (moving the window) by then gets our own move instead; a loaded
  // machine's manager may take a good part of a second.
  static constexpr int64_t kTakenUpMs = 2000;
  // The button is up but the manager holds the pointer (a keyboard move, a
  // manager behind with its events): over once the window rests this long.
  static constexpr int64_t kHeldAtRestMs = 2000;
  // The button still reads down, yet neither the pointer nor the window stirred
  // this long: the release was lost on its way (Xwayland after a compositor's
  // move), and the move is over.
  static constexpr int64_t kLostReleaseMs = 5000;

  // nowMs: milliseconds from any start, never going back.
  explicit TPlacementPolicy(std::function<int64_t()> nowMs);

  // The form wants the window at `at`: true when the manager is to be asked.
  // Not where it already is, not while a move runs, not a place refused before.
  bool Ask(TPoint at);
  // The window was mapped: where the manager put it answers the place we have.
  void Mapped();

  enum class TSeen {
    Same,         // where we have it: nothing to do
    Answer,       // the manager's answer to our request: the form takes it as it is
    Follow,       // part of a move that runs: the form follows
    ManagerMove,  // a move nobody here asked for began: the form follows, Poll until it ends
  };
  // The server has the window at `at` now; heldByAnother: another client (the
  // manager) holds the pointer.
  TSeen Seen(TPoint at, bool heldByAnother);

  // We asked the manager for its interactive move; Poll until it ends.
  void MoveRequested();
  struct TPointer {
    bool ButtonDown = false;
    TPoint At;
  };
  enum class TStep {
    Continue,
    Ended,       // the move is over: take the window's place, then the move loop ends
    Unanswered,  // nobody took the request up: move the window ourselves
  };
  // While Moving(), every poll: how the pointer is. heldByAnother: whether
  // another client (the manager) holds the pointer, asked only when it decides
  // something, since asking may take the pointer for a moment.
  TStep Poll(const TPointer& pointer, const std::function<bool()>& heldByAnother);
  bool Moving() const { return FMove != TMove::None; }
  // The button went down on our own window, so no manager holds the pointer
  // for a move: true when that ends the one being followed (Xwayland may read
  // the button down long after a release it never saw).
  bool Pressed();
  // Where the window is once a move ended.
  void Settled(TPoint at);
  // Where the window is, as far as we know.
  TPoint Place() const { return FPlace; }

 private:
  enum class TMove { None, Requested, Running };
  void BeginMove(TMove kind);

  std::function<int64_t()> FNow;
  TPoint FPlace;
  std::optional<TPoint> FAsked;  // a request not answered yet
  int64_t FAskedAt = 0;
  struct TRefusal {
    TPoint Asked, Given;
  };
  std::optional<TRefusal> FRefused;
  TMove FMove = TMove::None;
  bool FTakenUp = false;
  int64_t FMoveStart = 0;
  int64_t FLastStir = 0;
  TPoint FPointer;
  int FUpPolls = 0;
};
