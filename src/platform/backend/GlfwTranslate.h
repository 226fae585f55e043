// The GLFW-to-Win32 translation of the real backend, as small pure functions: button events to mouse
// messages, keys to virtual keys, wheel offsets to wheel deltas, characters to the window's code page,
// cursor positions to client pixels. They need GLFW's constants only, so unit tests call them without
// a display.
#pragma once

#include "platform/win32/Win32Subset.h"

namespace sv::platform {

// The mouse message for a GLFW button event; 0 for buttons that have none (4 and up).
UINT buttonMessage(int glfwButton, int glfwAction);
// The virtual key of a GLFW key; 0 for keys the layer does not know. Modifiers are the physical keys
// (VK_LSHIFT ...); both Super keys map to the Windows keys, which GetKeyState(VK_MENU) counts as Alt.
// `keyName` is what the keyboard layout prints on the key (GLFW's key name, or null): a letter or digit
// there names the key, as Win32's layout-dependent virtual keys do, so Ctrl+Q is the key marked Q.
int virtualKeyOf(int glfwKey, const char* keyName = nullptr);
// The WM_MOUSEWHEEL delta of a GLFW vertical scroll offset: WHEEL_DELTA per notch, finer for smooth wheels.
int wheelDelta(double glfwOffset);
// The WM_CHAR of a typed Unicode character in the windows' single-byte code page (Latin-1): '?' for
// characters it cannot hold, as Win32 gives an ANSI window.
WPARAM characterOf(unsigned int codepoint);
// Whether GLFW modifier bits say the generic key (VK_SHIFT, VK_CONTROL, VK_MENU) is held.
bool modifiersHold(int glfwMods, int virtualKey);
// A cursor coordinate in screen units to drawable pixels (they differ on high-DPI screens).
int clientPixel(double cursor, int windowExtent, int framebufferExtent);

}  // namespace sv::platform
