#pragma once
// The wind chime: a 160 x 160 32-bit frame that is also the state of a small
// simulation of gusts, swinging and the turning paper strip.
#include <array>
#include <cstdint>
#include <vector>

#include "platform/text/AnsiString.h"
#include "platform/graphics/Bitmap.h"
#include "platform/Types.h"
#include "chime/PaperWork.h"

// One gust component: half a sine wave of Duration ticks peaking at Amplitude.
struct Gust {
  int32_t Elapsed = 0;
  int32_t Amplitude = 0;
  int32_t Duration = 0;
};

class TChimora : public TBitmap {
 public:
  static constexpr int32_t FrameSize = 160;
  static constexpr int32_t FaceWidth = 24;
  static constexpr int32_t FaceHeight = 92;

  TChimora();

  int32_t BellType() const { return FBellType; }
  void SetWind(double value);
  double Wind() const { return FWind; }
  bool Sound() const { return FSound; }
  void SetSound(bool value) { FSound = value; }
  const AnsiString& PaperFile() const { return FPaperFile; }

  // The bell picture of the type (0 iron, others glass) and its default front face.
  void SetBellType(int32_t type);
  // Redraws the back face with a vertical text (CP932).
  void SetStripText(const AnsiString& text);
  const AnsiString& StripText() const { return FStripText; }
  // The picture in the file becomes the front face; on any failure the default one.
  void LoadPaperFile(const AnsiString& name);
  // As LoadPaperFile with each name in turn, made on a worker: the face stays
  // until the new one is ready, and the next tick puts it on before it draws.
  // Any later paper operation replaces it.
  void RequestPaperFiles(const std::vector<AnsiString>& names);
  // A face requested and not yet on the strip.
  bool PaperPending() const { return FPaperWork.Pending(); }
  // The file the front face shows, or the last one requested while a face is being made.
  const AnsiString& LatestPaperFile() const { return FPaperRequested.empty() ? FPaperFile : FPaperRequested.back(); }
  // The packaged front face of the type (0 or 1; others keep the picture) and no file.
  void SetDefaultPaper(int32_t type);
  // Turns the strip to an angle at rest, for previews of either face.
  void SetTwist(double degrees);

  // One step of the simulation and a new frame; may start a sound.
  void Tick();
  // Where the last Tick may have changed the frame: what it and the frame before drew.
  const TRect& Changed() const { return FChanged; }

 private:
  friend class ChimoraProbe;  // tests read and seed the simulation state

  double StepGusts();
  void ApplySoundRule(double forcePrev, double force);
  void ComposeFrame(double forcePrev, double force);
  // The front face and its file become face's.
  void PutPaper(TPaperFace face);

  double FWind = 0;
  double FForce = 0;
  double FTwist = 0;
  double FTwistLag = 0;
  double FTwistVel = 0;
  int32_t FTwistDir = -1;
  int32_t FHookX = 0;
  uint32_t FLastSoundTick = 0;
  int32_t FSoundGap = 0;
  TBitmap FBell;
  TBitmap FPaper;
  TBitmap FTextFace;
  std::array<Gust, 8> FGusts{};
  bool FSound = false;
  AnsiString FPaperFile;
  AnsiString FStripText;
  int32_t FBellType = 1;
  TPaperWork FPaperWork;
  std::vector<AnsiString> FPaperRequested;  // the names of the face being made
  TRect FDrawn{0, 0, FrameSize, FrameSize};  // what the last frame may have drawn
  TRect FChanged{0, 0, FrameSize, FrameSize};
};
