#include "platform/sound/SdlLibrary.h"

#include <dlfcn.h>

#include <stdexcept>

namespace {
std::string LastError() {
  const char* error = dlerror();
  return error != nullptr ? error : "unknown dynamic loader error";
}
}  // namespace

// Kept mapped after closing: SDL's threads may outlive our last call into it.
TSdlLibrary::TSdlLibrary(const std::string& name) : FHandle(dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE)) {
  if (!FHandle) throw std::runtime_error(LastError());
#define CHIMORA_SDL_RESOLVE(function)                                                        \
  function = reinterpret_cast<decltype(function)>(dlsym(FHandle.get(), "SDL_" #function)); \
  if (function == nullptr) throw std::runtime_error(LastError());
  CHIMORA_SDL_FUNCTIONS(CHIMORA_SDL_RESOLVE)
#undef CHIMORA_SDL_RESOLVE
}

void TSdlLibrary::TCloser::operator()(void* handle) const { dlclose(handle); }
