#pragma once
// Wave playback through SDL2 audio: the file is read once and kept, played on
// SDL's audio thread, and a new sound replaces the one playing. The device is
// opened for a sound and closed after a short silence, both on SDL's timer
// thread: the caller never waits on audio, and an idle chime costs no CPU.
// Without an audio device, or with a file that is missing or damaged, it stays
// silent and says so once on stderr.
#include <SDL2/SDL.h>

#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "platform/system/Sound.h"

class TSdlWavePlayer : public WavePlayer {
 public:
  TSdlWavePlayer();
  ~TSdlWavePlayer() override;
  TSdlWavePlayer(const TSdlWavePlayer&) = delete;
  TSdlWavePlayer& operator=(const TSdlWavePlayer&) = delete;

  void Play(const AnsiString& path) override;
  // True while a sound is being played.
  bool Playing();

 private:
  const std::vector<uint8_t>* Load(const AnsiString& path);
  // On the timer thread: opens the device for a sound, closes it after silence.
  static uint32_t Serve(uint32_t interval, void* self);
  bool OpenDevice();
  static void Mix(void* self, uint8_t* stream, int length);
  static void Notice(const std::string& text);

  std::map<AnsiString, std::vector<uint8_t>> FCache;  // in the device's format
  std::set<AnsiString> FBroken;
  std::atomic<bool> FDeviceFailed{false};
  // The timer thread's alone.
  SDL_AudioDeviceID FDevice = 0;
  std::optional<uint32_t> FSilentSince;
  // Shared with the audio and timer threads.
  std::mutex FLock;
  const std::vector<uint8_t>* FPlaying = nullptr;
  size_t FPosition = 0;
  bool FServing = false;
};
