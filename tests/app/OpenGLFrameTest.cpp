// The main window against the recording platform and a recording scene: the context current exactly
// around init, resize and render; what a mouse message hands the scene; and the failure paths the real
// window cannot reach (no pixel format or context, a lost context, a failing frame, a failing
// GetMessageA, unknown windows, stale handles).
#include "app/MainFrame.h"
#include "app/MessageLoop.h"
#include "io/ModelFileError.h"
#include "platform/backend/Input.h"
#include "platform/backend/RecordingBackend.h"
#include "platform/state/WindowSystemState.h"

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

using namespace platform;
using Strings = std::vector<std::string>;

RecordingBackend& backend() { return RecordingBackend::instance(); }

// Fresh platform and framework state; the fixture's first member, so it runs before any window is made.
struct FreshWindowing {
  static void reset() {
    WindowSystemState::instance().clear();
    backend() = {};
    handle = nullptr;
    pendingWindows.clear();
    windowsByHandle.clear();
  }
  FreshWindowing() { reset(); }
  ~FreshWindowing() { reset(); }
};

// Logs each call with " current" or " none" for the context at the time.
struct RecordingScene : GLUW {
  explicit RecordingScene(Strings& log) : log(log) {}
  int init() override {
    note("init");
    if (failInit) throw ModelFileError("cannot open model file \"sphere_k.obj\"");
    return 0;
  }
  int onMouse(int keys, int button, int x, int y) override {
    char text[64];
    std::snprintf(text, sizeof text, "mouse 0x%x 0x%x %d %d", keys, button, x, y);
    return note(text), 1;
  }
  int render() override {
    note("render");
    if (failRender) throw std::runtime_error("frame failed");
    return 0;
  }
  int resize(int width, int height) override {
    return note("resize " + std::to_string(width) + " " + std::to_string(height)), 0;
  }
  void note(const std::string& call) { log.push_back(call + (backend().current ? " current" : " none")); }
  Strings& log;
  static inline bool failInit = false, failRender = false;
};

struct RecordingFrame : OpenGLFrame {
  explicit RecordingFrame(Strings& log) : OpenGLFrame("Veldrane1", nullptr, "Tessary1"), log(log) {}
  std::unique_ptr<GLUW> createScene() override { return std::make_unique<RecordingScene>(log); }
  Strings& log;
};

struct TestMainFrame : MainFrame {
  explicit TestMainFrame(Strings& log) : MainFrame(std::make_unique<RecordingFrame>(log)) {}
};

// Dispatches every ready message until GetMessageA would block; the quit code, or -1 without a quit.
int pumpMessages() {
  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return message.message == WM_QUIT ? static_cast<int>(message.wParam) : -1;
}

class OpenGLFrameTest : public ::testing::Test {
 protected:
  void SetUp() override { RecordingScene::failInit = RecordingScene::failRender = false; }
  HWND openWindow() {
    if (app.open() != 0) return nullptr;
    pumpMessages();  // the first paint
    log.clear();
    backend().calls.clear();
    return app.getHandle();
  }
  std::string current() { return "current " + std::to_string(reinterpret_cast<std::uintptr_t>(app.getHandle())); }

  FreshWindowing fresh;
  Strings log;
  TestMainFrame app{log};
  OpenGLFrame& frame = *app.frame;
};

TEST_F(OpenGLFrameTest, OpensA512SquareAtTheOriginAndDrivesTheSceneOnlyWithItsContextCurrent) {
  ::testing::internal::CaptureStdout();
  ASSERT_EQ(app.open(), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(backend().calls,
            (Strings{"create gl 0 0 512x512", current(), "current none", "show", current(), "current none"}));
  EXPECT_EQ(pumpMessages(), -1);  // one paint, validated: no second paint
  SendMessageA(app.getHandle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480));
  EXPECT_EQ(log, (Strings{"init current", "resize 512 512 current", "render current", "resize 640 480 current"}));
  EXPECT_EQ(Strings(backend().calls.begin() + 6, backend().calls.end()),
            (Strings{current(), "swap", "current none", current(), "current none"}));
  EXPECT_EQ(backend().current, nullptr);
}

