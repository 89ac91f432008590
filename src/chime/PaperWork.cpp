#include "chime/PaperWork.h"

#include <condition_variable>
#include <mutex>
#include <utility>

#include "imaging/AlphaTransfer.h"
#include "imaging/FuncGraphicWork.h"
#include "imaging/ImageLoading.h"

namespace {

constexpr TRect kStringHole{11, 1, 13, 3};

void OpaqueWithHole(TBitmap& paper) {
  SetAlpha32(paper, 255);
  SetAlphaRect32(paper, kStringHole, 0);
}

void PutPaperFile(TPaperFace& face, int32_t bellType, const AnsiString& name) {
  TBitmap picture;
  try {
    LoadImageFromFile(picture, name);
    face.File = name;
    picture.SetPixelFormat(TPixelFormat::pf32bit);
    if (picture.Height() < picture.Width()) RotateQuarters(picture, 1);
    const TRect whole{0, 0, face.Paper.Width(), face.Paper.Height()};
    TTransferParams params{&face.Paper, &picture, whole, whole, 255, tmCopy, 0};
    AlphaTransfer(params);
    OpaqueWithHole(face.Paper);
  } catch (...) {
    // Whatever a dropped file does, the strip falls back to its default face.
    PutDefaultPaper(face, bellType);
  }
}

}  // namespace

void PutDefaultPaper(TPaperFace& face, int32_t bellType) {
  if (bellType == 0) LoadImageFromResource(face.Paper, "korvessa.png");
  if (bellType == 1) LoadImageFromResource(face.Paper, "blackgold.png");
  face.Paper.SetPixelFormat(TPixelFormat::pf32bit);
  OpaqueWithHole(face.Paper);
  face.File.clear();
}

void PutPaperFiles(TPaperFace& face, int32_t bellType, const std::vector<AnsiString>& names) {
  for (const AnsiString& name : names) PutPaperFile(face, bellType, name);
}

struct TPaperWork::TShared {
  struct TJob {
    TPaperFace From;
    int32_t BellType;
    std::vector<AnsiString> Names;
    uint64_t Generation;
  };

  void Run() {
    std::unique_lock<std::mutex> lock(Lock);
    for (;;) {
      Wake.wait(lock, [this] { return End || Job; });
      if (End) return;
      TJob job = std::move(*std::exchange(Job, std::nullopt));
      Working = true;
      lock.unlock();
      PutPaperFiles(job.From, job.BellType, job.Names);
      lock.lock();
      Working = false;
      if (job.Generation == Generation) Done = std::move(job.From);
    }
  }

  std::mutex Lock;
  std::condition_variable Wake;
  std::optional<TJob> Job;
  std::optional<TPaperFace> Done;
  uint64_t Generation = 0;
  bool Wanted = false;  // the newest request's face is not taken yet
  bool Working = false;
  bool End = false;
};

TPaperWork::TPaperWork() : FShared(std::make_shared<TShared>()) {}

TPaperWork::~TPaperWork() {
  if (!FThread.joinable()) return;
  bool working;
  {
    std::lock_guard<std::mutex> guard(FShared->Lock);
    FShared->End = true;
    working = FShared->Working;
    FShared->Wake.notify_all();
  }
  if (working) {
    FThread.detach();  // it holds its own share and ends when its picture is done
  } else {
    FThread.join();
  }
}

void TPaperWork::Request(TPaperFace from, int32_t bellType, std::vector<AnsiString> names) {
  if (!FThread.joinable()) FThread = std::thread([shared = FShared] { shared->Run(); });
  std::lock_guard<std::mutex> guard(FShared->Lock);
  FShared->Job = TShared::TJob{std::move(from), bellType, std::move(names), ++FShared->Generation};
  FShared->Done.reset();
  FShared->Wanted = true;
  FShared->Wake.notify_all();
}

void TPaperWork::Cancel() {
  std::lock_guard<std::mutex> guard(FShared->Lock);
  ++FShared->Generation;
  FShared->Job.reset();
  FShared->Done.reset();
  FShared->Wanted = false;
}

std::optional<TPaperFace> TPaperWork::TakeFinished() {
  std::lock_guard<std::mutex> guard(FShared->Lock);
  if (FShared->Done) FShared->Wanted = false;
  return std::exchange(FShared->Done, std::nullopt);
}

bool TPaperWork::Pending() const {
  std::lock_guard<std::mutex> guard(FShared->Lock);
  return FShared->Wanted;
}
