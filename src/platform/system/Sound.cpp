#include "platform/system/Sound.h"

#include <utility>

namespace {
WavePlayer*& CurrentPlayer() {
  static WavePlayer* player = nullptr;
  return player;
}
}  // namespace

bool PlaySoundA(const char* path, void* /*module*/, uint32_t /*flags*/) {
  WavePlayer* player = CurrentPlayer();
  if (player == nullptr || path == nullptr) return false;
  player->Play(path);
  return true;
}

ScopedWavePlayer::ScopedWavePlayer(WavePlayer& player)
    : FPrevious(std::exchange(CurrentPlayer(), &player)) {}

ScopedWavePlayer::~ScopedWavePlayer() { CurrentPlayer() = FPrevious; }
