// The GLFW-to-Win32 translation of the real backend, as small pure functions: button events to mouse
// messages, keys to virtual keys, cursor positions to client pixels. They need GLFW's constants only,
// so unit tests call them without a display.
#pragma once

#include "platform/win32/Win32Subset.h"

namespace sv::platform {

// The mouse message for a GLFW button event; 0 for buttons that have none (4 and up).
UINT buttonMessage(int glfwButton, int glfwAction);
// The physical virtual key of a GLFW key; 0 for keys whose state the layer does not keep. Both
// Super keys map to the Windows keys, which GetKeyState(VK_MENU) counts as Alt.
int virtualKeyOf(int glfwKey);
// Whether GLFW modifier bits say the generic key (VK_SHIFT, VK_CONTROL, VK_MENU) is held.
bool modifiersHold(int glfwMods, int virtualKey);
// A cursor coordinate in screen units to drawable pixels (they differ on high-DPI screens).
int clientPixel(double cursor, int windowExtent, int framebufferExtent);

}  // namespace sv::platform
