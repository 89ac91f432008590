#pragma once
// The strip's front face made from picture files on a thread of its own, so that
// decoding a large photo never holds up the chime. Only the newest request
// counts: it replaces one not yet begun, and a face that a later request (or
// Cancel) made stale is never handed out. The worker touches nothing but its
// job; a face still being made when the object goes is left to finish unseen.
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/text/AnsiString.h"

// The face and the name of the file it shows.
struct TPaperFace {
  TBitmap Paper;
  AnsiString File;
};

// Each name in turn goes onto face as the strip's picture; a name that fails
// gives the default face of the bell type.
void PutPaperFiles(TPaperFace& face, int32_t bellType, const std::vector<AnsiString>& names);
// The packaged face of the bell type (0 or 1; others keep the picture), opaque
// with the string hole, and no file.
void PutDefaultPaper(TPaperFace& face, int32_t bellType);

class TPaperWork {
 public:
  TPaperWork();
  ~TPaperWork();
  TPaperWork(const TPaperWork&) = delete;
  TPaperWork& operator=(const TPaperWork&) = delete;

  void Request(TPaperFace from, int32_t bellType, std::vector<AnsiString> names);
  void Cancel();
  // The face of the newest request, once, when it is ready.
  std::optional<TPaperFace> TakeFinished();
  // A request whose face has not been taken.
  bool Pending() const;

 private:
  struct TShared;
  std::shared_ptr<TShared> FShared;
  std::thread FThread;  // started by the first request
};
