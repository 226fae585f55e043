// The program's entry: opens the main window (which loads the model and builds the scene) and runs
// the message loop until the window is closed. A window or model that cannot be had ends the program
// with status 1 after saying why; closing the window ends it with 0.
#include "app/MainFrame.h"
#include "app/MessageLoop.h"
#include "platform/win32/Win32Api.h"

#include <cstdio>

#ifdef __GLIBC__
#include <malloc.h>
#endif

int main() {
#ifdef __GLIBC__
  // Keep up to 512 MiB freed: the rasterizer retakes its per-frame memory, else faulted in afresh each frame.
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
  HINSTANCE instance = GetModuleHandleA(nullptr);
  sv::MainFrame app(instance);
  const int opened = app.open();
  // Every diagnostic line is written while the window opens; a pipe or a file buffers them fully (the
  // Microsoft C runtime does so even when asked for lines), so one flush delivers them as the window shows.
  std::fflush(stdout);
  if (opened < 0) return 1;
  HWND window = app.getHandle();
  // The program carries no resources, so there is no "MYACCEL" table: nothing is ever consumed by it.
  HACCEL accelerators = LoadAcceleratorsA(instance, "MYACCEL");
  return sv::runMessageLoop(window, accelerators);
}
