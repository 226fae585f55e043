// The wingdi.h subset against the recording backend: the pixel format makes the OpenGL window, once;
// contexts are made current, released and deleted as the WGL calls say.
#include "platform/backend/RecordingBackend.h"
#include "platform/state/WindowSystemState.h"
#include "platform/win32/Win32Subset.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sv::platform {
namespace {

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

// A window whose WM_CREATE sets the pixel format and creates a context, as the viewer's does.
HGLRC createdContext = nullptr;
BOOL formatResult = FALSE;
LRESULT CALLBACK openGLProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_CREATE) return DefWindowProcA(window, message, wParam, lParam);
  HDC deviceContext = GetDC(window);
  PIXELFORMATDESCRIPTOR format = request();
  formatResult = SetPixelFormat(deviceContext, ChoosePixelFormat(deviceContext, &format), &format);
  createdContext = wglCreateContext(deviceContext);
  return 0;
}

class Win32GdiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WindowSystemState::instance().clear();
    RecordingBackend::instance() = {};
    createdContext = nullptr;
    formatResult = FALSE;
    for (auto [name, procedure] :
         {std::pair<const char*, WNDPROC>{"OpenGLClass", openGLProc}, {"PlainClass", DefWindowProcA}}) {
      WNDCLASSEXA windowClass{};
      windowClass.cbSize = sizeof(WNDCLASSEXA);
      windowClass.lpfnWndProc = procedure;
      windowClass.lpszClassName = name;
      ASSERT_NE(RegisterClassExA(&windowClass), 0);
    }
  }
  void TearDown() override {
    WindowSystemState::instance().clear();
    RecordingBackend::instance() = {};
  }
  HWND create(const char* className = "OpenGLClass") {
    return CreateWindowExA(0, className, "gl", WS_VISIBLE, 0, 0, 512, 512, nullptr, nullptr, nullptr, nullptr);
  }
  RecordingBackend& backend() { return RecordingBackend::instance(); }
  PIXELFORMATDESCRIPTOR format = request();
};

TEST_F(Win32GdiTest, PixelFormatMakesTheOpenGLWindowOnce) {
  HWND window = create();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(formatResult);
  EXPECT_NE(createdContext, nullptr);
  EXPECT_EQ(backend().calls, (std::vector<std::string>{"create gl 0 0 512x512", "show"}));
  EXPECT_FALSE(SetPixelFormat(GetDC(window), 1, &format));  // set once per window
  EXPECT_EQ(wglCreateContext(GetDC(window)), nullptr);      // one live context per window
}

TEST_F(Win32GdiTest, ChoosePixelFormatRefusesWhatCannotBeDrawn) {
  HDC deviceContext = GetDC(create());
  EXPECT_EQ(ChoosePixelFormat(deviceContext, &format), 1);
  EXPECT_EQ(ChoosePixelFormat(nullptr, &format), 0);
  EXPECT_EQ(ChoosePixelFormat(deviceContext, nullptr), 0);
  format.iPixelType = 1;  // colour index
  EXPECT_EQ(ChoosePixelFormat(deviceContext, &format), 0);
  format = request();
  format.dwFlags = PFD_DRAW_TO_WINDOW;
  EXPECT_EQ(ChoosePixelFormat(deviceContext, &format), 0);
}

TEST_F(Win32GdiTest, PlainOrFailedOpenGLWindowHasNoPixelFormatAndNoContext) {
  HWND window = create("PlainClass");
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(SetPixelFormat(GetDC(window), 1, &format));  // its native window has no OpenGL
  EXPECT_EQ(wglCreateContext(GetDC(window)), nullptr);
  EXPECT_FALSE(SwapBuffers(GetDC(window)));
  backend().calls.clear();
  backend().failOpenGLWindow = true;
  window = create();
  EXPECT_FALSE(formatResult);
  EXPECT_EQ(createdContext, nullptr);
  ASSERT_NE(window, nullptr);  // the procedure ignored it; the window is plain
  EXPECT_EQ(backend().calls.front(), "create plain 0 0 512x512");
}

TEST_F(Win32GdiTest, ContextsAreMadeCurrentReleasedAndDeleted) {
  HWND window = create();
  HDC deviceContext = GetDC(window);
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

TEST_F(Win32GdiTest, FailedMakeCurrentOrDestroyedWindowLeavesNoContextCurrent) {
  HWND window = create();
  HDC deviceContext = GetDC(window);
  ASSERT_TRUE(wglMakeCurrent(deviceContext, createdContext));
  backend().failMakeCurrent = true;
  EXPECT_FALSE(wglMakeCurrent(deviceContext, createdContext));
  EXPECT_EQ(backend().current, nullptr);
  EXPECT_FALSE(wglMakeCurrent(reinterpret_cast<HDC>(0x99), createdContext));
  backend().failMakeCurrent = false;
  ASSERT_TRUE(wglMakeCurrent(deviceContext, createdContext));
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(backend().current, nullptr);
  EXPECT_FALSE(wglMakeCurrent(deviceContext, createdContext));
  EXPECT_TRUE(wglDeleteContext(createdContext));
}

}  // namespace
}  // namespace sv::platform
