#pragma once
// Wave playback through SDL2 audio: the file is read once and kept, played on
// SDL's audio thread, and a new sound replaces the one playing. The device is
// opened on first use and paused when silent, so an idle chime costs no CPU.
// Without an audio device, or with a file that is missing or damaged, it stays
// silent and says so once on stderr.
#include <SDL2/SDL.h>

#include <map>
#include <mutex>
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
  bool OpenDevice();
  const std::vector<uint8_t>* Load(const AnsiString& path);
  static void Mix(void* self, uint8_t* stream, int length);
  static uint32_t PauseWhenDone(uint32_t interval, void* self);
  void Notice(const std::string& text);

  SDL_AudioDeviceID FDevice = 0;
  SDL_AudioSpec FSpec{};
  bool FDeviceFailed = false;
  std::map<AnsiString, std::vector<uint8_t>> FCache;  // in the device's format
  std::set<AnsiString> FBroken;
  std::mutex FLock;  // the playing sound, shared with the audio thread
  const std::vector<uint8_t>* FPlaying = nullptr;
  size_t FPosition = 0;
  SDL_TimerID FPauseTimer = 0;
};
