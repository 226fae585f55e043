// The recording backend for unit tests (see RecordingBackend.h). A window's client area sits at its
// creation position on the screen and has its creation size.
#include "platform/backend/RecordingBackend.h"

#include "platform/backend/Backend.h"
#include "platform/state/WindowSystemState.h"

#include <chrono>
#include <string>
#include <thread>

namespace sv::platform {

namespace {
char nativeWindow;

std::string handleText(HWND window) { return std::to_string(reinterpret_cast<std::uintptr_t>(window)); }
}  // namespace

RecordingBackend& RecordingBackend::instance() {
  static RecordingBackend backend;
  return backend;
}

namespace backend {

bool createNativeWindow(WindowRecord& window, const PIXELFORMATDESCRIPTOR* format) {
  RecordingBackend& recording = RecordingBackend::instance();
  if (format != nullptr && recording.failOpenGLWindow) return false;
  recording.calls.push_back(std::string("create ") + (format != nullptr ? "gl " : "plain ") + std::to_string(window.x) +
                            " " + std::to_string(window.y) + " " + std::to_string(window.width) + "x" +
                            std::to_string(window.height));
  window.native = &nativeWindow;
  return true;
}

void showNativeWindow(WindowRecord&) { RecordingBackend::instance().calls.push_back("show"); }

void destroyNativeWindow(WindowRecord& window) {
  RecordingBackend::instance().calls.push_back("destroy");
  window.native = nullptr;
}

void setNativeTitle(WindowRecord& window) { RecordingBackend::instance().calls.push_back("title " + window.text); }

void clientSize(const WindowRecord& window, int& width, int& height) {
  width = window.width;
  height = window.height;
}

bool cursorPosition(int& x, int& y) {
  RecordingBackend& recording = RecordingBackend::instance();
  x = recording.cursor.x;
  y = recording.cursor.y;
  return true;
}

bool makeContextCurrent(WindowRecord* window) {
  RecordingBackend& recording = RecordingBackend::instance();
  if (window != nullptr && recording.failMakeCurrent) return false;
  recording.current = window != nullptr ? window->handle : nullptr;
  recording.calls.push_back("current " + (window != nullptr ? handleText(window->handle) : std::string("none")));
  return true;
}

bool swapBuffers(WindowRecord&) {
  RecordingBackend::instance().calls.push_back("swap");
  return true;
}

bool pollEvents() { return true; }

bool waitEvents() {
  RecordingBackend& recording = RecordingBackend::instance();
  ++recording.waits;
  if (!recording.onWait) return false;
  recording.onWait();
  return true;
}

bool waitEventsTimeout(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  waitEvents();
  return true;
}

}  // namespace backend
}  // namespace sv::platform
