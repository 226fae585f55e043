// The winuser.h subset against the recording backend: creation messages, WM_CREATE failing creation,
// WM_SIZE, the paint rules, GetMessageA's order and blocking, mouse input and capture, close and quit.
#include "platform/backend/Input.h"
#include "platform/backend/RecordingBackend.h"
#include "platform/state/WindowSystemState.h"
#include "platform/win32/Win32Subset.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sv::platform {
namespace {

std::vector<MSG> seen;  // what the window procedure got
LRESULT createResult = 0;
bool closeOnCreate = false;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  seen.push_back({window, message, wParam, lParam, 0, {}});
  if (message == WM_CREATE) {
    if (closeOnCreate) SendMessageA(window, WM_CLOSE, 0, 0);
    return createResult;
  }
  if (message == WM_DESTROY) PostQuitMessage(3);
  return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<UINT> messagesSeen() {
  std::vector<UINT> ids;
  for (const MSG& s : seen) ids.push_back(s.message);
  return ids;
}

class Win32UserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WindowSystemState::instance().clear();
    RecordingBackend::instance() = {};
    seen.clear();
    createResult = 0;
    closeOnCreate = false;
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = recordingProc;
    windowClass.lpszClassName = "TestClass";
    ASSERT_NE(RegisterClassExA(&windowClass), 0);
  }
  void TearDown() override {
    WindowSystemState::instance().clear();
    RecordingBackend::instance() = {};
  }

  HWND create(DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE) {
    return CreateWindowExA(0, "TestClass", "ab", style, 10, 20, 640, 480, nullptr, nullptr, nullptr, nullptr);
  }
  // A shown window with nothing to paint.
  HWND createValid() {
    HWND window = create();
    RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE);
    seen.clear();
    return window;
  }
  // The next message GetMessageA returns; message 0 when it fails.
  MSG next() {
    MSG message{};
    if (GetMessageA(&message, nullptr, 0, 0) == -1) message.message = 0;
    return message;
  }
  RecordingBackend& backend() { return RecordingBackend::instance(); }
  WNDCLASSEXA windowClass{};
};

TEST_F(Win32UserTest, RegistrationRefusesWrongSizeMissingProcedureAndTakenNames) {
  WNDCLASSEXA other = windowClass;
  other.lpszClassName = "Other";
  other.cbSize = 48;  // the size of the structure on 32-bit Windows only
  EXPECT_EQ(RegisterClassExA(&other), 0);
  other.cbSize = sizeof(WNDCLASSEXA);
  other.lpfnWndProc = nullptr;
  EXPECT_EQ(RegisterClassExA(&other), 0);
  other.lpfnWndProc = recordingProc;
  other.lpszClassName = "TESTCLASS";  // names ignore case
  EXPECT_EQ(RegisterClassExA(&other), 0);
  EXPECT_EQ(RegisterClassExA(nullptr), 0);
  other.lpszClassName = "Other";
  EXPECT_NE(RegisterClassExA(&other), 0);
}

TEST_F(Win32UserTest, CreationSendsCreateBeforeReturningThenSizeAndShowsWhenVisible) {
  ASSERT_NE(create(WS_OVERLAPPEDWINDOW), nullptr);  // hidden: neither shown nor painted
  EXPECT_EQ(backend().calls, (std::vector<std::string>{"create plain 10 20 640x480"}));
  EXPECT_EQ(next().message, 0u);
  seen.clear();
  backend().calls.clear();
  HWND window = create();
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(messagesSeen(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE}));
  EXPECT_EQ(seen[2].wParam, WPARAM(SIZE_RESTORED));
  EXPECT_EQ(seen[2].lParam, MAKELPARAM(640, 480));
  EXPECT_EQ(backend().calls, (std::vector<std::string>{"create plain 10 20 640x480", "show"}));
  // The title goes through messages to the native window.
  EXPECT_EQ(GetWindowTextLengthA(window), 2);
  EXPECT_TRUE(SetWindowTextA(window, "Veldrane1"));
  EXPECT_EQ(backend().calls.back(), "title Veldrane1");
  char buffer[6];
  EXPECT_EQ(GetWindowTextA(window, buffer, 6), 5);
  EXPECT_STREQ(buffer, "Veldr");
  EXPECT_EQ(GetWindowTextLengthA(window), 9);
  EXPECT_EQ(GetWindowTextA(window, buffer, 0), 0);
}

