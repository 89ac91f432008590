#include "platform/wayland/LayerWindow.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <cstring>

#include "platform/graphics/BitmapScale.h"
#include "platform/graphics/Region.h"
#include "platform/window/DropFiles.h"
#include "platform/wayland/WaylandDisplay.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace {
constexpr const char* kNamespace = "chimora";

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

TLayerWindow::TLayerWindow(TForm& form, TWaylandDisplay& display, TWaylandSeat& seat)
    : FForm(form), FDisplay(display), FSeat(seat), FBounds(form.BoundsRect()) {
  FApplied = TPoint{FBounds.Left, FBounds.Top};
}

TLayerWindow::~TLayerWindow() {
  for (const auto& [sync, at] : FPlacesSent) wl_callback_destroy(sync);
  if (FClosedSync != nullptr) wl_callback_destroy(FClosedSync);
  DestroySurface();
}

void TLayerWindow::Show(bool visible) {
  if (visible == FVisible) return;
  FVisible = visible;
  if (visible) {
    CreateSurface();
  } else {
    DestroySurface();
  }
}

void TLayerWindow::CreateSurface() {
  FSurface = wl_compositor_create_surface(FDisplay.Compositor());
  // The listener's data is the surface's user data: the input target, as the seat reads it.
  static const wl_surface_listener surfaceListener{
      [](void* data, wl_surface*, wl_output* output) {
        auto* self = static_cast<TLayerWindow*>(static_cast<TInputTarget*>(data));
        self->FOutput = output;
        for (const auto& o : self->FDisplay.Outputs()) {
          if (o->Output == output) self->SetScale(o->Scale);
        }
      },
      [](void*, wl_surface*, wl_output*) {}};
  wl_surface_add_listener(FSurface, &surfaceListener, static_cast<TInputTarget*>(this));
  FLayer = zwlr_layer_shell_v1_get_layer_surface(FDisplay.LayerShell(), FSurface, nullptr, ZWLR_LAYER_SHELL_V1_LAYER_TOP, kNamespace);
  static const zwlr_layer_surface_v1_listener listener{
      [](void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t /*width*/, uint32_t /*height*/) {
        auto* self = static_cast<TLayerWindow*>(data);
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        self->FConfigured = true;
        self->FDamage = TRect{0, 0, self->FShown.Width(), self->FShown.Height()};
        self->Flush();
      },
      [](void* data, zwlr_layer_surface_v1* /*layer*/) { static_cast<TLayerWindow*>(data)->Closed(); }};
  zwlr_layer_surface_v1_add_listener(FLayer, &listener, this);
  zwlr_layer_surface_v1_set_anchor(FLayer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
  zwlr_layer_surface_v1_set_exclusive_zone(FLayer, 0);
  FKeyboardAsked = false;
  zwlr_layer_surface_v1_set_keyboard_interactivity(FLayer, KeyboardOnDemand() ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND
                                                                              : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
  FBuffers = std::make_unique<TShmBuffers>(FDisplay.Shm(), [this] { Flush(); });
  FInputSet = false;
  SendPlace();
}

bool TLayerWindow::KeyboardOnDemand() const {
  return zwlr_layer_surface_v1_get_version(FLayer) >= ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND_SINCE_VERSION;
}

void TLayerWindow::AskKeyboard(bool wanted) {
  if (FLayer == nullptr || wanted == FKeyboardAsked || KeyboardOnDemand()) return;
  FKeyboardAsked = wanted;
  zwlr_layer_surface_v1_set_keyboard_interactivity(FLayer, wanted ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                                                                  : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
  wl_surface_commit(FSurface);
}

void TLayerWindow::DestroySurface() {
  FSeat.Forget(this);
  FMoving = false;
  FConfigured = false;
  if (FFrame != nullptr) wl_callback_destroy(std::exchange(FFrame, nullptr));
  FBuffers.reset();
  if (FLayer != nullptr) zwlr_layer_surface_v1_destroy(std::exchange(FLayer, nullptr));
  if (FSurface != nullptr) wl_surface_destroy(std::exchange(FSurface, nullptr));
}

// Whether the output went is known once what the compositor sent with the
// closing has been read: the answer to a sync.
void TLayerWindow::Closed() {
  DestroySurface();
  if (FClosedSync != nullptr) return;
  static const wl_callback_listener listener{[](void* data, wl_callback* callback, uint32_t /*serial*/) {
    auto* self = static_cast<TLayerWindow*>(data);
    wl_callback_destroy(callback);
    self->FClosedSync = nullptr;
    const auto& outputs = self->FDisplay.Outputs();
    const bool outputStays = std::any_of(outputs.begin(), outputs.end(), [self](const auto& o) { return o->Output == self->FOutput; });
    self->FOutput = nullptr;
    if (outputStays && self->FEnabled) self->FForm.CloseRequested();
    // Still wanted (the output went, or the form stays): a new surface, on an output the compositor chooses.
    if (self->FVisible && self->FSurface == nullptr) self->CreateSurface();
  }};
  FClosedSync = wl_display_sync(FDisplay.Display());
  wl_callback_add_listener(FClosedSync, &listener, this);
}

TPoint TLayerWindow::OutputOrigin() const {
  const auto& outputs = FDisplay.Outputs();
  return outputs.empty() ? TPoint{} : TPoint{outputs.front()->Bounds.Left, outputs.front()->Bounds.Top};
}

void TLayerWindow::Place(const TRect& bounds) {
  if (bounds == FBounds) return;
  FBounds = bounds;
  if (FLayer != nullptr) SendPlace();
}

// Size and margins take effect at the commit; pointer events after the sync's
// answer are relative to the new place.
void TLayerWindow::SendPlace() {
  const TPoint origin = OutputOrigin();
  zwlr_layer_surface_v1_set_size(FLayer, static_cast<uint32_t>(std::max(1, FBounds.Right - FBounds.Left)),
                                 static_cast<uint32_t>(std::max(1, FBounds.Bottom - FBounds.Top)));
  zwlr_layer_surface_v1_set_margin(FLayer, FBounds.Top - origin.y, 0, 0, FBounds.Left - origin.x);
  wl_surface_commit(FSurface);
  static const wl_callback_listener listener{[](void* data, wl_callback* callback, uint32_t /*serial*/) {
    auto* self = static_cast<TLayerWindow*>(data);
    auto& sent = self->FPlacesSent;
    const auto it = std::find_if(sent.begin(), sent.end(), [callback](const auto& s) { return s.first == callback; });
    if (it == sent.end()) return;
    self->FApplied = it->second;
    sent.erase(it);
    wl_callback_destroy(callback);
  }};
  wl_callback* sync = wl_display_sync(FDisplay.Display());
  wl_callback_add_listener(sync, &listener, this);
  FPlacesSent.emplace_back(sync, TPoint{FBounds.Left, FBounds.Top});
}

void TLayerWindow::Present(const TBitmap& picture, const TRect& changed) {
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

void TLayerWindow::Changed(const TRect& r) {
  FDamage = Bounding(FDamage, r);
  if (FBuffers) FBuffers->Changed(Scaled(r));
  if (FScale > 1) ScaleUp32(FShown, FScale, FScaled, r);
}

void TLayerWindow::SetScale(int32_t scale) {
  if (scale == FScale) return;
  FScale = scale;
  Changed(TRect{0, 0, FShown.Width(), FShown.Height()});
  Flush();
}

void TLayerWindow::Repaint() {
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

void TLayerWindow::SetShape(const std::vector<TRect>* rects) {
  FShaped = rects != nullptr;
  FShape = FShaped ? *rects : std::vector<TRect>{};
  FInputSet = false;
}

// A new picture goes out once the compositor has configured the surface, drawn
// the one before (its frame callback) and released a buffer.
void TLayerWindow::Flush() {
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
    auto* self = static_cast<TLayerWindow*>(data);
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
void TLayerWindow::UpdateInputRegion() {
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

void TLayerWindow::StartMoveLoop() {
  // Only while the button that started it is down: the loop ends at its release.
  if (!FSeat.LeftHeld()) return;
  FMoving = true;
  // The pointer has left the grab point already: the move that started the loop.
  FMoveX = FBounds.Left + FPointer.x - FGrab.x;
  FMoveY = FBounds.Top + FPointer.y - FGrab.y;
  MoveTo(TPoint{static_cast<int32_t>(FMoveX), static_cast<int32_t>(FMoveY)});
}

void TLayerWindow::MoveTo(TPoint at) {
  const TRect bounds{at.x, at.y, at.x + FBounds.Right - FBounds.Left, at.y + FBounds.Bottom - FBounds.Top};
  Place(bounds);
  FForm.BoundsChangedBySystem(bounds);
}

void TLayerWindow::PointerMoved(double dx, double dy) {
  if (!FEnabled || !FMoving) return;
  FMoveX += dx;
  FMoveY += dy;
  const TPoint at{static_cast<int32_t>(FMoveX), static_cast<int32_t>(FMoveY)};
  FSeat.PointerAt(TPoint{at.x + FGrab.x, at.y + FGrab.y});
  MoveTo(at);
}

void TLayerWindow::PointerMotion(TPoint local) {
  FPointer = local;
  if (!FEnabled) return;
  if (FMoving) {
    // Without the pointer's own move: the surface coordinates taken as relative
    // to where the compositor has the surface now.
    if (!FSeat.MovedRelatively()) {
      FMoveX = FApplied.x + local.x - FGrab.x;
      FMoveY = FApplied.y + local.y - FGrab.y;
      MoveTo(TPoint{static_cast<int32_t>(FMoveX), static_cast<int32_t>(FMoveY)});
    }
    return;
  }
  const TPoint screen = Screen(local);
  FSeat.PointerAt(screen);
  FForm.PointerInput(TPointerAction::Move, local, screen, TPointerKeys{FSeat.LeftHeld(), FSeat.RightHeld(), false, false});
}

void TLayerWindow::PointerButton(uint32_t button, bool pressed, uint32_t /*serial*/) {
  if (!FEnabled) return;
  if (FMoving) {
    if (button == BTN_LEFT && !pressed) {
      FMoving = false;
      FForm.MoveLoopEnded();
    }
    return;
  }
  TPointerAction action;
  if (button == BTN_LEFT) {
    action = pressed ? TPointerAction::LeftDown : TPointerAction::LeftUp;
  } else if (button == BTN_RIGHT) {
    action = pressed ? TPointerAction::RightDown : TPointerAction::RightUp;
  } else {
    return;
  }
  if (pressed) AskKeyboard(true);
  if (action == TPointerAction::LeftDown) FGrab = FPointer;
  const TPoint screen = Screen(FPointer);
  FForm.PointerInput(action, FPointer, screen, TPointerKeys{FSeat.LeftHeld(), FSeat.RightHeld(), false, false});
  if (action == TPointerAction::RightUp) FForm.ContextMenuRequested(screen);
}

void TLayerWindow::KeyPressed(uint16_t virtualKey, bool alt) {
  if (FEnabled) FForm.KeyDown(virtualKey, alt);
}

void TLayerWindow::Dropped(const std::vector<std::string>& paths) {
  TDropFiles files;
  for (const std::string& path : paths) files.Names.push_back(FromSystemName(path));
  if (!files.Names.empty()) FForm.FilesDropped(files.Handle());
}

void TLayerWindow::SetCursor(TCursor cursor) {
  if (cursor == FCursor) return;
  FCursor = cursor;
  FSeat.ShowCursor();
}

void TLayerWindow::MenuKeyPressed() {
  if (FEnabled) FForm.ContextMenuRequested(std::nullopt);
}

void TLayerWindow::PointerLeft() {
  if (FMoving) return;
  AskKeyboard(false);
  if (FEnabled) FForm.PointerLeft();
}
