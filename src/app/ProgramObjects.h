#pragma once
// The process-wide objects of the system, created by program initialisation in
// the start-up order (before any window) and destroyed in reverse order.
#include <memory>

class Talmanac;
class TvrelGlobal;
class TGraphicSource;

class TProgramObjects {
 public:
  // Throws what creating an object throws; those created so far are released.
  TProgramObjects();
  ~TProgramObjects();
  TProgramObjects(const TProgramObjects&) = delete;
  TProgramObjects& operator=(const TProgramObjects&) = delete;

 private:
  std::unique_ptr<TvrelGlobal> FGlobals;
  std::unique_ptr<Talmanac> FAlmanac;
  std::unique_ptr<TGraphicSource> FGraphicSource;
};

// The application globals and settings store; only while a TProgramObjects lives.
TvrelGlobal& Globals();
// The graphic source with the archive "graphic" beside the program, if there is one.
TGraphicSource& GraphicSource();

// The one almanac; only while a TProgramObjects lives (throws otherwise).
Talmanac& Almanac();
