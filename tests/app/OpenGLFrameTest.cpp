// The main window's window procedure against the recording platform and a recording scene: what the
// scene gets for creation, size, paint and mouse messages, with the context current exactly around
// init, resize and render; failures of the window system and of the scene.
#include "AppTestSupport.h"
#include "app/OpenGLFrame.h"
#include "platform/Input.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

using platform::RecordingBackend;
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
  void click(UINT message) {
    inputMouseButton(frame.getHandle(), message, 0, 0);
    test::pumpMessages();
  }
  std::string lastMouseCall() {
    for (auto call = log.calls.rbegin(); call != log.calls.rend(); ++call) {
      if (call->rfind("mouse", 0) == 0) return *call;
    }
    return "";
  }

  test::FreshWindowing fresh;
  test::SceneLog log;
  test::RecordingFrame frame{log, reinterpret_cast<HINSTANCE>(0x5000)};
};

TEST_F(OpenGLFrameTest, ClassTemplateIsFilledAsDesigned) {
  EXPECT_EQ(classTemplate.cbSize, sizeof(WNDCLASSEXA));
  EXPECT_EQ(classTemplate.style, UINT(CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(classTemplate.hInstance, reinterpret_cast<HINSTANCE>(0x5000));
  EXPECT_EQ(classTemplate.hIcon, LoadIconA(nullptr, IDI_APPLICATION));
  EXPECT_EQ(classTemplate.hCursor, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(classTemplate.hbrBackground, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_STREQ(classTemplate.lpszClassName, "Tessary1");
  EXPECT_STREQ(windowClass.lpszClassName, "Tessary1");
  EXPECT_EQ(windowClass.lpfnWndProc, &routeMessage);
  EXPECT_EQ(pixelFormatRequest.nSize, 40);
  EXPECT_EQ(pixelFormatRequest.dwFlags, DWORD(0x25));
  EXPECT_EQ(pixelFormatRequest.cColorBits, 24);
  EXPECT_EQ(pixelFormatRequest.cDepthBits, 32);
}

TEST_F(OpenGLFrameTest, CreationBuildsTheSceneWithTheContextCurrentOnlyAroundItsCalls) {
  ASSERT_EQ(frame.open(0x16CF0000, 0, 0, 512, 512, nullptr, nullptr), 0);
  EXPECT_EQ(log.calls, (Strings{"init current", "resize 512 512 current"}));
  EXPECT_EQ(backend().calls, (Strings{"create gl 0 0 512x512", "current " + handleText(), "current none", "show",
                                      "current " + handleText(), "current none"}));
  EXPECT_EQ(backend().current, nullptr);
  EXPECT_EQ(frame.instance, reinterpret_cast<HINSTANCE>(0x5000));
  EXPECT_NE(frame.renderingContext, nullptr);
  EXPECT_EQ(frame.deviceContext, GetDC(frame.getHandle()));
  EXPECT_EQ(frame.pixelFormat, 1);
  EXPECT_EQ(frame.getTitle(), std::string("Veldrane1\0\xFF", 11));
}

TEST_F(OpenGLFrameTest, SizeOf640By480ResizesTheScene) {
  HWND window = openWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480)), 0);
  EXPECT_EQ(log.calls, (Strings{"resize 640 480 current"}));
  EXPECT_EQ(backend().current, nullptr);
}

TEST_F(OpenGLFrameTest, PaintRendersSwapsReleasesAndValidates) {
  HWND window = openWindow();
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
  EXPECT_EQ(test::pumpMessages(), -1);
  EXPECT_EQ(log.calls, (Strings{"render current"}));
  EXPECT_EQ(backend().calls, (Strings{"current " + handleText(), "swap", "current none"}));
}

TEST_F(OpenGLFrameTest, MouseButtonCodesFollowTheTable) {
  openWindow();
  backend().cursor = POINT{30, 40};
  inputMouseMove(frame.getHandle(), 1, 1);
  test::pumpMessages();
  EXPECT_EQ(lastMouseCall(), "mouse 0x0 0x0 30 40 none");
  click(WM_LBUTTONDOWN);
  EXPECT_EQ(lastMouseCall(), "mouse 0x0 0x1 30 40 none");
  inputMouseMove(frame.getHandle(), 2, 2);
  test::pumpMessages();
  EXPECT_EQ(lastMouseCall(), "mouse 0x0 0x1 30 40 none");
  click(WM_LBUTTONUP);
  EXPECT_EQ(lastMouseCall(), "mouse 0x0 0x2 30 40 none");
  inputMouseMove(frame.getHandle(), 2, 2);
  test::pumpMessages();
  EXPECT_EQ(lastMouseCall(), "mouse 0x0 0x2 30 40 none");
  click(WM_RBUTTONDOWN);
  EXPECT_EQ(lastMouseCall(), "mouse 0x0 0x10 30 40 none");
  click(WM_RBUTTONUP);
  EXPECT_EQ(lastMouseCall(), "mouse 0x0 0x20 30 40 none");
  SendMessageA(frame.getHandle(), WM_LBUTTONDBLCLK, 0, 0);
  EXPECT_EQ(lastMouseCall(), "mouse 0x0 0x4 30 40 none");
  SendMessageA(frame.getHandle(), WM_RBUTTONDBLCLK, 0, 0);
  EXPECT_EQ(lastMouseCall(), "mouse 0x0 0x40 30 40 none");
}

TEST_F(OpenGLFrameTest, PositionComesFromTheCursorNotFromLParam) {
  HWND window = openWindow();
  backend().cursor = POINT{-25, 700};  // captured drag left of and below the window
  SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(lastMouseCall(), "mouse 0x0 0x0 -25 700 none");
  EXPECT_EQ(mouse.x, -25);
  EXPECT_EQ(mouse.y, 700);
}

TEST_F(OpenGLFrameTest, ShiftAltLeftClickPassesKeys0x500) {
  openWindow();
  inputKey(VK_LSHIFT, true);
  inputKey(VK_LMENU, true);
  click(WM_LBUTTONDOWN);
  EXPECT_EQ(lastMouseCall(), "mouse 0x500 0x1 0 0 none");
  inputKey(VK_LMENU, false);
  inputKey(VK_RWIN, true);  // Super counts as Alt
  inputKey(VK_RCONTROL, true);
  click(WM_LBUTTONUP);
  EXPECT_EQ(lastMouseCall(), "mouse 0x700 0x2 0 0 none");
  inputKey(VK_LSHIFT, false);
  inputKey(VK_RWIN, false);
  inputMouseMove(frame.getHandle(), 0, 0);
  test::pumpMessages();
  EXPECT_EQ(lastMouseCall(), "mouse 0x200 0x2 0 0 none");
}

TEST_F(OpenGLFrameTest, ButtonDownCapturesAndButtonUpReleases) {
  HWND window = openWindow();
  click(WM_RBUTTONDOWN);
  EXPECT_EQ(SetCapture(window), window);  // it held the capture already
  click(WM_RBUTTONUP);
  EXPECT_EQ(SetCapture(window), nullptr);
  ReleaseCapture();
}

TEST_F(OpenGLFrameTest, EveryHandledMouseMessageReturnsZeroAndInvalidates) {
  HWND window = openWindow();
  for (UINT message = WM_MOUSEMOVE; message <= WM_RBUTTONDBLCLK; ++message) {
    log.calls.clear();
    EXPECT_EQ(SendMessageA(window, message, 0, 0), 0);
    MSG next;
    ASSERT_EQ(GetMessageA(&next, nullptr, 0, 0), TRUE) << message;
    EXPECT_EQ(next.message, UINT(WM_PAINT)) << message;
    DispatchMessageA(&next);
    EXPECT_EQ(log.calls.back(), "render current");
  }
  ReleaseCapture();
}

TEST_F(OpenGLFrameTest, MiddleButtonAndWheelAreLeftToTheDefault) {
  HWND window = openWindow();
  inputMouseButton(window, WM_MBUTTONDOWN, 3, 3);
  inputMouseButton(window, WM_MBUTTONUP, 3, 3);
  inputMouseWheel(window, 120, 3, 3);
  EXPECT_EQ(test::pumpMessages(), -1);
  EXPECT_TRUE(log.calls.empty());  // no mouse call and no paint
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

TEST_F(OpenGLFrameTest, NoPixelFormatMeansNoSceneAndNoWindow) {
  backend().failOpenGLWindow = true;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(frame.open(0x16CF0000, 0, 0, 512, 512, nullptr, nullptr), -2);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("pixel format"), std::string::npos);
  EXPECT_TRUE(log.calls.empty());
}

TEST_F(OpenGLFrameTest, ContextThatCannotBeMadeCurrentIsNeverDriven) {
  backend().failMakeCurrent = true;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(frame.open(0x16CF0000, 0, 0, 512, 512, nullptr, nullptr), -2);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("current"), std::string::npos);
  EXPECT_TRUE(log.calls.empty());
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
  backend().onWait = [&] {
    if (moves < 25) {
      inputMouseMove(window, moves, moves);
      ++moves;
    } else {
      PostQuitMessage(0);
    }
  };
  EXPECT_EQ(test::pumpMessages(), 0);
  EXPECT_EQ(std::count(log.calls.begin(), log.calls.end(), "render current"), 25);
}

}  // namespace
}  // namespace sv
