#include "app/ProgramObjects.h"

#include "almanac/vrelDate.h"
#include "app/vrelGlobal.h"
#include "resources/vrelGraphicSource.h"

namespace {
// The system defines one of each; they are reached from everywhere through these.
TvrelGlobal* gGlobals = nullptr;
Talmanac* gAlmanac = nullptr;
TGraphicSource* gGraphicSource = nullptr;
}  // namespace

TProgramObjects::TProgramObjects() {
  if (gGlobals != nullptr) throw Exception("the program's objects exist already");
  FGlobals = std::make_unique<TvrelGlobal>();
  gGlobals = FGlobals.get();
  try {
    FAlmanac = std::make_unique<Talmanac>();
    gAlmanac = FAlmanac.get();
    FGraphicSource = std::make_unique<TGraphicSource>(Globals().ExePath());
    gGraphicSource = FGraphicSource.get();
  } catch (...) {
    gAlmanac = nullptr;
    gGlobals = nullptr;
    throw;
  }
}

TProgramObjects::~TProgramObjects() {
  gGraphicSource = nullptr;
  FGraphicSource.reset();
  gAlmanac = nullptr;
  FAlmanac.reset();
  gGlobals = nullptr;
  FGlobals.reset();
}

TvrelGlobal& Globals() {
  if (gGlobals == nullptr) throw Exception("the application globals are not created yet");
  return *gGlobals;
}

TGraphicSource& GraphicSource() {
  if (gGraphicSource == nullptr) throw Exception("the graphic source is not created yet");
  return *gGraphicSource;
}

Talmanac& Almanac() {
  if (gAlmanac == nullptr) throw Exception("the almanac is not created yet");
  return *gAlmanac;
}
