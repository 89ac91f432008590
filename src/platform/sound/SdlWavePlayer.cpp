#include "platform/sound/SdlWavePlayer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "platform/system/Clock.h"

namespace {
// The device plays this format exactly (SDL converts where the hardware differs),
// so files are converted once, before any device is open.
constexpr SDL_AudioFormat kFormat = AUDIO_S16SYS;
constexpr int kChannels = 2;
constexpr int kRate = 44100;
// The longest silence after failures in a row, in retry times: with 5 s, about 5 minutes.
constexpr uint32_t kMostRetryTimes = 64;
// How long the end waits for the device to be let go: a signal ends the chime
// within a second, whatever the sound server does.
constexpr auto kEndWait = std::chrono::milliseconds(300);

void Notice(const std::string& text) { std::cerr << "chimora: " << text << "\n"; }

uint32_t SystemMillis() { return static_cast<uint32_t>(MonotonicNanoseconds() / 1000000); }
}  // namespace

class TSdlWavePlayer::TWorker {
 public:
  TWorker(TWaveTimes times, std::string library, std::function<uint32_t()> now)
      : FTimes(times), FLibrary(std::move(library)), FNow(std::move(now)), FRetryWait(times.RetryMillis) {}

  void Hand(const AnsiString& path) {
    std::lock_guard<std::mutex> guard(FLock);
    FRequest = path;
    FBusy = true;
    FWake.notify_all();
  }

  bool Busy() {
    std::lock_guard<std::mutex> guard(FLock);
    return FBusy;
  }

  // True once the worker has let everything go within the bound.
  bool End(std::chrono::milliseconds bound) {
    std::unique_lock<std::mutex> lock(FLock);
    FEnd = true;
    FWake.notify_all();
    return FWake.wait_for(lock, bound, [this] { return FEnded; });
  }

  void Run() {
    std::unique_lock<std::mutex> lock(FLock);
    for (;;) {
      const auto woken = [this] { return FEnd || FRequest; };
      if (FDevice == 0) {
        FWake.wait(lock, woken);
      } else {
        FWake.wait_for(lock, std::chrono::milliseconds(FTimes.LookMillis), woken);
      }
      if (FEnd) break;
      const std::optional<AnsiString> path = std::exchange(FRequest, std::nullopt);
      lock.unlock();
      if (path) Take(*path);
      if (FDevice != 0) Look();
      lock.lock();
      FBusy = FRequest || FDevice != 0;
    }
    lock.unlock();
    CloseDevice();
    if (FAudioStarted) FSdl->QuitSubSystem(SDL_INIT_AUDIO);
    lock.lock();
    FEnded = true;
    FWake.notify_all();
  }

 private:
  void Take(const AnsiString& path) {
    if (!Started()) return;
    const std::vector<uint8_t>* sound = Load(path);
    if (sound == nullptr) return;
    if (FDevice == 0 && FFailedAt) {
      if (FNow() - *FFailedAt < FRetryWait) return;
      FFailedAt.reset();
      // Should this try fail too, the next waits twice as long.
      FRetryWait = static_cast<uint32_t>(
          std::min<uint64_t>(uint64_t{FRetryWait} * 2, uint64_t{FTimes.RetryMillis} * kMostRetryTimes));
      if (!StartAudio()) return;
    }
    {
      std::lock_guard<std::mutex> guard(FLock);
      FPlaying = sound;
      FPosition = 0;
    }
    FSilentSince.reset();
    if (FDevice == 0 && !OpenDevice()) Fail(FSdl->GetError());
  }

  // The device's state: its sound ended, it was lost, or it has been quiet long enough to close.
  void Look() {
    if (FSdl->GetAudioDeviceStatus(FDevice) == SDL_AUDIO_STOPPED) {
      CloseDevice();
      Fail("the sound device was lost");
      return;
    }
    if (Playing()) {
      FSdl->PauseAudioDevice(FDevice, 0);
      return;
    }
    FNoticeGiven = false;  // a sound was played to its end
    FRetryWait = FTimes.RetryMillis;
    const uint32_t now = FNow();
    if (!FSilentSince) FSilentSince = now;
    if (now - *FSilentSince >= FTimes.CloseAfterMillis) CloseDevice();
  }

  // SDL loaded, tried by the first sound only.
  bool Started() {
    if (!std::exchange(FStartTried, true)) {
      try {
        FSdl.emplace(FLibrary);
      } catch (const std::runtime_error& e) {
        Failed(e.what());
        return false;
      }
      // The program's own handlers end it; SDL would take SIGINT and SIGTERM where none is set yet.
      FSdl->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
      StartAudio();
    }
    return FSdl.has_value();
  }

