// What GLFW does not report of the X connection under it: the display going away and a window that
// another client destroys. Kept apart from the Win32 subset, whose names Xlib's internal headers
// take too.
#pragma once

namespace sv::platform {

class X11Watch {
 public:
  // Starts watching the connection `display` (an Xlib Display*). Once the connection is lost, a line
  // on standard error says so and the X library ends the process with status 1.
  static void start(void* display);
  // The X windows that are ours: one destroyed by another client is dropped from them.
  static void add(unsigned long window);
  // False when the window was destroyed by another client: it must not be destroyed again.
  static bool remove(unsigned long window);
  // True once a window of ours has been destroyed by another client; said once on standard error.
  static bool windowLost();
};

}  // namespace sv::platform
