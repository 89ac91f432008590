#include "platform/sound/SdlWavePlayer.h"

#include <cstring>
#include <iostream>

TSdlWavePlayer::TSdlWavePlayer() = default;

TSdlWavePlayer::~TSdlWavePlayer() {
  if (FPauseTimer != 0) SDL_RemoveTimer(FPauseTimer);
  if (FDevice != 0) SDL_CloseAudioDevice(FDevice);
  if (SDL_WasInit(SDL_INIT_AUDIO | SDL_INIT_TIMER) != 0) SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER);
}

void TSdlWavePlayer::Notice(const std::string& text) { std::cerr << "chimora: " << text << "\n"; }

bool TSdlWavePlayer::OpenDevice() {
  if (FDevice != 0) return true;
  if (FDeviceFailed) return false;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER) != 0) {
    FDeviceFailed = true;
    Notice(std::string("no sound: ") + SDL_GetError());
    return false;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = 44100;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = 1024;
  wanted.callback = &TSdlWavePlayer::Mix;
  wanted.userdata = this;
  FDevice = SDL_OpenAudioDevice(nullptr, 0, &wanted, &FSpec, 0);
  if (FDevice == 0) {
    FDeviceFailed = true;
    Notice(std::string("no sound: ") + SDL_GetError());
    return false;
  }
  return true;
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
  SDL_AudioCVT cvt;
  std::vector<uint8_t> samples;
  if (SDL_BuildAudioCVT(&cvt, source.format, source.channels, source.freq, FSpec.format, FSpec.channels, FSpec.freq) >= 0) {
    samples.resize(static_cast<size_t>(length) * static_cast<size_t>(cvt.len_mult));
    std::memcpy(samples.data(), data, length);
    cvt.buf = samples.data();
    cvt.len = static_cast<int>(length);
    if (SDL_ConvertAudio(&cvt) == 0) {
      samples.resize(static_cast<size_t>(cvt.len_cvt));
    } else {
      samples.clear();
    }
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
  if (!OpenDevice()) return;
  const std::vector<uint8_t>* sound = Load(path);
  if (sound == nullptr) return;
  {
    std::lock_guard<std::mutex> guard(FLock);
    FPlaying = sound;
    FPosition = 0;
  }
  SDL_PauseAudioDevice(FDevice, 0);
  if (FPauseTimer != 0) SDL_RemoveTimer(FPauseTimer);
  const uint32_t bytesPerSecond = static_cast<uint32_t>(FSpec.freq) * FSpec.channels * (SDL_AUDIO_BITSIZE(FSpec.format) / 8);
  const auto millis = static_cast<uint32_t>(uint64_t{sound->size()} * 1000 / bytesPerSecond) + 200;
  FPauseTimer = SDL_AddTimer(millis, &TSdlWavePlayer::PauseWhenDone, this);
}

bool TSdlWavePlayer::Playing() {
  std::lock_guard<std::mutex> guard(FLock);
  return FPlaying != nullptr;
}

void TSdlWavePlayer::Mix(void* self, uint8_t* stream, int length) {
  auto* player = static_cast<TSdlWavePlayer*>(self);
  std::memset(stream, player->FSpec.silence, static_cast<size_t>(length));
  std::lock_guard<std::mutex> guard(player->FLock);
  if (player->FPlaying == nullptr) return;
  const size_t n = std::min(static_cast<size_t>(length), player->FPlaying->size() - player->FPosition);
  std::memcpy(stream, player->FPlaying->data() + player->FPosition, n);
  player->FPosition += n;
  if (player->FPosition >= player->FPlaying->size()) player->FPlaying = nullptr;
}

uint32_t TSdlWavePlayer::PauseWhenDone(uint32_t interval, void* self) {
  auto* player = static_cast<TSdlWavePlayer*>(self);
  if (player->Playing()) return interval / 4 + 1;  // not yet: look again shortly
  SDL_PauseAudioDevice(player->FDevice, 1);
  return 0;
}
