// GLFW drops the DestroyNotify of its windows, so it is caught as the X library decodes it. The X
// library ends the process with exit(1) once the handler of a lost connection returns; the steps that
// may still be running ahead are finished before exit destroys anything (BackgroundTask).
#include "platform/backend/X11Watch.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

// clang-format off
// Last: the X library's internal header defines min and max as macros.
#include <X11/Xlibint.h>
// clang-format on

namespace sv::platform {

namespace {

std::vector<Window> ownWindows;
bool destroyedFromOutside = false;
Bool (*decodeDestroyNotify)(Display*, XEvent*, xEvent*) = nullptr;

int reportLostDisplay(Display*) {
  std::fprintf(stderr, "window system error: the connection to the display was lost\n");
  return 0;
}

// Runs inside the X library with the display locked: it only takes note.
Bool noteDestroyedWindow(Display* display, XEvent* event, xEvent* wire) {
  const Bool decoded = decodeDestroyNotify(display, event, wire);
  auto own = std::find(ownWindows.begin(), ownWindows.end(), event->xdestroywindow.window);
  if (decoded && own != ownWindows.end()) ownWindows.erase(own), destroyedFromOutside = true;
  return decoded;
}

}  // namespace

void X11Watch::start(void* display) {
  XSetIOErrorHandler(reportLostDisplay);
  if (decodeDestroyNotify == nullptr) {
    decodeDestroyNotify = XESetWireToEvent(static_cast<Display*>(display), DestroyNotify, noteDestroyedWindow);
  }
}

void X11Watch::add(unsigned long window) { ownWindows.push_back(window); }

bool X11Watch::remove(unsigned long window) {
  auto own = std::find(ownWindows.begin(), ownWindows.end(), window);
  if (own == ownWindows.end()) return false;
  ownWindows.erase(own);
  return true;
}

bool X11Watch::windowLost() {
  static bool said = false;
  if (destroyedFromOutside && !std::exchange(said, true)) {
    std::fprintf(stderr, "window system error: the window was destroyed by another program\n");
  }
  return destroyedFromOutside;
}

}  // namespace sv::platform
