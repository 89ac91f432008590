#pragma once
// Keeping a form on a monitor: shared by the presenter and the secondary windows.
#include "platform/window/Form.h"

// Brings a form that lies on no monitor's work area back to the primary screen's centre.
void KeepOnScreen(TForm& form);