  // SDL chooses its driver (a sound server, ALSA, ...) when audio starts, so after
  // a failure it starts afresh: a sound server that was missing is found when it is back.
  bool StartAudio() {
    if (FAudioStarted) FSdl->QuitSubSystem(SDL_INIT_AUDIO);
    FAudioStarted = FSdl->InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!FAudioStarted) {
      FFailedAt = FNow();
      Failed(FSdl->GetError());
    }
    return FAudioStarted;
  }

  bool OpenDevice() {
    SDL_AudioSpec wanted{};
    wanted.freq = kRate;
    wanted.format = kFormat;
    wanted.channels = kChannels;
    wanted.samples = 4096;  // about 90 ms a callback: a ring may start that late, the thread wakes a quarter as often
    wanted.callback = &TWorker::Mix;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    FDevice = FSdl->OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    return FDevice != 0;
  }

  void CloseDevice() {
    if (FDevice != 0) FSdl->CloseAudioDevice(std::exchange(FDevice, 0));
  }

  // After a failure, sound stays off for the retry time.
  void Fail(const std::string& reason) {
    {
      std::lock_guard<std::mutex> guard(FLock);
      FPlaying = nullptr;
    }
    FFailedAt = FNow();
    Failed(reason);
  }

  // The notice, once until sound has worked again.
  void Failed(const std::string& reason) {
    if (!std::exchange(FNoticeGiven, true)) Notice("no sound: " + reason);
  }

  const std::vector<uint8_t>* Load(const AnsiString& path) {
    if (const auto it = FCache.find(path); it != FCache.end()) return &it->second;
    if (FBroken.count(path) != 0) return nullptr;
    SDL_AudioSpec source{};
    uint8_t* data = nullptr;
    uint32_t length = 0;
    if (FSdl->LoadWAV_RW(FSdl->RWFromFile(ToUtf8(path).c_str(), "rb"), 1, &source, &data, &length) == nullptr) {
      FBroken.insert(path);
      Notice("cannot play " + ToUtf8(path) + ": " + FSdl->GetError());
      return nullptr;
    }
    // Converted a piece at a time into a buffer of the sound's own size: a
    // conversion in place needs room for the worst case, up to 16 times the file.
    std::vector<uint8_t> samples;
    if (SDL_AudioStream* stream = FSdl->NewAudioStream(source.format, source.channels, source.freq, kFormat, kChannels, kRate)) {
      const uint32_t piece = SDL_AUDIO_BITSIZE(source.format) / 8 * source.channels * 4096u;
      bool ok = true;
      for (uint32_t at = 0; ok && at < length; at += piece) {
        ok = FSdl->AudioStreamPut(stream, data + at, static_cast<int>(std::min(piece, length - at))) == 0;
      }
      if (ok && FSdl->AudioStreamFlush(stream) == 0) {
        samples.resize(static_cast<size_t>(FSdl->AudioStreamAvailable(stream)));
        const int got = FSdl->AudioStreamGet(stream, samples.data(), static_cast<int>(samples.size()));
        if (got != static_cast<int>(samples.size())) samples.clear();
      }
      FSdl->FreeAudioStream(stream);
    }
    FSdl->FreeWAV(data);
    if (samples.empty()) {
      FBroken.insert(path);
      Notice("cannot play " + ToUtf8(path) + ": " + FSdl->GetError());
      return nullptr;
    }
    return &(FCache[path] = std::move(samples));
  }

  bool Playing() {
    std::lock_guard<std::mutex> guard(FLock);
    return FPlaying != nullptr;
  }

  // On SDL's audio thread.
  static void Mix(void* self, uint8_t* stream, int length) {
    auto* worker = static_cast<TWorker*>(self);
    std::memset(stream, 0, static_cast<size_t>(length));  // silence of signed samples
    std::lock_guard<std::mutex> guard(worker->FLock);
    if (worker->FPlaying == nullptr) return;
    const size_t n = std::min(static_cast<size_t>(length), worker->FPlaying->size() - worker->FPosition);
    std::memcpy(stream, worker->FPlaying->data() + worker->FPosition, n);
    worker->FPosition += n;
    if (worker->FPlaying->size() <= worker->FPosition) worker->FPlaying = nullptr;
  }

  const TWaveTimes FTimes;
  const std::string FLibrary;
  const std::function<uint32_t()> FNow;
  // The worker thread's alone.
  std::optional<TSdlLibrary> FSdl;
  bool FStartTried = false;
  bool FAudioStarted = false;
  std::map<AnsiString, std::vector<uint8_t>> FCache;  // in the device's format
  std::set<AnsiString> FBroken;
  SDL_AudioDeviceID FDevice = 0;
  std::optional<uint32_t> FSilentSince;
  std::optional<uint32_t> FFailedAt;
  uint32_t FRetryWait;  // the silence after the last failure
  bool FNoticeGiven = false;
  // Shared with the caller and SDL's audio thread.
  std::mutex FLock;
  std::condition_variable FWake;
  std::optional<AnsiString> FRequest;
  bool FBusy = false;
  bool FEnd = false;
  bool FEnded = false;
  const std::vector<uint8_t>* FPlaying = nullptr;
  size_t FPosition = 0;
};

TSdlWavePlayer::TSdlWavePlayer(TWaveTimes times, std::string library, std::function<uint32_t()> now)
    : FWorker(std::make_shared<TWorker>(times, std::move(library), now ? std::move(now) : SystemMillis)) {}

TSdlWavePlayer::~TSdlWavePlayer() {
  if (!FThread.joinable()) return;
  if (FWorker->End(kEndWait)) {
    FThread.join();
  } else {
    FThread.detach();  // it holds its own share of the worker
  }
}

void TSdlWavePlayer::Play(const AnsiString& path) {
  if (!FThread.joinable()) FThread = std::thread([worker = FWorker] { worker->Run(); });
  FWorker->Hand(path);
}

bool TSdlWavePlayer::Busy() const { return FWorker->Busy(); }
