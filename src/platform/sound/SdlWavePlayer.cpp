#include "platform/sound/SdlWavePlayer.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <utility>

namespace {
// The device plays this format exactly (SDL converts where the hardware differs),
// so files are converted once, before any device is open.
constexpr SDL_AudioFormat kFormat = AUDIO_S16SYS;
constexpr int kChannels = 2;
constexpr int kRate = 44100;
// How often a device in use is looked at: whether its sound ended, it was lost
// or it has been quiet long enough to close. Each look wakes a thread.
constexpr uint32_t kServeMillis = 250;
// The longest silence after failures in a row, in retry times: with 5 s, about 5 minutes.
constexpr uint32_t kMostRetryTimes = 64;
}  // namespace

TSdlWavePlayer::TSdlWavePlayer(uint32_t retryMillis, uint32_t closeAfterMillis, std::string library)
    : FRetryMillis(retryMillis), FCloseAfterMillis(closeAfterMillis), FLibrary(std::move(library)), FRetryWait(retryMillis) {}

TSdlWavePlayer::~TSdlWavePlayer() {
  // The timer thread ends first, so nothing opens or closes the device behind us.
  if (FTimerStarted) FSdl->QuitSubSystem(SDL_INIT_TIMER);
  CloseDevice();
  if (FAudioStarted) FSdl->QuitSubSystem(SDL_INIT_AUDIO);
}

bool TSdlWavePlayer::Started() {
  if (!std::exchange(FStartTried, true)) Start();
  return FTimerStarted;
}

void TSdlWavePlayer::Start() {
  try {
    FSdl.emplace(FLibrary);
  } catch (const std::runtime_error& e) {
    Failed(e.what());
    return;
  }
  FTimerStarted = FSdl->InitSubSystem(SDL_INIT_TIMER) == 0;
  if (!FTimerStarted) {
    Failed(FSdl->GetError());
    return;
  }
  StartAudio();
}

void TSdlWavePlayer::Notice(const std::string& text) { std::cerr << "chimora: " << text << "\n"; }

void TSdlWavePlayer::Failed(const std::string& reason) {
  if (!FNoticeGiven.exchange(true)) Notice("no sound: " + reason);
}

// SDL chooses its driver (a sound server, ALSA, ...) when audio starts, so after
// a failure it starts afresh: a sound server that was missing is found when it is back.
bool TSdlWavePlayer::StartAudio() {
  if (FAudioStarted) FSdl->QuitSubSystem(SDL_INIT_AUDIO);
  FAudioStarted = FSdl->InitSubSystem(SDL_INIT_AUDIO) == 0;
  if (!FAudioStarted) {
    {
      std::lock_guard<std::mutex> guard(FLock);
      FFailedAt = FSdl->GetTicks();
    }
    Failed(FSdl->GetError());
  }
  return FAudioStarted;
}

bool TSdlWavePlayer::OpenDevice() {
  SDL_AudioSpec wanted{};
  wanted.freq = kRate;
  wanted.format = kFormat;
  wanted.channels = kChannels;
  wanted.samples = 4096;  // about 90 ms a callback: a ring may start that late, the thread wakes a quarter as often
  wanted.callback = &TSdlWavePlayer::Mix;
  wanted.userdata = this;
  SDL_AudioSpec obtained{};
  FDevice = FSdl->OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  return FDevice != 0;
}

void TSdlWavePlayer::CloseDevice() {
  if (FDevice != 0) FSdl->CloseAudioDevice(std::exchange(FDevice, 0));
  FSilentSince.reset();
}

const std::vector<uint8_t>* TSdlWavePlayer::Load(const AnsiString& path) {
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

void TSdlWavePlayer::Play(const AnsiString& path) {
  if (!Started()) return;
  const std::vector<uint8_t>* sound = Load(path);
  if (sound == nullptr) return;
  bool retry = false;
  {
    std::lock_guard<std::mutex> guard(FLock);
    if (FServing) {
      FPlaying = sound;
      FPosition = 0;
      return;
    }
    if (FFailedAt) {
      if (FSdl->GetTicks() - *FFailedAt < FRetryWait) return;
      FFailedAt.reset();
      // Should this try fail too, the next waits twice as long.
      FRetryWait = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{FRetryWait} * 2, uint64_t{FRetryMillis} * kMostRetryTimes));
      retry = true;
    }
  }
  // Nothing runs on the timer thread now: audio is the main thread's to start.
  if (retry && !StartAudio()) return;
  {
    std::lock_guard<std::mutex> guard(FLock);
    FPlaying = sound;
    FPosition = 0;
    FServing = true;
  }
  if (FSdl->AddTimer(1, &TSdlWavePlayer::Serve, this) == 0) StopServing(FSdl->GetError());
}

bool TSdlWavePlayer::Playing() {
  std::lock_guard<std::mutex> guard(FLock);
  return FPlaying != nullptr;
}

bool TSdlWavePlayer::Serving() {
  std::lock_guard<std::mutex> guard(FLock);
  return FServing;
}

uint32_t TSdlWavePlayer::Serve(uint32_t /*interval*/, void* self) { return static_cast<TSdlWavePlayer*>(self)->ServeNow(); }

uint32_t TSdlWavePlayer::ServeNow() {
  if (FDevice == 0 && !OpenDevice()) return StopServing(FSdl->GetError());
  if (FSdl->GetAudioDeviceStatus(FDevice) == SDL_AUDIO_STOPPED) {
    CloseDevice();
    return StopServing("the sound device was lost");
  }
  if (Playing()) {
    FSdl->PauseAudioDevice(FDevice, 0);
    FSilentSince.reset();
    return kServeMillis;
  }
  FNoticeGiven = false;  // a sound was played to its end
  {
    std::lock_guard<std::mutex> guard(FLock);
    FRetryWait = FRetryMillis;
  }
  const uint32_t now = FSdl->GetTicks();
  if (!FSilentSince) FSilentSince = now;
  if (now - *FSilentSince < FCloseAfterMillis) return kServeMillis;
  CloseDevice();
  return StopServing(std::nullopt);
}

// Every call on the device is done before serving ends: the main thread may then start audio afresh.
uint32_t TSdlWavePlayer::StopServing(std::optional<std::string> failure) {
  {
    std::lock_guard<std::mutex> guard(FLock);
    if (!failure && FPlaying != nullptr) return kServeMillis;  // a sound came in while the device closed
    FPlaying = nullptr;
    FServing = false;
    if (failure) FFailedAt = FSdl->GetTicks();
  }
  if (failure) Failed(*failure);
  return 0;
}

void TSdlWavePlayer::Mix(void* self, uint8_t* stream, int length) {
  auto* player = static_cast<TSdlWavePlayer*>(self);
  std::memset(stream, 0, static_cast<size_t>(length));  // silence of signed samples
  std::lock_guard<std::mutex> guard(player->FLock);
  if (player->FPlaying == nullptr) return;
  const size_t n = std::min(static_cast<size_t>(length), player->FPlaying->size() - player->FPosition);
  std::memcpy(stream, player->FPlaying->data() + player->FPosition, n);
  player->FPosition += n;
  if (player->FPlaying->size() <= player->FPosition) player->FPlaying = nullptr;
}
