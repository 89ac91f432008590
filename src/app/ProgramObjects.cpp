#include "app/ProgramObjects.h"

#include "almanac/vrelDate.h"

namespace {
// The system defines one of each; they are reached from everywhere through these.
Talmanac* gAlmanac = nullptr;
}  // namespace

TProgramObjects::TProgramObjects() {
  if (gAlmanac != nullptr) throw Exception("the program's objects exist already");
  FAlmanac = std::make_unique<Talmanac>();
  gAlmanac = FAlmanac.get();
}

TProgramObjects::~TProgramObjects() {
  gAlmanac = nullptr;
  FAlmanac.reset();
}

Talmanac& Almanac() {
  if (gAlmanac == nullptr) throw Exception("the almanac is not created yet");
  return *gAlmanac;
}
