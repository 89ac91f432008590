#pragma once
// The session bus is used only where the session has one. Without one, the D-Bus
// library starts a bus of its own (dbus-launch) the first time Qt asks for it
// (accessibility, the desktop's theme), and that bus outlives the chime.
#include <memory>

#include "platform/system/OwnEnvironment.h"

// While the result lives, this process alone finds no session bus when the session
// has none (neither DBUS_SESSION_BUS_ADDRESS nor $XDG_RUNTIME_DIR/bus); nothing otherwise.
std::unique_ptr<ScopedOwnVariable> NoSessionBusAutolaunch();
