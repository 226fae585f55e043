// Test helpers for driving the real viewer: a private Xvfb server (its display number chosen by the
// server through -displayfd, so parallel runs never collide), the viewer as a child process, xdotool
// commands, window lookup, screenshots and the close request a window manager's close button sends.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// Xlib's own header defines macros (None, Bool, Status) that clash with test frameworks, so only the
// two types needed here are named, as Xlib defines them.
struct _XDisplay;

namespace sv::e2e {

using Display = ::_XDisplay;
using Window = unsigned long;

using Clock = std::chrono::steady_clock;

// Polls `ready` every few milliseconds until it holds or `limit` passes; returns whether it held.
bool waitUntil(const std::function<bool()>& ready, std::chrono::milliseconds limit);

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0xRRGGBB, row by row
  bool operator==(const Image& other) const = default;
  int red(int i) const { return (pixels[i] >> 16) & 0xFF; }
  int green(int i) const { return (pixels[i] >> 8) & 0xFF; }
  int blue(int i) const { return pixels[i] & 0xFF; }
};

class XvfbServer {
 public:
  XvfbServer();  // returns once the server accepts connections
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  const std::string& display() const { return displayName; }
  Display* connection() const { return x; }

  // Runs a command with DISPLAY set to this server; returns its standard output, or nullopt-like
  // empty string with ok=false when it fails.
  std::string run(const std::vector<std::string>& command, bool* ok = nullptr) const;
  void xdotool(const std::vector<std::string>& arguments) const;

  // The mapped top-level window named `name`, or 0.
  Window findWindow(const std::string& name) const;
  Image capture(Window window) const;
  // What a window manager sends when the close button is clicked: WM_PROTOCOLS / WM_DELETE_WINDOW.
  void requestClose(Window window) const;
  // Moves the pointer as xdotool does for a person, returning once it is there.
  void movePointer(int x, int y) const;
  bool windowGeometry(Window window, int& x, int& y, int& width, int& height) const;

 private:
  pid_t pid = -1;
  std::string displayName;
  Display* x = nullptr;
};

class ViewerProcess {
 public:
  // Starts springview in `directory` on `display`, standard output and error to files there.
  ViewerProcess(const std::string& program, const std::string& directory, const std::string& display);
  ~ViewerProcess();
  ViewerProcess(const ViewerProcess&) = delete;
  ViewerProcess& operator=(const ViewerProcess&) = delete;

  bool running();
  // Waits for the exit; returns the exit status, or -1 when it did not end in time.
  int waitExit(std::chrono::milliseconds limit);
  // User plus system CPU time used so far, in seconds.
  double cpuSeconds() const;
  std::string output() const;
  std::string errors() const;
  pid_t id() const { return pid; }

 private:
  pid_t pid = -1;
  int status = -1;
  std::string directory;
};

std::string makeTempDirectory();
std::string readFile(const std::string& path);

}  // namespace sv::e2e
