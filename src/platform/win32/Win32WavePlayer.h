#pragma once
// Bell sounds through the system's own asynchronous wave playback: a new sound
// replaces the playing one.
#include "platform/system/Sound.h"

class TWin32WavePlayer : public WavePlayer {
 public:
  void Play(const AnsiString& path) override;
};
