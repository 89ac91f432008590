#pragma once
// SDL2 opened at run time rather than linked: a chime pays for SDL and the
// libraries behind it only when it first rings. <SDL2/SDL.h> gives the types and
// constants; the functions are called through the members below, each typed by
// SDL's own declaration and found by name.
#include <SDL2/SDL.h>

#include <memory>
#include <string>

// Every SDL function the player calls, without its SDL_ prefix.
#define CHIMORA_SDL_FUNCTIONS(X)                                                                               \
  X(SetHint) X(InitSubSystem) X(QuitSubSystem) X(GetError) X(OpenAudioDevice) X(CloseAudioDevice)           \
  X(GetAudioDeviceStatus) X(PauseAudioDevice) X(RWFromFile) X(LoadWAV_RW) X(FreeWAV) X(NewAudioStream)       \
  X(AudioStreamPut) X(AudioStreamFlush) X(AudioStreamAvailable) X(AudioStreamGet) X(FreeAudioStream)

class TSdlLibrary {
 public:
  static constexpr const char* kName = "libSDL2-2.0.so.0";

  // Throws std::runtime_error saying why when the library cannot be opened or
  // lacks one of the functions.
  explicit TSdlLibrary(const std::string& name = kName);

#define CHIMORA_SDL_MEMBER(name) decltype(&SDL_##name) name = nullptr;
  CHIMORA_SDL_FUNCTIONS(CHIMORA_SDL_MEMBER)
#undef CHIMORA_SDL_MEMBER

 private:
  struct TCloser {
    void operator()(void* handle) const;
  };
  std::unique_ptr<void, TCloser> FHandle;
};
