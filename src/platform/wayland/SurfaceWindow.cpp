#include "platform/wayland/SurfaceWindow.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/graphics/BitmapScale.h"
#include "platform/graphics/Region.h"
#include "platform/window/DropFiles.h"
#include "platform/wayland/WaylandDisplay.h"

namespace {

// Paints into the window's own copy of its picture.
class TPictureContext : public TDeviceContext {
 public:
  explicit TPictureContext(TBitmap& picture) : FPicture(picture) {}
  void BitBlt(int32_t x, int32_t y, const TBitmap& bitmap) override {
    const int32_t bpp = bitmap.BytesPerPixel();
    for (int32_t row = std::max(0, -y); row < bitmap.Height() && y + row < FPicture.Height(); ++row) {
      uint8_t* to = FPicture.ScanLine(y + row);
      const uint8_t* from = bitmap.ScanLine(row);
      for (int32_t col = std::max(0, -x); col < bitmap.Width() && x + col < FPicture.Width(); ++col) {
        std::memcpy(to + 4 * (x + col), from + bpp * col, 3);
        to[4 * (x + col) + 3] = 255;
      }
    }
  }
  void FillRect(const TRect& rect, Color32 color) override {
    const uint8_t pixel[4] = {static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8), static_cast<uint8_t>(color), 255};
    for (int32_t y = std::max(0, rect.Top); y < std::min(rect.Bottom, FPicture.Height()); ++y) {
      for (int32_t x = std::max(0, rect.Left); x < std::min(rect.Right, FPicture.Width()); ++x) {
        std::memcpy(FPicture.ScanLine(y) + 4 * x, pixel, 4);
      }
    }
  }

 private:
  TBitmap& FPicture;
};

}  // namespace

TSurfaceWindow::TSurfaceWindow(TForm& form, TWaylandDisplay& display, TWaylandSeat& seat)
    : FForm(form), FDisplay(display), FSeat(seat), FBounds(form.BoundsRect()) {
  FApplied = TPoint{FBounds.Left, FBounds.Top};
}

void TSurfaceWindow::Show(bool visible) {
  if (visible == FVisible) return;
  FVisible = visible;
  if (visible) {
    CreateSurface();
  } else {
    DestroySurface();
  }
}

void TSurfaceWindow::CreateSurface() {
  FSurface = wl_compositor_create_surface(FDisplay.Compositor());
  // The listener's data is the surface's user data: the input target, as the seat reads it.
  static const wl_surface_listener surfaceListener{
      [](void* data, wl_surface*, wl_output* output) {
        auto* self = static_cast<TSurfaceWindow*>(static_cast<TInputTarget*>(data));
        self->FOutput = output;
        for (const auto& o : self->FDisplay.Outputs()) {
          if (o->Output == output) self->SetScale(o->Scale);
        }
      },
      [](void*, wl_surface*, wl_output*) {}};
  wl_surface_add_listener(FSurface, &surfaceListener, static_cast<TInputTarget*>(this));
  FBuffers = std::make_unique<TShmBuffers>(FDisplay.Shm(), [this] { Flush(); });
  FInputSet = false;
  CreateRole();
}

void TSurfaceWindow::DestroySurface() {
  FSeat.Forget(this);
  FMoving = false;
  FConfigured = false;
  if (FFrame != nullptr) wl_callback_destroy(std::exchange(FFrame, nullptr));
  FBuffers.reset();
  if (FSurface == nullptr) return;
  DestroyRole();
  wl_surface_destroy(std::exchange(FSurface, nullptr));
}

void TSurfaceWindow::Configured() {
  FConfigured = true;
  FDamage = TRect{0, 0, FShown.Width(), FShown.Height()};
  Flush();
}

void TSurfaceWindow::Present(const TBitmap& picture, const TRect& changed) {
  const int32_t w = picture.Width(), h = picture.Height();
  TRect r = changed;
  if (FShown.Width() != w || FShown.Height() != h) {
    FShown.SetPixelFormat(TPixelFormat::pf32bit);
    FShown.SetSize(w, h);
    r = TRect{0, 0, w, h};
  }
  r = TRect{std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, w), std::min(r.Bottom, h)};
  if (r.Right <= r.Left || r.Bottom <= r.Top) return;
  for (int32_t y = r.Top; y < r.Bottom; ++y) {
    std::memcpy(FShown.ScanLine(y) + 4 * r.Left, picture.ScanLine(y) + 4 * r.Left, static_cast<size_t>(r.Right - r.Left) * 4);
  }
  Changed(r);
  Flush();
}

void TSurfaceWindow::Changed(const TRect& r) {
  FDamage = Bounding(FDamage, r);
  if (FBuffers) FBuffers->Changed(Scaled(r));
  if (FScale > 1) ScaleUp32(FShown, FScale, FScaled, r);
}

void TSurfaceWindow::SetScale(int32_t scale) {
  if (scale == FScale) return;
  FScale = scale;
  Changed(TRect{0, 0, FShown.Width(), FShown.Height()});
  Flush();
}

