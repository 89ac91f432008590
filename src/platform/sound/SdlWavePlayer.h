#pragma once
// Wave playback through SDL2 audio, on a thread of its own: Play only hands the
// name over, so neither loading SDL, nor a sound server that answers late or
// never, ever reaches the caller. The worker loads SDL at the first sound (the
// chime's start never waits for it; when it cannot be loaded the chime stays
// silent for good, said once), reads each file once and keeps it, opens the
// device for a sound and closes it after a short silence, so an idle chime
// costs no CPU. A newer sound replaces the one playing. When the device cannot
// be opened or is lost (the sound server stopped), the chime stays silent for a
// few seconds, then the next sound tries again; each failure in a row doubles
// the silence, up to a few minutes. stderr hears of it once, and again only
// after sound has worked in between. A file that is missing or damaged stays
// silent and is named once.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/sound/SdlLibrary.h"
#include "platform/system/Sound.h"

struct TWaveTimes {
  uint32_t RetryMillis = 5000;       // the silence after a first failure
  uint32_t CloseAfterMillis = 3000;  // the quiet after which the device is closed
  uint32_t LookMillis = 250;         // how often a held device is looked at; each look wakes the worker
};

class TSdlWavePlayer : public WavePlayer {
 public:
  // now: the millisecond clock of the retries and the quiet; library: the SDL to load.
  explicit TSdlWavePlayer(TWaveTimes times = {}, std::string library = TSdlLibrary::kName,
                          std::function<uint32_t()> now = nullptr);
  // Waits a moment for the worker to let the device go; a worker that a hung
  // sound server holds is left behind rather than waited for.
  ~TSdlWavePlayer() override;
  TSdlWavePlayer(const TSdlWavePlayer&) = delete;
  TSdlWavePlayer& operator=(const TSdlWavePlayer&) = delete;

  void Play(const AnsiString& path) override;
  // True from Play until its sound has been played and the device let go, or the sound dropped.
  bool Busy() const;

 private:
  class TWorker;
  // Shared with the worker thread, which outlives the player when a sound server holds it.
  std::shared_ptr<TWorker> FWorker;
  std::thread FThread;  // started by the first sound
};
