// Shared by the window tests: fresh framework state for every test, a scene controller that records
// the calls it gets (and whether a context was current), and a main window that uses it.
#pragma once

#include "app/OpenGLFrame.h"
#include "app/WindowBase.h"
#include "io/ModelFileError.h"
#include "platform/backend/RecordingBackend.h"
#include "platform/state/WindowSystemState.h"

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace sv::test {

// A fresh recording platform and framework state on construction and destruction; a fixture's first
// member, so it runs before any window object of the fixture is made.
struct FreshWindowing {
  static void reset() {
    platform::WindowSystemState::instance().clear();
    platform::RecordingBackend::instance() = {};
    windowClass = WNDCLASSEXA{};
    handle = nullptr;
    pendingCount = 0;
    pendingWindows.clear();
    windowsByHandle.clear();
  }
  FreshWindowing() { reset(); }
  ~FreshWindowing() { reset(); }
};

// Each entry: the call and its arguments, then " current" or " none" for the context at the time.
struct SceneLog {
  std::vector<std::string> calls;
  bool failInit = false, failRender = false;
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
    char text[64];
    std::snprintf(text, sizeof text, "mouse 0x%x 0x%x %d %d", keys, button, x, y);
    return note(text), 1;
  }
  int render() override {
    note("render");
    if (log.failRender) throw std::runtime_error("frame failed");
    return 0;
  }
  int resize(int width, int height) override {
    return note("resize " + std::to_string(width) + " " + std::to_string(height)), 0;
  }

 private:
  void note(const std::string& call) {
    log.calls.push_back(call + (platform::RecordingBackend::instance().current ? " current" : " none"));
  }
  SceneLog& log;
};

class RecordingFrame : public OpenGLFrame {
 public:
  explicit RecordingFrame(SceneLog& log, HINSTANCE instance = nullptr)
      : OpenGLFrame("Veldrane1", instance, "Tessary1"), log(log) {}

 protected:
  std::unique_ptr<GLUW> createScene() override { return std::make_unique<RecordingScene>(log); }

 private:
  SceneLog& log;
};

// Dispatches every message that is ready, as the message loop would, until GetMessageA would block or
// reports WM_QUIT. Returns the quit code, or -1 when no quit came.
inline int pumpMessages() {
  MSG message{};
  for (BOOL result; (result = GetMessageA(&message, nullptr, 0, 0)) > 0;) DispatchMessageA(&message);
  return message.message == WM_QUIT ? static_cast<int>(message.wParam) : -1;
}

}  // namespace sv::test