void TSurfaceWindow::Repaint() {
  FShown.SetPixelFormat(TPixelFormat::pf32bit);
  FShown.SetSize(FBounds.Right - FBounds.Left, FBounds.Bottom - FBounds.Top);
  TPictureContext dc(FShown);
  FForm.Paint(dc);
  if (FShaped) {
    TRegion shape;
    for (const TRect& r : FShape) shape.Union(TRegion(r));
    for (int32_t y = 0; y < FShown.Height(); ++y) {
      for (int32_t x = 0; x < FShown.Width(); ++x) {
        if (!shape.Contains(x, y)) std::memset(FShown.ScanLine(y) + 4 * x, 0, 4);
      }
    }
  }
  const TRect whole{0, 0, FShown.Width(), FShown.Height()};
  Changed(whole);
  Flush();
}

void TSurfaceWindow::SetShape(const std::vector<TRect>* rects) {
  FShaped = rects != nullptr;
  FShape = FShaped ? *rects : std::vector<TRect>{};
  FInputSet = false;
}

// A new picture goes out once the compositor has configured the surface, drawn
// the one before (its frame callback) and released a buffer.
void TSurfaceWindow::Flush() {
  if (!FConfigured || FFrame != nullptr || FShown.Empty()) return;
  if (FDamage.Right <= FDamage.Left) return;
  wl_buffer* buffer = FBuffers->Take(FScale == 1 ? FShown : FScaled);
  if (buffer == nullptr) return;
  wl_surface_attach(FSurface, buffer, 0, 0);
  wl_surface_set_buffer_scale(FSurface, FScale);
  const TRect damage = Scaled(FDamage);
  wl_surface_damage_buffer(FSurface, damage.Left, damage.Top, damage.Right - damage.Left, damage.Bottom - damage.Top);
  FDamage = TRect{};
  UpdateInputRegion();
  static const wl_callback_listener listener{[](void* data, wl_callback* callback, uint32_t /*time*/) {
    auto* self = static_cast<TSurfaceWindow*>(data);
    wl_callback_destroy(callback);
    self->FFrame = nullptr;
    self->Flush();
  }};
  FFrame = wl_surface_frame(FSurface);
  wl_callback_add_listener(FFrame, &listener, this);
  wl_surface_commit(FSurface);
}

// Clicks on clear pixels go to what lies beneath: the input region follows the
// picture's alpha (or the form's shape), and is sent only when it changed.
void TSurfaceWindow::UpdateInputRegion() {
  const std::vector<TRect>* input = &FShape;
  if (FLayered) {
    OpaqueRuns(FShown, 1, FRuns);
    input = &FRuns;
  } else if (!FShaped) {
    input = nullptr;
  }
  if (FInputSet && input != nullptr && *input == FInput) return;
  if (FInputSet && input == nullptr && FInput.empty()) return;
  FInputSet = true;
  FInput = input != nullptr ? *input : std::vector<TRect>{};
  if (input == nullptr) {
    wl_surface_set_input_region(FSurface, nullptr);
    return;
  }
  wl_region* region = wl_compositor_create_region(FDisplay.Compositor());
  for (const TRect& r : *input) wl_region_add(region, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
  wl_surface_set_input_region(FSurface, region);
  wl_region_destroy(region);
}

void TSurfaceWindow::EndMoveLoop() {
  FMoving = false;
  FForm.MoveLoopEnded();
}

void TSurfaceWindow::Deliver(TPointerAction action, TPoint local) {
  const TPoint screen = Screen(local);
  if (action == TPointerAction::Move) FSeat.PointerAt(screen);
  if (action == TPointerAction::LeftDown) FGrab = local;
  FForm.PointerInput(action, local, screen, TPointerKeys{FSeat.LeftHeld(), FSeat.RightHeld(), false, false});
  if (action == TPointerAction::RightUp) FForm.ContextMenuRequested(screen);
}

void TSurfaceWindow::PointerMotion(TPoint local) {
  FPointer = local;
  if (!FEnabled) return;
  if (FMoving) {
    MovedInLoop(local);
    return;
  }
  Deliver(TPointerAction::Move, local);
}

void TSurfaceWindow::PointerButton(uint32_t button, bool pressed, uint32_t serial) {
  if (!FEnabled) return;
  if (FMoving) {
    if (button == BTN_LEFT && !pressed) EndMoveLoop();
    return;
  }
  if (button == BTN_LEFT) {
    if (pressed) FPressSerial = serial;
    Deliver(pressed ? TPointerAction::LeftDown : TPointerAction::LeftUp, FPointer);
  } else if (button == BTN_RIGHT) {
    Deliver(pressed ? TPointerAction::RightDown : TPointerAction::RightUp, FPointer);
  }
}

void TSurfaceWindow::PointerLeft() {
  if (FEnabled && !FMoving) FForm.PointerLeft();
}

void TSurfaceWindow::KeyPressed(uint16_t virtualKey, bool alt) {
  if (FEnabled) FForm.KeyDown(virtualKey, alt);
}

void TSurfaceWindow::MenuKeyPressed() {
  if (FEnabled) FForm.ContextMenuRequested(std::nullopt);
}

void TSurfaceWindow::Dropped(const std::vector<std::string>& paths) {
  TDropFiles files;
  for (const std::string& path : paths) files.Names.push_back(FromSystemName(path));
  if (!files.Names.empty()) FForm.FilesDropped(files.Handle());
}

void TSurfaceWindow::SetCursor(TCursor cursor) {
  if (cursor == FCursor) return;
  FCursor = cursor;
  FSeat.ShowCursor();
}
