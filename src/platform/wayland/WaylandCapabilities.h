#pragma once
// What this backend can do, in the terms the window-system contract asks about.
// Every answer of the backend lives here.
namespace WaylandCapabilities {
// The compositor always blends: every surface has per-pixel alpha.
constexpr bool kPerPixelAlpha = true;
// Where a window may place itself: the layered main window only anchored to its
// output's top and left edges (a layer surface's margins); any other window not at
// all (the compositor places toplevels).
constexpr bool kLayeredPlacementAnchored = true;
constexpr bool kOtherPlacementNone = true;
// A client sees the pointer only over its own surfaces, and no other client's windows.
constexpr bool kGlobalPointer = false;
constexpr bool kWindowList = false;
// The top layer is above the windows and on every workspace by nature.
constexpr bool kKeepAbove = true;
constexpr bool kAllDesktops = true;
}  // namespace WaylandCapabilities