TEST_F(Win32UserTest, CreationFailsForCreateResultMinusOneCloseDuringCreateUnknownClassOrChild) {
  createResult = -1;
  EXPECT_EQ(create(), nullptr);
  EXPECT_EQ(messagesSeen(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
  EXPECT_TRUE(backend().calls.empty());  // no native window was ever made
  createResult = 0;
  closeOnCreate = true;
  EXPECT_EQ(create(), nullptr);
  closeOnCreate = false;
  EXPECT_EQ(CreateWindowExA(0, "Nope", "x", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  HWND parent = create();
  EXPECT_EQ(CreateWindowExA(0, "TestClass", "x", 0, 0, 0, 1, 1, parent, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(Win32UserTest, PaintComesOnlyWhenInvalidAndNothingElseWaits) {
  HWND window = create();
  inputMouseMove(window, 5, 5);
  EXPECT_EQ(next().message, UINT(WM_MOUSEMOVE));  // shown and invalid, but input goes first
  MSG paintMessage = next();
  EXPECT_EQ(paintMessage.message, UINT(WM_PAINT));
  EXPECT_EQ(paintMessage.hwnd, window);
  EXPECT_EQ(next().message, UINT(WM_PAINT));  // not validated yet: the paint comes again
  PAINTSTRUCT paint;
  EXPECT_EQ(BeginPaint(window, &paint), GetDC(window));
  EXPECT_EQ(std::pair(paint.rcPaint.right, paint.rcPaint.bottom), (std::pair<LONG, LONG>(640, 480)));
  EndPaint(window, &paint);
  for (int i = 0; i < 3; ++i) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);  // coalesce into one
  paintMessage = next();
  EXPECT_EQ(paintMessage.message, UINT(WM_PAINT));
  DispatchMessageA(&paintMessage);  // DefWindowProcA validates
  EXPECT_EQ(next().message, 0u);    // nothing left: it would block
  EXPECT_EQ(backend().waits, 1);
}

TEST_F(Win32UserTest, GetMessageBlocksInTheWindowSystemUntilInputArrives) {
  HWND window = createValid();
  int waitsBeforeInput = 0;
  backend().onWait = [&] {
    ++waitsBeforeInput;
    inputMouseButton(window, WM_LBUTTONDOWN, 1, 2);
  };
  MSG message = next();
  EXPECT_EQ(message.message, UINT(WM_LBUTTONDOWN));
  EXPECT_EQ(message.wParam, WPARAM(MK_LBUTTON));
  EXPECT_EQ(waitsBeforeInput, 1);
}

TEST_F(Win32UserTest, ResizeSendsTheLatestDrawableSizeAndResizeOrExposureInvalidates) {
  HWND window = createValid();
  inputResize(window, 300, 200, false);
  inputResize(window, 320, 240, false);  // only the latest size is delivered
  EXPECT_EQ(next().message, UINT(WM_PAINT));
  ASSERT_EQ(messagesSeen(), (std::vector<UINT>{WM_SIZE}));
  EXPECT_EQ(seen[0].lParam, MAKELPARAM(320, 240));
  RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE);
  inputExpose(window);
  EXPECT_EQ(next().message, UINT(WM_PAINT));
}

TEST_F(Win32UserTest, CloseDestroysThroughDefaultProcessingAndQuitEndsTheLoop) {
  HWND window = createValid();
  inputClose(window);
  MSG message = next();
  EXPECT_EQ(message.message, UINT(WM_CLOSE));
  DispatchMessageA(&message);
  EXPECT_EQ(messagesSeen(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
  EXPECT_EQ(backend().calls.back(), "destroy");
  EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), FALSE);
  EXPECT_EQ(message.message, UINT(WM_QUIT));
  EXPECT_EQ(message.wParam, WPARAM(3));
  EXPECT_EQ(GetDC(window), nullptr);  // the handle is gone
  EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
}

TEST_F(Win32UserTest, QuitWaitsForMessagesPostedBeforeIt) {
  inputMouseMove(createValid(), 1, 1);
  PostQuitMessage(0);
  MSG message;
  EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), FALSE);
}

TEST_F(Win32UserTest, CursorPositionAndCaptureGiveClientCoordinates) {
  HWND window = create();
  backend().cursor = POINT{5, 700};  // left of and below the window
  POINT point;
  ASSERT_TRUE(GetCursorPos(&point));
  ASSERT_TRUE(ScreenToClient(window, &point));
  EXPECT_EQ(std::pair(point.x, point.y), (std::pair<LONG, LONG>(-5, 680)));
  EXPECT_EQ(SetCapture(window), nullptr);
  EXPECT_EQ(SetCapture(window), window);
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(SetCapture(window), nullptr);
  backend().cursorKnown = false;
  EXPECT_FALSE(GetCursorPos(&point));
}

TEST_F(Win32UserTest, MouseInputCarriesKeyFlagsAndPositionAndKeyStateIsTheStateAtHandlingTime) {
  HWND window = createValid();
  inputKey(VK_LSHIFT, true);
  inputMouseButton(window, WM_RBUTTONDOWN, 7, -3);
  inputMouseButton(window, WM_RBUTTONUP, 8, 9);
  inputMouseWheel(window, -120, 50, 60);
  inputKey(VK_LWIN, true);  // pressed after the input was queued, before it is handled
  MSG message = next();
  EXPECT_EQ(message.message, UINT(WM_RBUTTONDOWN));
  EXPECT_EQ(message.wParam, WPARAM(MK_RBUTTON | MK_SHIFT));
  EXPECT_EQ(message.lParam, MAKELPARAM(7, -3));
  EXPECT_LT(GetKeyState(VK_MENU), 0);
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);
  message = next();
  EXPECT_EQ(message.message, UINT(WM_RBUTTONUP));
  EXPECT_EQ(message.wParam, WPARAM(MK_SHIFT));
  message = next();
  EXPECT_EQ(message.message, UINT(WM_MOUSEWHEEL));
  EXPECT_EQ(static_cast<short>(HIWORD(message.wParam)), -120);
  inputKey(VK_LWIN, false);
  EXPECT_GE(GetKeyState(VK_MENU), 0);
}

TEST_F(Win32UserTest, BadArgumentsAreRefusedNotDereferenced) {
  MSG message;
  EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
  EXPECT_EQ(GetMessageA(&message, reinterpret_cast<HWND>(0x1234), 0, 0), -1);
  EXPECT_EQ(DispatchMessageA(nullptr), 0);
  EXPECT_EQ(BeginPaint(reinterpret_cast<HWND>(0x1234), nullptr), nullptr);
  EXPECT_FALSE(RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE));
  EXPECT_FALSE(ScreenToClient(nullptr, nullptr));
  EXPECT_FALSE(SetWindowTextA(reinterpret_cast<HWND>(0x1234), "x"));
  EXPECT_EQ(GetModuleHandleA("other.dll"), nullptr);
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(32513)), nullptr);
}

}  // namespace
}  // namespace sv::platform
