// The main window against the recording platform and a recording scene: the context current exactly
// around init, resize, mouse input and render, and the failure paths the real window cannot reach (no
// pixel format or context, a lost context, a failing frame or GetMessageA, stale and unknown windows).
#include "app/MainFrame.h"
#include "app/MessageLoop.h"
#include "io/ModelFileError.h"
#include "platform/backend/Input.h"
#include "platform/backend/RecordingBackend.h"
#include "platform/state/WindowSystemState.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

using namespace platform;
using Strings = std::vector<std::string>;

RecordingBackend& backend() { return RecordingBackend::instance(); }
Strings log;  // each scene call with " current" or " none" for the context at the time
bool failInit = false, failRender = false;

struct RecordingScene : GLUW {
  void note(const std::string& call) { log.push_back(call + (backend().current ? " current" : " none")); }
  int init() override { return note("init"), failInit ? throw ModelFileError("no \"sphere_k.obj\""), 0 : 0; }
  int render() override { return note("render"), failRender ? throw std::runtime_error("frame failed"), 0 : 0; }
  int resize(int w, int h) override { return note("resize " + std::to_string(w) + " " + std::to_string(h)), 0; }
  int onMouse(int keys, int button, int x, int y) override {
    return note("mouse " + std::to_string(keys) + " " + std::to_string(button) + " " + std::to_string(x) + " " +
                std::to_string(y)),
           1;
  }
};

struct RecordingFrame : OpenGLFrame {
  RecordingFrame() : OpenGLFrame("Veldrane1", nullptr, "Tessary1") {}
  std::unique_ptr<GLUW> createScene() override { return std::make_unique<RecordingScene>(); }
};

struct TestMainFrame : MainFrame {
  TestMainFrame() : MainFrame(std::make_unique<RecordingFrame>()) {}
};

class OpenGLFrameTest : public ::testing::Test {
 protected:
  static void reset() {  // for each test and each table row
    WindowSystemState::instance().clear();
    backend() = {};
    windowsByHandle.clear();
    log.clear();
    failInit = failRender = false;
  }
  void SetUp() override { reset(); }
  void TearDown() override { reset(); }
  std::string current() { return "current " + std::to_string(reinterpret_cast<std::uintptr_t>(app.getHandle())); }

  TestMainFrame app;
  OpenGLFrame& frame = *app.frame;
};

// A move before any press carries no button code; the press comes from outside the window (a captured
// drag) with Super, which counts as Alt, and the left Shift held, and holds the capture until released.
TEST_F(OpenGLFrameTest, OpensVeldrane1Of512SquareAtTheOriginDrivesTheSceneWithItsContextCurrentAndClosesWith0) {
  ASSERT_EQ(app.open(), 0);
  HWND window = app.getHandle();
  HGLRC context = frame.renderingContext;
  HDC deviceContext = frame.deviceContext;
  backend().cursor = POINT{-25, 700};
  for (int key : {VK_RWIN, VK_LSHIFT}) inputKey(key, true);
  inputMouseMove(window, 0, 0);
  inputMouseButton(window, WM_RBUTTONDOWN, 0, 0);
  // The loop dispatches what is ready, then GetMessageA fails (the recording backend cannot wait
  // without a hook) and the loop ends with 1. Here: input first, then one paint, validated.
  EXPECT_EQ(runMessageLoop(window, nullptr), 1);
  EXPECT_EQ(log, (Strings{"init current", "resize 512 512 current", "mouse 1280 0 -25 700 none",
                          "mouse 1280 16 -25 700 none", "render current"}));
  EXPECT_EQ(backend().calls, (Strings{"create gl 0 0 512x512", current(), "current none", "show", current(),
                                      "current none", current(), "swap", "current none"}));
  EXPECT_EQ(WindowSystemState::instance().capture, window);
  inputMouseButton(window, WM_RBUTTONUP, 0, 0);
  EXPECT_TRUE(runMessageLoop(window, nullptr) == 1 && WindowSystemState::instance().capture == nullptr);
  backend().onWait = [&] { inputClose(window); };
  EXPECT_EQ(runMessageLoop(window, LoadAcceleratorsA(GetModuleHandleA(nullptr), "MYACCEL")), 0);
  EXPECT_TRUE(frame.scene == nullptr && backend().calls.back() == "destroy");
  EXPECT_FALSE(wglMakeCurrent(deviceContext, context) || wglDeleteContext(context)) << "stale handles";
}

TEST_F(OpenGLFrameTest, OpenFailsWithTheReasonAndLeavesNoWindowWithoutPixelFormatContextOrModel) {
  const std::pair<bool RecordingBackend::*, const char*> rows[] = {
      {&RecordingBackend::failOpenGLWindow, "pixel format"},
      {&RecordingBackend::failMakeCurrent, "current"},
      {nullptr, "sphere_k.obj"}};
  for (const auto& [fail, reason] : rows) {
    reset();
    failInit = fail == nullptr;
    if (fail) backend().*fail = true;
    TestMainFrame failing;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(failing.frame->open(kMainWindowStyle, 0, 0, 512, 512, nullptr, nullptr), -2);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find(reason), std::string::npos) << reason;
    EXPECT_EQ(failing.open(), -1) << "the class is registered once";
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Basewindow open error.\n");
    EXPECT_EQ(log, fail ? Strings{} : Strings{"init current"});
    EXPECT_TRUE(failing.frame->scene == nullptr && backend().current == nullptr && failing.getHandle() == nullptr);
  }
}

TEST_F(OpenGLFrameTest, LostContextSkipsFramesAndAFailingFrameEndsTheLoopWith1) {
  ASSERT_EQ(app.open(), 0);
  log.clear();
  backend().failMakeCurrent = true;
  RedrawWindow(app.getHandle(), nullptr, nullptr, RDW_INVALIDATE);
  SendMessageA(app.getHandle(), WM_SIZE, 0, MAKELPARAM(10, 10));
  EXPECT_EQ(runMessageLoop(app.getHandle(), nullptr), 1);  // one paint, validated, no paint loop
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(std::count(backend().calls.begin(), backend().calls.end(), "swap"), 0);
  backend().failMakeCurrent = false;
  failRender = true;
  RedrawWindow(app.getHandle(), nullptr, nullptr, RDW_INVALIDATE);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runMessageLoop(app.getHandle(), nullptr), 1);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("frame failed"), std::string::npos);
  EXPECT_TRUE(frame.scene == nullptr && backend().current == nullptr) << "a failed scene is not driven again";
  EXPECT_EQ(routeMessage(reinterpret_cast<HWND>(0x4321), WM_LBUTTONDOWN, 0, 0), 0) << "unknown windows: default";
}

}  // namespace
}  // namespace sv
