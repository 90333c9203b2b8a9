#pragma once
// The resolution a window is shown at. The windows' layout is written for a 96-DPI screen and
// scaled to this by one rule (core/DpiScale.h); picture pixels are shown one to one at every
// resolution.

#include <windows.h>

#include "core/DpiScale.h"

namespace win {

// The dots per inch of the screen the window is on: GetDpiForWindow where the system has it
// (Windows 10 from 1607), the system's resolution otherwise.
int WindowDpi(HWND window);

// The system's resolution: that of the primary screen as the session started.
int SystemDpi();

// The size of a standard (large) icon at `dpi`, as the system gives it: 32 at 96 DPI, 48 at 144.
int IconSizeForDpi(int dpi);

}  // namespace win
