// The main window's window procedure against the recording platform and a recording scene: what the
// scene gets for creation, size, paint and mouse messages, with the context current exactly around
// init, resize and render; failures of the window system and of the scene.
#include "AppTestSupport.h"
#include "app/OpenGLFrame.h"
#include "platform/backend/Input.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

using namespace platform;
using Strings = std::vector<std::string>;

class OpenGLFrameTest : public ::testing::Test {
 protected:
  RecordingBackend& backend() { return RecordingBackend::instance(); }
  HWND openWindow() {
    if (frame.open(0x16CF0000, 0, 0, 512, 512, nullptr, nullptr) != 0) return nullptr;
    test::pumpMessages();  // the first paint
    log.calls.clear();
    backend().calls.clear();
    return frame.getHandle();
  }
  std::string handleText() { return std::to_string(reinterpret_cast<std::uintptr_t>(frame.getHandle())); }
  void input(UINT message) {
    if (message == WM_MOUSEMOVE)
      inputMouseMove(frame.getHandle(), 0, 0);
    else
      inputMouseButton(frame.getHandle(), message, 0, 0);
    test::pumpMessages();
  }
  std::string lastMouseCall() {
    auto call = std::find_if(log.calls.rbegin(), log.calls.rend(), [](auto& c) { return c.starts_with("mouse"); });
    return call == log.calls.rend() ? "" : *call;
  }

  test::FreshWindowing fresh;
  test::SceneLog log;
  test::RecordingFrame frame{log, reinterpret_cast<HINSTANCE>(0x5000)};
};

TEST_F(OpenGLFrameTest, CreationUsesTheDesignedClassAndMakesTheContextCurrentOnlyAroundSceneCalls) {
  EXPECT_EQ(classTemplate.cbSize, sizeof(WNDCLASSEXA));
  EXPECT_EQ(classTemplate.style, UINT(CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(classTemplate.hInstance, reinterpret_cast<HINSTANCE>(0x5000));
  EXPECT_EQ(classTemplate.hIcon, LoadIconA(nullptr, IDI_APPLICATION));
  EXPECT_EQ(classTemplate.hCursor, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(classTemplate.hbrBackground, nullptr) << "an erase would paint over the frame";
  EXPECT_EQ(pixelFormatRequest.nSize, 40);
  EXPECT_EQ(pixelFormatRequest.dwFlags, DWORD(0x25));
  EXPECT_EQ(pixelFormatRequest.cColorBits, 24);
  EXPECT_EQ(pixelFormatRequest.cDepthBits, 32);
  ASSERT_EQ(frame.open(0x16CF0000, 0, 0, 512, 512, nullptr, nullptr), 0);
  EXPECT_EQ(log.calls, (Strings{"init current", "resize 512 512 current"}));
  EXPECT_EQ(backend().calls, (Strings{"create gl 0 0 512x512", "current " + handleText(), "current none", "show",
                                      "current " + handleText(), "current none"}));
  EXPECT_EQ(backend().current, nullptr);
  EXPECT_NE(frame.renderingContext, nullptr);
  EXPECT_EQ(frame.deviceContext, GetDC(frame.getHandle()));
}

TEST_F(OpenGLFrameTest, SizeAndPaintDriveTheSceneWithTheContextCurrent) {
  HWND window = openWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480)), 0);
  EXPECT_EQ(backend().current, nullptr);
  backend().calls.clear();
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
  EXPECT_EQ(test::pumpMessages(), -1);  // rendered and validated: no second paint
  EXPECT_EQ(log.calls, (Strings{"resize 640 480 current", "render current"}));
  EXPECT_EQ(backend().calls, (Strings{"current " + handleText(), "swap", "current none"}));
}

TEST_F(OpenGLFrameTest, MouseMessagesFollowTheTableReturnZeroAndInvalidateButMiddleAndWheelDoNot) {
  HWND window = openWindow();
  backend().cursor = POINT{-25, 700};  // the position comes from the cursor (a captured drag outside)
  // A move reports the button code of the last button message.
  const std::pair<UINT, const char*> table[] = {
      {WM_MOUSEMOVE, "0x0"},  {WM_LBUTTONDOWN, "0x1"},   {WM_MOUSEMOVE, "0x1"},
      {WM_LBUTTONUP, "0x2"},  {WM_MOUSEMOVE, "0x2"},     {WM_RBUTTONDOWN, "0x10"},
      {WM_RBUTTONUP, "0x20"}, {WM_LBUTTONDBLCLK, "0x4"}, {WM_RBUTTONDBLCLK, "0x40"}};
  for (auto [message, button] : table) {
    SCOPED_TRACE(message);
    log.calls.clear();
    EXPECT_EQ(SendMessageA(window, message, 0, MAKELPARAM(5, 5)), 0);
    EXPECT_EQ(test::pumpMessages(), -1);
    EXPECT_EQ(log.calls, (Strings{std::string("mouse 0x0 ") + button + " -25 700 none", "render current"}));
  }
  EXPECT_EQ(std::pair(mouse.x, mouse.y), std::pair(-25, 700));
  ReleaseCapture();
  // The middle button and the wheel are left to the default: no mouse call and no paint.
  log.calls.clear();
  inputMouseButton(window, WM_MBUTTONDOWN, 3, 3);
  inputMouseButton(window, WM_MBUTTONUP, 3, 3);
  inputMouseWheel(window, 120, 3, 3);
  EXPECT_EQ(test::pumpMessages(), -1);
  EXPECT_TRUE(log.calls.empty());
}

