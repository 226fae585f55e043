// The wingdi.h subset against the recording backend: the pixel format makes the OpenGL window, once;
// contexts are made current, released and deleted as the WGL calls say.
#include "platform/RecordingBackend.h"
#include "platform/Win32Subset.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sv::platform {
namespace {

LRESULT CALLBACK plainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

PIXELFORMATDESCRIPTOR request() {
  PIXELFORMATDESCRIPTOR format{};
  format.nSize = sizeof(format);
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 24;
  format.cDepthBits = 32;
  return format;
}

class Win32GdiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RecordingBackend::reset();
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.lpfnWndProc = plainProc;
    windowClass.lpszClassName = "GdiClass";
    ASSERT_NE(RegisterClassExA(&windowClass), 0);
  }
  void TearDown() override { RecordingBackend::reset(); }
  RecordingBackend& backend() { return RecordingBackend::instance(); }
};

// A window whose WM_CREATE sets the pixel format and creates a context, as the viewer's does.
HGLRC createdContext = nullptr;
BOOL formatResult = FALSE;
LRESULT CALLBACK openGLProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    HDC deviceContext = GetDC(window);
    PIXELFORMATDESCRIPTOR format = request();
    int index = ChoosePixelFormat(deviceContext, &format);
    formatResult = SetPixelFormat(deviceContext, index, &format);
    createdContext = wglCreateContext(deviceContext);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND createOpenGLWindow() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(WNDCLASSEXA);
  windowClass.lpfnWndProc = openGLProc;
  windowClass.lpszClassName = "OpenGLClass";
  RegisterClassExA(&windowClass);
  createdContext = nullptr;
  formatResult = FALSE;
  return CreateWindowExA(0, "OpenGLClass", "gl", WS_VISIBLE, 0, 0, 512, 512, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(Win32GdiTest, PixelFormatMakesTheOpenGLWindowOnce) {
  HWND window = createOpenGLWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(formatResult);
  EXPECT_NE(createdContext, nullptr);
  EXPECT_EQ(backend().calls, (std::vector<std::string>{"create gl 0 0 512x512", "show"}));
  PIXELFORMATDESCRIPTOR format = request();
  EXPECT_FALSE(SetPixelFormat(GetDC(window), 1, &format));  // set once per window
  EXPECT_EQ(wglCreateContext(GetDC(window)), nullptr);      // one live context per window
}

TEST_F(Win32GdiTest, ChoosePixelFormatRefusesWhatCannotBeDrawn) {
  HWND window = createOpenGLWindow();
  PIXELFORMATDESCRIPTOR format = request();
  EXPECT_EQ(ChoosePixelFormat(GetDC(window), &format), 1);
  format.dwFlags = PFD_DRAW_TO_WINDOW;
  EXPECT_EQ(ChoosePixelFormat(GetDC(window), &format), 0);
  format = request();
  format.iPixelType = 1;  // colour index
  EXPECT_EQ(ChoosePixelFormat(GetDC(window), &format), 0);
  EXPECT_EQ(ChoosePixelFormat(nullptr, &format), 0);
  EXPECT_EQ(ChoosePixelFormat(GetDC(window), nullptr), 0);
}

TEST_F(Win32GdiTest, PlainWindowHasNoPixelFormatAndNoContext) {
  HWND window = CreateWindowExA(0, "GdiClass", "p", 0, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  PIXELFORMATDESCRIPTOR format = request();
  EXPECT_FALSE(SetPixelFormat(GetDC(window), 1, &format));  // its native window has no OpenGL
  EXPECT_EQ(wglCreateContext(GetDC(window)), nullptr);
  EXPECT_FALSE(SwapBuffers(GetDC(window)));
}

TEST_F(Win32GdiTest, FailingOpenGLWindowFailsSetPixelFormat) {
  backend().failOpenGLWindow = true;
  HWND window = createOpenGLWindow();
  EXPECT_FALSE(formatResult);
  EXPECT_EQ(createdContext, nullptr);
  ASSERT_NE(window, nullptr);  // the procedure ignored it; the window is plain
  EXPECT_EQ(backend().calls.front(), "create plain 0 0 512x512");
}

TEST_F(Win32GdiTest, ContextsAreMadeCurrentReleasedAndDeleted) {
  HWND window = createOpenGLWindow();
  HDC deviceContext = GetDC(window);
  backend().calls.clear();
  ASSERT_TRUE(wglMakeCurrent(deviceContext, createdContext));
  EXPECT_EQ(backend().current, window);
  EXPECT_TRUE(SwapBuffers(deviceContext));
  ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
  EXPECT_EQ(backend().current, nullptr);
  ASSERT_TRUE(wglMakeCurrent(deviceContext, createdContext));
  EXPECT_TRUE(wglDeleteContext(createdContext));  // deleting the current context releases it
  EXPECT_EQ(backend().current, nullptr);
  EXPECT_FALSE(wglMakeCurrent(deviceContext, createdContext));
  EXPECT_FALSE(wglDeleteContext(createdContext));
  EXPECT_NE(wglCreateContext(deviceContext), nullptr);  // the window may have a new one
}

TEST_F(Win32GdiTest, FailedMakeCurrentLeavesNoContextCurrent) {
  HWND window = createOpenGLWindow();
  HDC deviceContext = GetDC(window);
  ASSERT_TRUE(wglMakeCurrent(deviceContext, createdContext));
  backend().failMakeCurrent = true;
  EXPECT_FALSE(wglMakeCurrent(deviceContext, createdContext));
  EXPECT_EQ(backend().current, nullptr);
  EXPECT_FALSE(wglMakeCurrent(reinterpret_cast<HDC>(0x99), createdContext));
}

TEST_F(Win32GdiTest, DestroyingTheWindowReleasesItsCurrentContext) {
  HWND window = createOpenGLWindow();
  HDC deviceContext = GetDC(window);
  ASSERT_TRUE(wglMakeCurrent(deviceContext, createdContext));
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(backend().current, nullptr);
  EXPECT_FALSE(wglMakeCurrent(deviceContext, createdContext));
  EXPECT_TRUE(wglDeleteContext(createdContext));
}

TEST_F(Win32GdiTest, BackgroundModeAndStockBrush) {
  HWND window = createOpenGLWindow();
  EXPECT_EQ(SetBkMode(GetDC(window), TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(GetDC(window), OPAQUE), TRANSPARENT);
  EXPECT_EQ(SetBkMode(GetDC(window), 7), 0);
  EXPECT_NE(GetStockObject(WHITE_BRUSH), nullptr);
  EXPECT_EQ(GetStockObject(5), nullptr);
}

}  // namespace
}  // namespace sv::platform
