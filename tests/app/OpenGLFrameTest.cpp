// The main window against the recording platform and scene: the context current exactly around each scene
// call, and failures the real window cannot reach (pixel format, context, frame, GetMessageA, stale windows).
#include "app/MainFrame.h"
#include "app/MessageLoop.h"
#include "platform/backend/Input.h"
#include "platform/backend/RecordingBackend.h"
#include "platform/state/WindowSystemState.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

using namespace platform;
using Strings = std::vector<std::string>;

RecordingBackend& backend() { return RecordingBackend::instance(); }
Strings log;                       // each scene call with " current" or " none" for the context at the time
int failInit = 0, failRender = 0;  // 1: the call throws a std::exception, 2: an int
int fail(int how, const char* what) { return how > 1 ? throw how : how ? throw std::runtime_error(what) : 0; }

struct RecordingScene : GLUW {
  void note(const std::string& call) { log.push_back(call + (backend().current ? " current" : " none")); }
  int init() override { return note("init"), fail(failInit, "no sphere_k.obj"); }
  int render() override { return note("render"), fail(failRender, "frame failed"); }
  int resize(int w, int h) override { return note("resize " + std::to_string(w) + " " + std::to_string(h)), 0; }
  void resetCamera() override { note("reset"); }
  void wheelZoom(int notches) override { note("zoom " + std::to_string(notches)); }
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
    WindowSystemState::instance().clear(), backend() = {}, windowsByHandle.clear();
    log.clear(), failInit = failRender = 0;
  }
  void SetUp() override { reset(); }
  void TearDown() override { reset(); }
  std::string current() { return "current " + std::to_string(reinterpret_cast<std::uintptr_t>(app.getHandle())); }

  TestMainFrame app;
  OpenGLFrame& frame = *app.frame;
};

// Two moves before a press come as one with no button; an outside press with Super (Alt), Shift, Ctrl captures.
TEST_F(OpenGLFrameTest, OpensVeldrane1Of512SquareAtTheOriginDrivesTheSceneWithItsContextCurrentAndClosesWith0) {
  EXPECT_EQ(frame.pixelFormat, 0) << "none before WM_CREATE";
  ASSERT_EQ(app.open(), 0);
  HWND window = app.getHandle();
  HGLRC context = frame.renderingContext;
  HDC deviceContext = frame.deviceContext;
  backend().cursor = POINT{-25, 700};
  for (int key : {VK_RWIN, VK_LSHIFT, VK_LCONTROL}) inputKey(key, true);
  for (int x : {0, 1}) inputMouseMove(window, x, 0);
  inputMouseButton(window, WM_RBUTTONDOWN, 0, 0);
  // Input first, then one paint; then GetMessageA fails (no wait without a hook) and the loop ends with 1.
  EXPECT_EQ(runMessageLoop(window, nullptr), 1);
  EXPECT_EQ(log, (Strings{"init current", "resize 512 512 current", "mouse 1792 0 -25 700 none",
                          "mouse 1792 16 -25 700 none", "render current"}));
  EXPECT_EQ(backend().calls, (Strings{"create gl 0 0 512x512", current(), "current none", "show", current(),
                                      "current none", current(), "swap", "current none"}));
  EXPECT_EQ(WindowSystemState::instance().capture, window);
  inputMouseButton(window, WM_RBUTTONUP, 0, 0);
  EXPECT_TRUE(runMessageLoop(window, nullptr) == 1 && WindowSystemState::instance().capture == nullptr);
  EXPECT_TRUE(frame.setTitle("ab") && frame.getTitle() == std::string("ab\0\xFF", 4));
  // Wine sends no WM_DESTROY after a refused WM_CREATE: the refusal itself drops the scene and contexts.
  EXPECT_EQ(frame.windowProc(window, WM_CREATE, 0, 0), -1) << "a window's pixel format is set once";
  EXPECT_TRUE(frame.scene == nullptr && frame.renderingContext == nullptr && frame.deviceContext == nullptr);
  backend().onWait = [&] { inputClose(window); };
  EXPECT_EQ(runMessageLoop(window, LoadAcceleratorsA(GetModuleHandleA(nullptr), "MYACCEL")), 0);
  EXPECT_TRUE(frame.scene == nullptr && backend().calls.back() == "destroy");
  EXPECT_FALSE(wglMakeCurrent(deviceContext, context) || wglDeleteContext(context)) << "stale handles";
}