TEST_F(OpenGLFrameTest, ShiftAltLeftClickPassesKeys0x500) {
  openWindow();
  // Each row: the keys pressed (+) or released (-) before the message, and the keys the scene gets.
  const struct {
    std::vector<int> press, release;
    UINT message;
    const char* call;
  } table[] = {{{VK_LSHIFT, VK_LMENU}, {}, WM_LBUTTONDOWN, "mouse 0x500 0x1 0 0 none"},
               {{VK_RWIN, VK_RCONTROL}, {VK_LMENU}, WM_LBUTTONUP, "mouse 0x700 0x2 0 0 none"},  // Super is Alt
               {{}, {VK_LSHIFT, VK_RWIN}, WM_MOUSEMOVE, "mouse 0x200 0x2 0 0 none"}};
  for (const auto& row : table) {
    SCOPED_TRACE(row.call);
    for (int key : row.press) inputKey(key, true);
    for (int key : row.release) inputKey(key, false);
    input(row.message);
    EXPECT_EQ(lastMouseCall(), row.call);
  }
}

TEST_F(OpenGLFrameTest, ButtonDownCapturesAndButtonUpReleases) {
  HWND window = openWindow();
  input(WM_RBUTTONDOWN);
  EXPECT_EQ(SetCapture(window), window);  // it held the capture already
  input(WM_RBUTTONUP);
  EXPECT_EQ(SetCapture(window), nullptr);
  ReleaseCapture();
}

TEST_F(OpenGLFrameTest, DestroyReleasesEverythingAndPostsQuitZero) {
  HWND window = openWindow();
  HGLRC context = frame.renderingContext;
  HDC deviceContext = frame.deviceContext;
  inputClose(window);
  EXPECT_EQ(test::pumpMessages(), 0);
  EXPECT_EQ(frame.scene, nullptr);
  EXPECT_EQ(backend().calls.back(), "destroy");
  EXPECT_FALSE(wglMakeCurrent(deviceContext, context));
  EXPECT_FALSE(wglDeleteContext(context));  // already deleted
}

TEST_F(OpenGLFrameTest, MissingModelFailsCreationWithTheReason) {
  log.failInit = true;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(frame.open(0x16CF0000, 0, 0, 512, 512, nullptr, nullptr), -2);
  std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("sphere_k.obj"), std::string::npos) << errors;
  EXPECT_EQ(log.calls, (Strings{"init current"}));
  EXPECT_EQ(frame.scene, nullptr);
  EXPECT_EQ(backend().current, nullptr);
  EXPECT_EQ(backend().calls.back(), "destroy");  // no window is left
  EXPECT_EQ(frame.getHandle(), nullptr);
}

TEST_F(OpenGLFrameTest, WithoutPixelFormatOrCurrentContextTheSceneIsNeverDriven) {
  for (auto [fail, reason] : {std::pair{&RecordingBackend::failOpenGLWindow, "pixel format"},
                              std::pair{&RecordingBackend::failMakeCurrent, "current"}}) {
    SCOPED_TRACE(reason);
    test::FreshWindowing::reset();
    backend().*fail = true;
    test::RecordingFrame failing(log);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(failing.open(0x16CF0000, 0, 0, 512, 512, nullptr, nullptr), -2);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find(reason), std::string::npos);
    EXPECT_TRUE(log.calls.empty());
  }
}

TEST_F(OpenGLFrameTest, LostContextSkipsTheFrameButStillValidates) {
  HWND window = openWindow();
  backend().failMakeCurrent = true;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
  SendMessageA(window, WM_SIZE, 0, MAKELPARAM(10, 10));
  EXPECT_EQ(test::pumpMessages(), -1);  // one paint, validated, no paint loop
  EXPECT_TRUE(log.calls.empty());
  EXPECT_EQ(std::count(backend().calls.begin(), backend().calls.end(), "swap"), 0);
}

TEST_F(OpenGLFrameTest, FailingFrameEndsTheLoopWithAFailureStatus) {
  HWND window = openWindow();
  log.failRender = true;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(test::pumpMessages(), 1);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("frame failed"), std::string::npos);
  EXPECT_EQ(frame.scene, nullptr);
  EXPECT_EQ(backend().current, nullptr);
}

TEST_F(OpenGLFrameTest, OneFramePerMouseMessageWhenMessagesComeOneByOne) {
  HWND window = openWindow();
  int moves = 0;
  backend().onWait = [&] { moves < 25 ? inputMouseMove(window, moves++, 0) : PostQuitMessage(0); };
  EXPECT_EQ(test::pumpMessages(), 0);
  EXPECT_EQ(std::count(log.calls.begin(), log.calls.end(), "render current"), 25);
}

}  // namespace
}  // namespace sv
