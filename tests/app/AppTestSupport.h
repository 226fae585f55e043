// Shared by the window tests: a fresh recording platform and framework state for every test, a scene
// controller that records the calls it gets (and whether a context was current), and a main window
// that uses it.
#pragma once

#include "app/OpenGLFrame.h"
#include "app/WindowBase.h"
#include "io/ModelFileError.h"
#include "platform/RecordingBackend.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace sv::test {

inline void resetWindowing() {
  platform::RecordingBackend::reset();
  windowClass = WNDCLASSEXA{};
  handle = nullptr;
  pendingCount = 0;
  pendingWindows.clear();
  windowsByHandle.clear();
}

// Resets on construction and destruction; a fixture's first member, so it runs before any window
// object of the fixture is made.
struct FreshWindowing {
  FreshWindowing() { resetWindowing(); }
  ~FreshWindowing() { resetWindowing(); }
  FreshWindowing(const FreshWindowing&) = delete;
  FreshWindowing& operator=(const FreshWindowing&) = delete;
};

// Each entry: the call and its arguments, then " current" or " none" for the context at the time.
struct SceneLog {
  std::vector<std::string> calls;
  bool failInit = false;
  bool failRender = false;
};

class RecordingScene : public GLUW {
 public:
  explicit RecordingScene(SceneLog& log) : log(log) {}
  int init() override {
    note("init");
    if (log.failInit) throw ModelFileError("cannot open model file \"sphere_k.obj\": No such file or directory");
    return 0;
  }
  int onMouse(int keys, int button, int x, int y) override {
    note("mouse " + hex(keys) + " " + hex(button) + " " + std::to_string(x) + " " + std::to_string(y));
    return 1;
  }
  int render() override {
    note("render");
    if (log.failRender) throw std::runtime_error("frame failed");
    return 0;
  }
  int resize(int width, int height) override {
    note("resize " + std::to_string(width) + " " + std::to_string(height));
    return 0;
  }

 private:
  static std::string hex(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
  }
  void note(const std::string& call) {
    bool current = platform::RecordingBackend::instance().current != nullptr;
    log.calls.push_back(call + (current ? " current" : " none"));
  }
  SceneLog& log;
};

class RecordingFrame : public OpenGLFrame {
 public:
  RecordingFrame(SceneLog& log, HINSTANCE instance = nullptr)
      : OpenGLFrame("Veldrane1", instance, "Tessary1"), log(log) {}

 protected:
  std::unique_ptr<GLUW> createScene() override { return std::make_unique<RecordingScene>(log); }

 private:
  SceneLog& log;
};

// Dispatches every message that is ready, as the message loop would, until GetMessageA would block or
// reports WM_QUIT. Returns the quit code, or -1 when no quit came.
inline int pumpMessages() {
  MSG message;
  for (;;) {
    BOOL result = GetMessageA(&message, nullptr, 0, 0);
    if (result == 0) return static_cast<int>(message.wParam);
    if (result == -1) return -1;
    DispatchMessageA(&message);
  }
}

}  // namespace sv::test
