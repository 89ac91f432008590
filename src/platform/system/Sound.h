#pragma once
// Asynchronous wave playback: the call returns at once and a new sound replaces
// the one still playing.
#include <cstdint>

#include "platform/text/AnsiString.h"

constexpr uint32_t SND_ASYNC = 0x0001;

class WavePlayer {
 public:
  virtual ~WavePlayer() = default;
  // path is CP932; must not block the caller.
  virtual void Play(const AnsiString& path) = 0;
};

// Hands path to the installed player; without one the sound is dropped.
// The result only tells whether a player took it; callers ignore it.
bool PlaySoundA(const char* path, void* module, uint32_t flags);

// While alive, PlaySoundA goes to player (the program's audio output, or a test's recorder).
class ScopedWavePlayer {
 public:
  explicit ScopedWavePlayer(WavePlayer& player);
  ~ScopedWavePlayer();
  ScopedWavePlayer(const ScopedWavePlayer&) = delete;
  ScopedWavePlayer& operator=(const ScopedWavePlayer&) = delete;

 private:
  WavePlayer* FPrevious;
};
