// What the generic Win32 layer asks of a windowing backend (calls going down). Exactly one backend is
// linked into a program: GlfwBackend.cpp for the real window, RecordingBackend.cpp for unit tests.
// Events come back up through the functions of Input.h.
#pragma once

#include "platform/state/WindowSystemState.h"

namespace sv::platform::backend {

// Makes the native window of `window` at its position and size, hidden. With a pixel format, the
// window gets an OpenGL context honouring it as far as the system allows; without one, no context.
bool createNativeWindow(WindowRecord& window, const PIXELFORMATDESCRIPTOR* format);
void showNativeWindow(WindowRecord& window);
void destroyNativeWindow(WindowRecord& window);
void setNativeTitle(WindowRecord& window);

// Drawable size in pixels.
void clientSize(const WindowRecord& window, int& width, int& height);
// The cursor now, in the client pixels of the window holding the capture (else of the first window);
// false when it cannot be known. The viewer has one window, so it needs no screen coordinates.
bool cursorPosition(int& x, int& y);

// Makes the OpenGL context of `window` current on this thread, or none when null.
bool makeContextCurrent(WindowRecord* window);
bool swapBuffers(WindowRecord& window);

// Handles the events that are waiting; waitEvents first blocks until there is at least one. Both are
// false once the window system has failed the program (a window destroyed by another program), and
// waitEvents also when the window system cannot be waited on (it was never reached).
bool pollEvents();
bool waitEvents();
// As waitEvents, but returns after `seconds` at the latest (a timer is due then); false as waitEvents.
bool waitEventsTimeout(double seconds);

}  // namespace sv::platform::backend