// Each row: keys pressed and released before the message, the scene's call, and whether the mouse is
// captured afterwards. The position is the cursor's (a captured drag may leave the window); a move
// repeats the last button code; Super counts as Alt.
TEST_F(OpenGLFrameTest, MouseMessagesHandTheSceneKeysButtonCodeAndCursorThenRepaint) {
  HWND window = openWindow();
  backend().cursor = POINT{-25, 700};
  const struct {
    std::vector<int> press, release;
    UINT message;
    const char* call;
    bool captured;
  } rows[] = {{{}, {}, WM_MOUSEMOVE, "mouse 0x0 0x0 -25 700 none", false},
              {{VK_LSHIFT, VK_LMENU}, {}, WM_LBUTTONDOWN, "mouse 0x500 0x1 -25 700 none", true},
              {{}, {}, WM_MOUSEMOVE, "mouse 0x500 0x1 -25 700 none", true},
              {{VK_RWIN, VK_RCONTROL}, {VK_LMENU}, WM_LBUTTONUP, "mouse 0x700 0x2 -25 700 none", false},
              {{}, {VK_LSHIFT, VK_RWIN}, WM_MOUSEMOVE, "mouse 0x200 0x2 -25 700 none", false},
              {{}, {VK_RCONTROL}, WM_RBUTTONDOWN, "mouse 0x0 0x10 -25 700 none", true},
              {{}, {}, WM_RBUTTONUP, "mouse 0x0 0x20 -25 700 none", false},
              {{}, {}, WM_LBUTTONDBLCLK, "mouse 0x0 0x4 -25 700 none", false},
              {{}, {}, WM_RBUTTONDBLCLK, "mouse 0x0 0x40 -25 700 none", false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.call);
    for (int key : row.press) inputKey(key, true);
    for (int key : row.release) inputKey(key, false);
    log.clear();
    EXPECT_EQ(SendMessageA(window, row.message, 0, MAKELPARAM(5, 5)), 0);
    EXPECT_EQ(pumpMessages(), -1);
    EXPECT_EQ(log, (Strings{row.call, "render current"}));
    EXPECT_EQ(SetCapture(window), row.captured ? window : nullptr);
    if (!row.captured) ReleaseCapture();
  }
  log.clear();  // the middle button and the wheel are left to the default: no scene call, no paint
  inputMouseButton(window, WM_MBUTTONDOWN, 3, 3);
  inputMouseWheel(window, 120, 3, 3);
  EXPECT_EQ(pumpMessages(), -1);
  EXPECT_TRUE(log.empty());
}

TEST_F(OpenGLFrameTest, OpenFailsWithTheReasonAndLeavesNoWindowWhenThereIsNoContextOrNoModel) {
  const struct {
    bool RecordingBackend::*fail;
    const char* reason;
    Strings calls;
  } rows[] = {{&RecordingBackend::failOpenGLWindow, "pixel format", {}},
              {&RecordingBackend::failMakeCurrent, "current", {}},
              {nullptr, "sphere_k.obj", {"init current"}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.reason);
    FreshWindowing::reset();
    log.clear();
    RecordingScene::failInit = row.fail == nullptr;
    if (row.fail) backend().*row.fail = true;
    TestMainFrame failing(log);
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(failing.frame->open(kMainWindowStyle, 0, 0, 512, 512, nullptr, nullptr), -2);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find(row.reason), std::string::npos);
    EXPECT_EQ(failing.open(), -1) << "the class is registered once";
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Basewindow open error.\n");
    EXPECT_EQ(log, row.calls);
    EXPECT_EQ(failing.frame->scene, nullptr);
    EXPECT_EQ(backend().current, nullptr);
    EXPECT_EQ(failing.getHandle(), nullptr);
    EXPECT_TRUE(pendingWindows.empty() && windowsByHandle.empty());
  }
}

TEST_F(OpenGLFrameTest, LostContextSkipsTheFrameButStillValidates) {
  HWND window = openWindow();
  backend().failMakeCurrent = true;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
  SendMessageA(window, WM_SIZE, 0, MAKELPARAM(10, 10));
  EXPECT_EQ(pumpMessages(), -1);  // one paint, validated, no paint loop
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(std::count(backend().calls.begin(), backend().calls.end(), "swap"), 0);
}

TEST_F(OpenGLFrameTest, FailingFrameOrGetMessageEndsTheLoopWithStatus1) {
  HWND window = openWindow();
  EXPECT_EQ(runMessageLoop(window, nullptr), 1);  // the recording backend cannot wait without a hook
  RecordingScene::failRender = true;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runMessageLoop(window, nullptr), 1);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("frame failed"), std::string::npos);
  EXPECT_EQ(frame.scene, nullptr) << "a failed scene is not driven again";
  EXPECT_EQ(backend().current, nullptr);
}

TEST_F(OpenGLFrameTest, CloseReleasesEverythingAndEndsTheLoopWith0LeavingStaleHandlesHarmless) {
  HWND window = openWindow();
  HGLRC context = frame.renderingContext;
  HDC deviceContext = frame.deviceContext;
  backend().onWait = [&] { inputClose(window); };
  EXPECT_EQ(runMessageLoop(window, LoadAcceleratorsA(GetModuleHandleA(nullptr), "MYACCEL")), 0);
  EXPECT_EQ(frame.scene, nullptr);
  EXPECT_EQ(backend().calls.back(), "destroy");
  EXPECT_FALSE(wglMakeCurrent(deviceContext, context));
  EXPECT_FALSE(wglDeleteContext(context));
  EXPECT_EQ(GetDC(window), nullptr);
  EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(routeMessage(reinterpret_cast<HWND>(0x4321), WM_LBUTTONDOWN, 0, 0), 0) << "unknown windows get the default";
}

}  // namespace
}  // namespace sv
