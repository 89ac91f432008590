#include "app/ProgramObjects.h"

#include "almanac/vrelDate.h"
#include "app/vrelGlobal.h"

namespace {
// The system defines one of each; they are reached from everywhere through these.
TvrelGlobal* gGlobals = nullptr;
Talmanac* gAlmanac = nullptr;
}  // namespace

TProgramObjects::TProgramObjects() {
  if (gGlobals != nullptr) throw Exception("the program's objects exist already");
  FGlobals = std::make_unique<TvrelGlobal>();
  gGlobals = FGlobals.get();
  try {
    FAlmanac = std::make_unique<Talmanac>();
  } catch (...) {
    gGlobals = nullptr;
    throw;
  }
  gAlmanac = FAlmanac.get();
}

TProgramObjects::~TProgramObjects() {
  gAlmanac = nullptr;
  FAlmanac.reset();
  gGlobals = nullptr;
  FGlobals.reset();
}

TvrelGlobal& Globals() {
  if (gGlobals == nullptr) throw Exception("the application globals are not created yet");
  return *gGlobals;
}

Talmanac& Almanac() {
  if (gAlmanac == nullptr) throw Exception("the almanac is not created yet");
  return *gAlmanac;
}
