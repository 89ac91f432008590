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
constexpr uint32_t kServeMillis = 100;
constexpr uint32_t kCloseAfterMillis = 3000;  // a gust rings again soon; then the device goes
}  // namespace

TSdlWavePlayer::TSdlWavePlayer() = default;

TSdlWavePlayer::~TSdlWavePlayer() {
  // The timer thread ends first, so nothing opens or closes the device behind us.
  if (SDL_WasInit(SDL_INIT_TIMER) != 0) SDL_QuitSubSystem(SDL_INIT_TIMER);
  if (FDevice != 0) SDL_CloseAudioDevice(FDevice);
  if (SDL_WasInit(SDL_INIT_AUDIO) != 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void TSdlWavePlayer::Notice(const std::string& text) { std::cerr << "chimora: " << text << "\n"; }

bool TSdlWavePlayer::OpenDevice() {
  if (FDevice != 0) return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    SDL_AudioSpec wanted{};
    wanted.freq = kRate;
    wanted.format = kFormat;
    wanted.channels = kChannels;
    wanted.samples = 4096;  // about 90 ms a callback: a ring may start that late, the thread wakes a quarter as often
    wanted.callback = &TSdlWavePlayer::Mix;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    FDevice = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (FDevice != 0) return true;
  }
  FDeviceFailed = true;
  Notice(std::string("no sound: ") + SDL_GetError());
  return false;
}

const std::vector<uint8_t>* TSdlWavePlayer::Load(const AnsiString& path) {
  if (const auto it = FCache.find(path); it != FCache.end()) return &it->second;
  if (FBroken.count(path) != 0) return nullptr;
  SDL_AudioSpec source{};
  uint8_t* data = nullptr;
  uint32_t length = 0;
  if (SDL_LoadWAV(ToUtf8(path).c_str(), &source, &data, &length) == nullptr) {
    FBroken.insert(path);
    Notice("cannot play " + ToUtf8(path) + ": " + SDL_GetError());
    return nullptr;
  }
  // Converted a piece at a time into a buffer of the sound's own size: a
  // conversion in place needs room for the worst case, up to 16 times the file.
  std::vector<uint8_t> samples;
  if (SDL_AudioStream* stream = SDL_NewAudioStream(source.format, source.channels, source.freq, kFormat, kChannels, kRate)) {
    const uint32_t piece = SDL_AUDIO_BITSIZE(source.format) / 8 * source.channels * 4096u;
    bool ok = true;
    for (uint32_t at = 0; ok && at < length; at += piece) {
      ok = SDL_AudioStreamPut(stream, data + at, static_cast<int>(std::min(piece, length - at))) == 0;
    }
    if (ok && SDL_AudioStreamFlush(stream) == 0) {
      samples.resize(static_cast<size_t>(SDL_AudioStreamAvailable(stream)));
      const int got = SDL_AudioStreamGet(stream, samples.data(), static_cast<int>(samples.size()));
      if (got != static_cast<int>(samples.size())) samples.clear();
    }
    SDL_FreeAudioStream(stream);
  }
  SDL_FreeWAV(data);
  if (samples.empty()) {
    FBroken.insert(path);
    Notice("cannot play " + ToUtf8(path) + ": " + SDL_GetError());
    return nullptr;
  }
  return &(FCache[path] = std::move(samples));
}

void TSdlWavePlayer::Play(const AnsiString& path) {
  if (FDeviceFailed) return;
  const std::vector<uint8_t>* sound = Load(path);
  if (sound == nullptr) return;
  if (SDL_WasInit(SDL_INIT_TIMER) == 0 && SDL_InitSubSystem(SDL_INIT_TIMER) != 0) {
    FDeviceFailed = true;
    Notice(std::string("no sound: ") + SDL_GetError());
    return;
  }
  bool start = false;
  {
    std::lock_guard<std::mutex> guard(FLock);
    FPlaying = sound;
    FPosition = 0;
    start = !std::exchange(FServing, true);
  }
  if (start) SDL_AddTimer(1, &TSdlWavePlayer::Serve, this);
}

bool TSdlWavePlayer::Playing() {
  std::lock_guard<std::mutex> guard(FLock);
  return FPlaying != nullptr;
}

uint32_t TSdlWavePlayer::Serve(uint32_t /*interval*/, void* self) {
  auto* player = static_cast<TSdlWavePlayer*>(self);
  if (!player->OpenDevice()) {
    std::lock_guard<std::mutex> guard(player->FLock);
    player->FPlaying = nullptr;
    player->FServing = false;
    return 0;
  }
  if (player->Playing()) {
    SDL_PauseAudioDevice(player->FDevice, 0);
    player->FSilentSince.reset();
    return kServeMillis;
  }
  const uint32_t now = SDL_GetTicks();
  if (!player->FSilentSince) player->FSilentSince = now;
  if (now - *player->FSilentSince < kCloseAfterMillis) return kServeMillis;
  {
    std::lock_guard<std::mutex> guard(player->FLock);
    if (player->FPlaying != nullptr) return kServeMillis;  // a sound came in just now
    player->FServing = false;
  }
  // A later Play starts this again; its call waits until this one returns.
  SDL_CloseAudioDevice(player->FDevice);
  player->FDevice = 0;
  player->FSilentSince.reset();
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
