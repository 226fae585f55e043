// The Win32 subset on the recording backend: bad classes, hostile arguments, stale handles, contexts out of
// turn and out-of-range keys refused; key, character, wheel and timer messages in Win32's order.
#include "platform/backend/Input.h"
#include "platform/backend/RecordingBackend.h"
#include "platform/state/WindowSystemState.h"
#include "platform/win32/Win32Subset.h"

#include <chrono>

#include <gtest/gtest.h>

namespace sv::platform {
namespace {

HGLRC createdContext = nullptr;

// An OpenGL window gets its pixel format and context on WM_CREATE, as the viewer's does.
LRESULT CALLBACK openGLProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  PIXELFORMATDESCRIPTOR format{};
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  HDC deviceContext = GetDC(window);
  if (message == WM_CREATE && SetPixelFormat(deviceContext, ChoosePixelFormat(deviceContext, &format), &format))
    createdContext = wglCreateContext(deviceContext);
  return DefWindowProcA(window, message, wParam, lParam);
}

class Win32SubsetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WindowSystemState::instance().clear();
    RecordingBackend::instance() = {};
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    for (auto [name, procedure] : {std::pair<const char*, WNDPROC>{"Plain", DefWindowProcA}, {"OpenGL", openGLProc}}) {
      windowClass.lpszClassName = name, windowClass.lpfnWndProc = procedure;
      ASSERT_NE(RegisterClassExA(&windowClass), 0);
    }
  }
  HWND create(const char* className) {
    return CreateWindowExA(0, className, "ab", WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
  }
  WNDCLASSEXA windowClass{};
};

TEST_F(Win32SubsetTest, BadClassesHostileArgumentsAndStaleHandlesAreRefusedNotDereferenced) {
  windowClass.lpszClassName = "Other", windowClass.cbSize = 48;  // the size on 32-bit Windows only
  EXPECT_EQ(RegisterClassExA(&windowClass), 0);
  windowClass.cbSize = sizeof(WNDCLASSEXA), windowClass.lpfnWndProc = nullptr;
  EXPECT_EQ(RegisterClassExA(&windowClass) | RegisterClassExA(nullptr), 0);
  HWND stale = create("Plain");
  SendMessageA(stale, WM_CLOSE, 0, 0);
  MSG message;
  PAINTSTRUCT paint;
  for (HWND bad : {reinterpret_cast<HWND>(0x1234), stale}) {
    EXPECT_EQ(GetMessageA(&message, bad, 0, 0), -1);
    EXPECT_FALSE(BeginPaint(bad, &paint) || EndPaint(bad, &paint) || GetDC(bad) || SetWindowTextA(bad, "x"));
    EXPECT_EQ(SendMessageA(bad, WM_CLOSE, 0, 0), 0);
    inputResize(bad, 8, 8, false);
  }
  HWND live = create("Plain");
  EXPECT_TRUE(EndPaint(live, &paint) && !EndPaint(live, nullptr)) << "a paint record is needed, and enough";
  EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0) + DispatchMessageA(nullptr), -1);
  EXPECT_FALSE(SwapBuffers(nullptr) || ScreenToClient(nullptr, nullptr) || RedrawWindow(nullptr, nullptr, nullptr, 0));
  HWND resized = create("pLAIN");
  ASSERT_NE(resized, nullptr) << "class names ignore case";
  EXPECT_EQ(CreateWindowExA(0, LPCSTR(0xC000), "atom", 0, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr), nullptr);
  RedrawWindow(resized, nullptr, nullptr, RDW_VALIDATE), inputResize(resized, 8, 8, false);
  EXPECT_TRUE(WindowSystemState::instance().window(resized)->invalid) << "a new size repaints";
  for (int key : {-1, 256, 100000}) inputKey(key, true);
  EXPECT_EQ(GetKeyState(-1) | GetKeyState(256), 0);
}

TEST_F(Win32SubsetTest, ContextsNeedAPixelFormatOnePerWindowAndAreCurrentOnlyWhileAlive) {
  EXPECT_EQ((WindowSystemState::instance().addWindow(), WindowSystemState::instance().anyNativeWindow()), nullptr);
  HDC plain = GetDC(create("Plain"));
  EXPECT_FALSE(wglCreateContext(plain) || SwapBuffers(plain)) << "a window without a pixel format";
  HDC deviceContext = GetDC(create("OpenGL"));
  ASSERT_TRUE(createdContext != nullptr && SwapBuffers(deviceContext));
  EXPECT_EQ(wglCreateContext(deviceContext), nullptr) << "one live context per window";
  ASSERT_TRUE(wglMakeCurrent(deviceContext, createdContext));
  EXPECT_FALSE(wglMakeCurrent(plain, createdContext) || RecordingBackend::instance().current) << "fails to none";
  ASSERT_TRUE(wglMakeCurrent(deviceContext, createdContext));
  EXPECT_TRUE(wglDeleteContext(createdContext));  // deleting the current context releases it
  EXPECT_EQ(RecordingBackend::instance().current, nullptr);
  EXPECT_FALSE(wglMakeCurrent(deviceContext, createdContext));
  EXPECT_NE(wglCreateContext(deviceContext), nullptr) << "the window may have a new one";
}

// A character follows its key; GetKeyState follows the messages read; a timer comes last, at its pace.
TEST_F(Win32SubsetTest, CharactersFollowTheirKeyAndTimersComeLastAtTheirPace) {
  HWND window = create("Plain");
  inputKeyMessage(window, VK_LCONTROL, true, false), inputKeyMessage(window, 'Q', true, true);
  inputCharacter(window, 'q'), inputWheel(window, -WHEEL_DELTA, 3, 4), inputKeyMessage(window, 'Q', false, false);
  inputKeyMessage(window, VK_LCONTROL, false, false);  // let go before any of it is read
  ASSERT_EQ(SetTimer(window, 7, 10, nullptr), 7u);
  auto started = std::chrono::steady_clock::now();
  MSG m;
  std::vector<std::tuple<UINT, WPARAM, LPARAM>> got;
  std::string control;  // GetKeyState(VK_CONTROL) at each message: held (C) or not (-)
  while (got.size() < 9 && GetMessageA(&m, nullptr, 0, 0) > 0) {
    got.emplace_back(m.message, m.wParam, m.lParam), TranslateMessage(&m), DispatchMessageA(&m);
    control += GetKeyState(VK_CONTROL) < 0 ? 'C' : '-';
  }
  EXPECT_EQ(got, (std::vector<std::tuple<UINT, WPARAM, LPARAM>>{
                     {WM_KEYDOWN, VK_CONTROL, 1},
                     {WM_KEYDOWN, 'Q', 1 | 1 << 30},
                     {WM_CHAR, 'q', 1},
                     {WM_MOUSEWHEEL, std::uint32_t(-WHEEL_DELTA) << 16 | MK_CONTROL, MAKELPARAM(3, 4)},
                     {WM_KEYUP, 'Q', LPARAM(1u | 1u << 30 | 1u << 31)},
                     {WM_KEYUP, VK_CONTROL, LPARAM(1u | 1u << 30 | 1u << 31)},
                     {WM_PAINT, 0, 0},
                     {WM_TIMER, 7, 0},
                     {WM_TIMER, 7, 0}}));
  EXPECT_EQ(control, "CCCCC----") << "key state as of the message read";
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(20)) << "two periods of 10 ms";
  EXPECT_EQ(SetTimer(window, 8, 10, [](HWND, UINT, UINT_PTR, DWORD) {}), 0u) << "no timer procedures";
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(KillTimer(window, 7)) << "gone with its window";
}

}  // namespace
}  // namespace sv::platform
