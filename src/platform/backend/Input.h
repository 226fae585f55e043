// Events coming up from a backend, one function per kind, in client pixels. They turn into queued
// messages (mouse), sent messages delivered by the next GetMessageA (size), invalidation (exposure)
// or key state, as Win32 would produce them.
#pragma once

#include "platform/win32/Win32Subset.h"

namespace sv::platform {

void inputMouseMove(HWND window, int x, int y);
// `message` is one of the button messages (WM_LBUTTONDOWN ... WM_MBUTTONUP).
void inputMouseButton(HWND window, UINT message, int x, int y);
void inputKey(int virtualKey, bool down);
void inputResize(HWND window, int width, int height, bool minimized);
void inputExpose(HWND window);
void inputClose(HWND window);

}  // namespace sv::platform
