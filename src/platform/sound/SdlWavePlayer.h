#pragma once
// Wave playback through SDL2 audio: the file is read once and kept, played on
// SDL's audio thread, and a new sound replaces the one playing. SDL is loaded and
// started by the first sound, on the main thread, so the chime's start never waits
// for it; when it cannot be loaded the chime stays silent for good, said once.
// The device is opened for a sound and closed after a short silence, both on
// SDL's timer thread: the caller never waits on audio, and an idle chime costs no
// CPU. When the device cannot be opened or is lost (the sound server stopped),
// the chime stays silent for a few seconds, then the next sound tries again;
// each failure in a row doubles the silence, up to a few minutes, so a machine
// without sound is not stalled by a restart of audio every few seconds. stderr
// hears of it once, and again only after sound has worked in between.
// A file that is missing or damaged stays silent and is named once.
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/sound/SdlLibrary.h"
#include "platform/system/Sound.h"

class TSdlWavePlayer : public WavePlayer {
 public:
  // retryMillis: the silence after a first failure; closeAfterMillis: the quiet after
  // which the device is closed; library: the SDL to load.
  explicit TSdlWavePlayer(uint32_t retryMillis = 5000, uint32_t closeAfterMillis = 3000,
                          std::string library = TSdlLibrary::kName);
  ~TSdlWavePlayer() override;
  TSdlWavePlayer(const TSdlWavePlayer&) = delete;
  TSdlWavePlayer& operator=(const TSdlWavePlayer&) = delete;

  void Play(const AnsiString& path) override;
  // True while a sound is being played.
  bool Playing();
  // True while the device is held (from a sound until the quiet after it).
  bool Serving();

 private:
  // SDL loaded and its timer started, tried by the first call only.
  bool Started();
  void Start();
  const std::vector<uint8_t>* Load(const AnsiString& path);
  // On the main thread, while the timer thread is not serving.
  bool StartAudio();
  // On the timer thread: opens the device for a sound, closes it after silence.
  static uint32_t Serve(uint32_t interval, void* self);
  uint32_t ServeNow();
  bool OpenDevice();
  void CloseDevice();
  // Ends serving; after a failure, sound stays off for the retry time.
  uint32_t StopServing(std::optional<std::string> failure);
  // The notice, once until sound has worked again.
  void Failed(const std::string& reason);
  static void Mix(void* self, uint8_t* stream, int length);
  static void Notice(const std::string& text);

  const uint32_t FRetryMillis;
  const uint32_t FCloseAfterMillis;
  const std::string FLibrary;
  // The main thread's, set before SDL's threads start and only read by them.
  std::optional<TSdlLibrary> FSdl;
  bool FStartTried = false;
  bool FTimerStarted = false;
  std::map<AnsiString, std::vector<uint8_t>> FCache;  // in the device's format
  std::set<AnsiString> FBroken;
  bool FAudioStarted = false;  // the main thread's
  std::atomic<bool> FNoticeGiven{false};
  // The timer thread's alone.
  SDL_AudioDeviceID FDevice = 0;
  std::optional<uint32_t> FSilentSince;
  // Shared with the audio and timer threads.
  std::mutex FLock;
  const std::vector<uint8_t>* FPlaying = nullptr;
  size_t FPosition = 0;
  bool FServing = false;
  std::optional<uint32_t> FFailedAt;
  uint32_t FRetryWait;  // the silence after the last failure
};