TEST_F(OpenGLFrameTest, OpenFailsWithTheReasonAndLeavesNoWindowWithoutPixelFormatContextOrModel) {
  const std::tuple<bool RecordingBackend::*, int, const char*> rows[] = {
      {&RecordingBackend::failOpenGLWindow, 0, "pixel format"},
      {&RecordingBackend::failMakeCurrent, 0, "current"},
      {nullptr, 1, "sphere_k.obj"},
      {nullptr, 2, "unknown error while creating the scene"}};
  for (const auto& [fail, initFailure, reason] : rows) {
    reset(), failInit = initFailure;
    if (fail) backend().*fail = true;
    TestMainFrame failing;
    ::testing::internal::CaptureStdout(), ::testing::internal::CaptureStderr();
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
  log.clear(), backend().failMakeCurrent = true;
  RedrawWindow(app.getHandle(), nullptr, nullptr, RDW_INVALIDATE);
  SendMessageA(app.getHandle(), WM_SIZE, 0, MAKELPARAM(10, 10));
  EXPECT_EQ(runMessageLoop(app.getHandle(), nullptr), 1);  // one paint, validated, no paint loop
  EXPECT_TRUE(log.empty() && std::count(backend().calls.begin(), backend().calls.end(), "swap") == 0);
  for (auto [failure, message] : {std::pair{1, "springview: frame failed\n"}, {2, "springview: unknown error\n"}}) {
    reset();
    TestMainFrame failing;
    ASSERT_EQ(failing.frame->open(kMainWindowStyle, 0, 0, 512, 512, nullptr, nullptr), 0);
    failRender = failure;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(runMessageLoop(failing.getHandle(), nullptr), 1);  // the first paint fails
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), message);
    EXPECT_TRUE(failing.frame->scene == nullptr && backend().current == nullptr) << "not driven again";
    RedrawWindow(failing.getHandle(), nullptr, nullptr, RDW_VALIDATE);
    EXPECT_EQ(SendMessageA(failing.getHandle(), WM_MOUSEMOVE, 0, 0), 0);
    EXPECT_FALSE(WindowSystemState::instance().window(failing.getHandle())->invalid) << "no scene, nothing to repaint";
  }
  EXPECT_EQ(routeMessage(reinterpret_cast<HWND>(0x4321), WM_LBUTTONDOWN, 0, 0), 0) << "unknown windows: default";
}

// A fine wheel zooms by whole notches, Home resets and a held Space toggles once (Xvfb tests play and reload).
TEST_F(OpenGLFrameTest, AFineWheelZoomsByWholeNotchesHomeResetsAndAHeldSpaceTogglesOnce) {
  ASSERT_EQ(app.open(), 0);
  HWND window = app.getHandle();
  RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE);
  log.clear();
  for (int delta : {60, 90, -30}) inputWheel(window, delta, 0, 0);
  for (int key : {VK_HOME, VK_SPACE}) inputKeyMessage(window, key, true, false);
  inputKeyMessage(window, VK_SPACE, true, true);
  std::size_t timers = 0;
  backend().onWait = [&] { timers = WindowSystemState::instance().timers.size(), inputClose(window); };
  EXPECT_EQ(runMessageLoop(window, nullptr), 0);
  EXPECT_EQ(log, (Strings{"zoom 1 none", "reset none", "render current"}));
  EXPECT_EQ(timers, 1u) << "playing after the repeat";
}

}  // namespace
}  // namespace sv
