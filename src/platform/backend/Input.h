// Events coming up from a backend, one function per kind, in client pixels. They turn into queued
// messages (mouse, wheel, keys), sent messages delivered by the next GetMessageA (size), invalidation
// (exposure), key state, or characters that TranslateMessage hands out, as Win32 would produce them.
#pragma once

#include "platform/win32/Win32Subset.h"

namespace sv::platform {

void inputMouseMove(HWND window, int x, int y);
// `message` is one of the button messages (WM_LBUTTONDOWN ... WM_MBUTTONUP).
void inputMouseButton(HWND window, UINT message, int x, int y);
// Key state only, for keys pressed or released while another client had the keyboard.
void inputKey(int virtualKey, bool down);
// A key pressed, repeated by the keyboard or released in `window`: key state and WM_KEYDOWN / WM_KEYUP.
void inputKeyMessage(HWND window, int virtualKey, bool down, bool repeated);
// A character typed in `window` (WM_CHAR's wParam): it waits for TranslateMessage of the key's WM_KEYDOWN.
void inputCharacter(HWND window, WPARAM character);
// `delta` in multiples of WHEEL_DELTA, positive away from the user; x, y where the cursor is.
void inputWheel(HWND window, int delta, int x, int y);
void inputResize(HWND window, int width, int height, bool minimized);
void inputExpose(HWND window);
void inputClose(HWND window);

}  // namespace sv::platform
