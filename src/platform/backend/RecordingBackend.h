// The backend that unit tests link instead of GLFW: no display, every native operation recorded in
// order, the cursor, client origin and failures set by the test, and waiting handed to a test hook.
// Input reaches the layer through the functions of Input.h, as from the real backend.
#pragma once

#include "platform/win32/Win32Subset.h"

#include <functional>
#include <string>
#include <vector>

namespace sv::platform {

class RecordingBackend {
 public:
  // Tests restore the defaults below with `instance() = {}`, beside WindowSystemState's clear().
  static RecordingBackend& instance();

  // Native operations in order, e.g. "create gl 0 0 512x512", "show", "current 65536", "current none",
  // "swap", "destroy", "title Veldrane1".
  std::vector<std::string> calls;
  POINT cursor{0, 0};             // the cursor on the screen
  bool failOpenGLWindow = false;  // windows with a pixel format fail
  bool failMakeCurrent = false;
  // Called by waitEvents; it should produce input. Without one, waiting fails (GetMessageA -> -1),
  // so a test can never hang. A wait with a timeout (for a timer) sleeps that long, then calls it.
  std::function<void()> onWait;
  int waits = 0;
  HWND current = nullptr;  // the window whose context is current
};

}  // namespace sv::platform
