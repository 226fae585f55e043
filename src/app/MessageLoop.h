// The thread's message loop: the one place where the program waits.
#pragma once

#include "platform/win32/Win32Api.h"

namespace sv {

// Gets, translates and dispatches messages until WM_QUIT, offering each to the accelerator table
// first. Returns the process exit status: the quit code, or 1 when GetMessageA fails.
int runMessageLoop(HWND window, HACCEL accelerators);

}  // namespace sv
