#pragma once
// What the form behaviour components share: the names of a drop, and whether a
// press may drag the window.
#include <functional>
#include <vector>

#include "platform/window/Form.h"

using TNotifyFilenameEvent = std::function<void(void* sender, const AnsiString& fileName)>;
using TCanDragMove = std::function<void(void* sender, int32_t mouseX, int32_t mouseY, bool& dragMove)>;

// The dropped files' names in order; each is asked for its length first, since a
// Linux path may be far longer than 255 bytes.
std::vector<AnsiString> DroppedFileNames(TWindowSystem& system, uintptr_t drop);

// A press at the message's client point drags the window unless it is on a child
// control; onCanDragMove (with sender) has the last word.
bool DragMoveWanted(TForm& form, const TMessage& message, const TCanDragMove& onCanDragMove, void* sender);
