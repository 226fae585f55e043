// The Win32 subset against the recording backend, where real windows would refuse: bad classes and
// failed creations, hostile arguments and stale handles, pixel formats and contexts out of turn; and
// the order GetMessageA keeps: input as it came (moves coalesced), then quit, paint last.
#include "platform/backend/Input.h"
#include "platform/backend/RecordingBackend.h"
#include "platform/state/WindowSystemState.h"
#include "platform/win32/Win32Subset.h"

#include <vector>

#include <gtest/gtest.h>

namespace sv::platform {
namespace {

std::vector<UINT> seen;  // what the window procedure got
LRESULT createResult = 0;
bool closeOnCreate = false, openGL = false;
HGLRC createdContext = nullptr;

// Answers WM_CREATE as told; an OpenGL window gets its pixel format and context there, as the viewer's does.
LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  seen.push_back(message);
  if (message != WM_CREATE) return DefWindowProcA(window, message, wParam, lParam);
  if (closeOnCreate) SendMessageA(window, WM_CLOSE, 0, 0);
  PIXELFORMATDESCRIPTOR format{};
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  if (openGL && SetPixelFormat(GetDC(window), ChoosePixelFormat(GetDC(window), &format), &format)) {
    createdContext = wglCreateContext(GetDC(window));
  }
  return createResult;
}

class Win32SubsetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WindowSystemState::instance().clear();
    RecordingBackend::instance() = {};
    seen.clear();
    createResult = 0;
    closeOnCreate = openGL = false;
    ASSERT_NE(RegisterClassExA(&windowClass), 0);
  }
  HWND create(HWND parent = nullptr) {
    seen.clear();
    return CreateWindowExA(0, "TestClass", "ab", WS_VISIBLE, 10, 20, 640, 480, parent, nullptr, nullptr, nullptr);
  }
  // The next message GetMessageA returns; 0 when it fails (it would block).
  UINT next(LPARAM* lParam = nullptr) {
    MSG message{};
    if (GetMessageA(&message, nullptr, 0, 0) == -1) return 0;
    if (lParam) *lParam = message.lParam;
    return message.message;
  }
  WNDCLASSEXA windowClass{sizeof(WNDCLASSEXA), 0,      recordingProc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                          "TestClass",         nullptr};
};

TEST_F(Win32SubsetTest, RegistrationAndCreationFailWhereRealWindowsFail) {
  WNDCLASSEXA other = windowClass;
  other.lpszClassName = "TESTCLASS";  // names ignore case
  EXPECT_EQ(RegisterClassExA(&other), 0);
  other.lpszClassName = "Other";
  for (auto [size, procedure] : {std::pair<UINT, WNDPROC>{48, recordingProc}, {sizeof(WNDCLASSEXA), nullptr}}) {
    other.cbSize = size;  // 48 is the size on 32-bit Windows only
    other.lpfnWndProc = procedure;
    EXPECT_EQ(RegisterClassExA(&other), 0);
  }
  EXPECT_EQ(RegisterClassExA(nullptr), 0);
  createResult = -1;
  EXPECT_EQ(create(), nullptr);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
  EXPECT_TRUE(RecordingBackend::instance().calls.empty()) << "no native window was made";
  createResult = 0;
  closeOnCreate = true;
  EXPECT_EQ(create(), nullptr);
  closeOnCreate = false;
  EXPECT_EQ(CreateWindowExA(0, "Nope", "x", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(create(create()), nullptr) << "no child windows";
}

TEST_F(Win32SubsetTest, HostileArgumentsAndStaleHandlesAreRefusedNotDereferenced) {
  HWND stale = create();
  SendMessageA(stale, WM_CLOSE, 0, 0);
  MSG message;
  for (HWND bad : {reinterpret_cast<HWND>(0x1234), stale}) {
    EXPECT_EQ(GetMessageA(&message, bad, 0, 0), -1);
    EXPECT_EQ(BeginPaint(bad, nullptr), nullptr);
    EXPECT_EQ(GetDC(bad), nullptr);
    EXPECT_EQ(SendMessageA(bad, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(SetWindowTextA(bad, "x"));
  }
  EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
  EXPECT_EQ(DispatchMessageA(nullptr), 0);
  EXPECT_FALSE(RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE));
  EXPECT_FALSE(ScreenToClient(nullptr, nullptr));
  EXPECT_EQ(GetModuleHandleA("other.dll"), nullptr);
  EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
  for (int key : {-1, 256, 100000}) inputKey(key, true);
  EXPECT_EQ(GetKeyState(-1) | GetKeyState(256), 0);
}

TEST_F(Win32SubsetTest, InputComesInOrderWithMovesCoalescedThenQuitThenPaint) {
  HWND window = create();
  EXPECT_EQ(GetWindowTextLengthA(window), 2);
  for (int xy : {1, 2}) inputMouseMove(window, xy, xy);
  inputMouseButton(window, WM_LBUTTONDOWN, 2, 2);
  inputMouseMove(window, 3, 3);
  PostQuitMessage(7);
  LPARAM at = 0;
  for (auto [id, lParam] : {std::pair<UINT, LPARAM>{WM_MOUSEMOVE, MAKELPARAM(2, 2)},
                            {WM_LBUTTONDOWN, MAKELPARAM(2, 2)},
                            {WM_MOUSEMOVE, MAKELPARAM(3, 3)}}) {
    EXPECT_EQ(std::pair(next(&at), at), std::pair(id, lParam));
  }
  MSG message{};
  EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), FALSE) << "the quit comes after the input posted before it";
  EXPECT_EQ(message.wParam, WPARAM(7));
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(std::pair(message.message, message.hwnd), std::pair(UINT(WM_PAINT), window));
  DispatchMessageA(&message);  // the default processing validates
  EXPECT_EQ(next(), 0u) << "the quit is reported once, then GetMessageA would block";
}

TEST_F(Win32SubsetTest, PixelFormatIsSetOnceAndContextsAreMadeCurrentOnlyWhileAlive) {
  HDC plain = GetDC(create());
  EXPECT_EQ(wglCreateContext(plain), nullptr) << "a window without a pixel format";
  EXPECT_FALSE(SwapBuffers(plain));
  openGL = true;
  HWND window = create();
  HDC deviceContext = GetDC(window);
  ASSERT_NE(createdContext, nullptr);
  PIXELFORMATDESCRIPTOR format{};
  EXPECT_FALSE(SetPixelFormat(deviceContext, 1, &format));
  EXPECT_EQ(wglCreateContext(deviceContext), nullptr) << "one live context per window";
  ASSERT_TRUE(wglMakeCurrent(deviceContext, createdContext));
  EXPECT_EQ(RecordingBackend::instance().current, window);
  EXPECT_TRUE(wglDeleteContext(createdContext));  // deleting the current context releases it
  EXPECT_EQ(RecordingBackend::instance().current, nullptr);
  EXPECT_FALSE(wglMakeCurrent(deviceContext, createdContext));
  createdContext = wglCreateContext(deviceContext);
  ASSERT_TRUE(wglMakeCurrent(deviceContext, createdContext));
  RecordingBackend::instance().failMakeCurrent = true;
  EXPECT_FALSE(wglMakeCurrent(deviceContext, createdContext));
  EXPECT_EQ(RecordingBackend::instance().current, nullptr) << "a failed switch leaves none current";
}

}  // namespace
}  // namespace sv::platform
