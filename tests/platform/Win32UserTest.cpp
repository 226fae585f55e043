// The winuser.h subset against the recording backend: creation messages, WM_CREATE failing creation,
// WM_SIZE, the paint rules, GetMessageA's order and blocking, mouse input and capture, close and quit.
#include "platform/Input.h"
#include "platform/RecordingBackend.h"
#include "platform/Win32Subset.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sv::platform {
namespace {

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::vector<Seen> seen;
LRESULT createResult = 0;
bool closeOnCreate = false;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  seen.push_back({message, wParam, lParam});
  if (message == WM_CREATE) {
    if (closeOnCreate) SendMessageA(window, WM_CLOSE, 0, 0);
    return createResult;
  }
  if (message == WM_DESTROY) PostQuitMessage(3);
  return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<UINT> messagesSeen() {
  std::vector<UINT> ids;
  for (const Seen& s : seen) ids.push_back(s.message);
  return ids;
}

class Win32UserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RecordingBackend::reset();
    seen.clear();
    createResult = 0;
    closeOnCreate = false;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.lpfnWndProc = recordingProc;
    windowClass.lpszClassName = "TestClass";
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    ASSERT_NE(RegisterClassExA(&windowClass), 0);
  }
  void TearDown() override { RecordingBackend::reset(); }

  HWND create(DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE) {
    return CreateWindowExA(0, "TestClass", "ab", style, 10, 20, 640, 480, nullptr, nullptr, nullptr, nullptr);
  }
  RecordingBackend& backend() { return RecordingBackend::instance(); }
};

TEST_F(Win32UserTest, RegistrationRefusesWrongSizeMissingProcedureAndTakenNames) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = 48;  // the size of the structure on 32-bit Windows only
  windowClass.lpfnWndProc = recordingProc;
  windowClass.lpszClassName = "Other";
  EXPECT_EQ(RegisterClassExA(&windowClass), 0);
  windowClass.cbSize = sizeof(WNDCLASSEXA);
  windowClass.lpfnWndProc = nullptr;
  EXPECT_EQ(RegisterClassExA(&windowClass), 0);
  windowClass.lpfnWndProc = recordingProc;
  windowClass.lpszClassName = "TESTCLASS";  // names ignore case
  EXPECT_EQ(RegisterClassExA(&windowClass), 0);
  EXPECT_EQ(RegisterClassExA(nullptr), 0);
  windowClass.lpszClassName = "Other";
  EXPECT_NE(RegisterClassExA(&windowClass), 0);
}

TEST_F(Win32UserTest, CreationSendsCreateBeforeReturningThenSizeAndShows) {
  HWND window = create();
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(messagesSeen(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE}));
  EXPECT_EQ(seen[2].wParam, WPARAM(SIZE_RESTORED));
  EXPECT_EQ(LOWORD(seen[2].lParam), 640);
  EXPECT_EQ(HIWORD(seen[2].lParam), 480);
  EXPECT_EQ(backend().calls, (std::vector<std::string>{"create plain 10 20 640x480", "show"}));
  EXPECT_EQ(GetWindowTextLengthA(window), 2);
}

TEST_F(Win32UserTest, CreateResultMinusOneFailsCreationAndDestroysTheWindow) {
  createResult = -1;
  EXPECT_EQ(create(), nullptr);
  EXPECT_EQ(messagesSeen(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
  EXPECT_TRUE(backend().calls.empty());  // no native window was ever made
}

TEST_F(Win32UserTest, WindowClosedDuringItsCreationIsNotReturned) {
  closeOnCreate = true;
  EXPECT_EQ(create(), nullptr);
}

TEST_F(Win32UserTest, UnknownClassOrChildWindowFails) {
  EXPECT_EQ(CreateWindowExA(0, "Nope", "x", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  HWND parent = create();
  EXPECT_EQ(CreateWindowExA(0, "TestClass", "x", 0, 0, 0, 1, 1, parent, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(Win32UserTest, WindowTextRoundTripsThroughMessages) {
  HWND window = create();
  EXPECT_TRUE(SetWindowTextA(window, "Veldrane1"));
  EXPECT_EQ(backend().calls.back(), "title Veldrane1");
  char buffer[6];
  EXPECT_EQ(GetWindowTextA(window, buffer, 6), 5);
  EXPECT_STREQ(buffer, "Veldr");
  EXPECT_EQ(GetWindowTextLengthA(window), 9);
  EXPECT_EQ(GetWindowTextA(window, buffer, 0), 0);
}

TEST_F(Win32UserTest, PaintComesOnlyWhenInvalidAndNothingElseWaits) {
  HWND window = create();
  seen.clear();
  inputMouseMove(window, 5, 5);
  MSG message;
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, UINT(WM_MOUSEMOVE));  // shown and invalid, but input goes first
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, UINT(WM_PAINT));
  EXPECT_EQ(message.hwnd, window);
  // Not validated yet: the paint comes again.
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, UINT(WM_PAINT));
  PAINTSTRUCT paint;
  EXPECT_EQ(BeginPaint(window, &paint), GetDC(window));
  EXPECT_EQ(paint.rcPaint.right, 640);
  EXPECT_EQ(paint.rcPaint.bottom, 480);
  EndPaint(window, &paint);
  // Three invalidations coalesce into one paint.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, UINT(WM_PAINT));
  DispatchMessageA(&message);                           // DefWindowProcA validates
  EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), -1);  // nothing left: it would block
  EXPECT_EQ(backend().waits, 1);
}

TEST_F(Win32UserTest, HiddenWindowIsNeitherShownNorPainted) {
  HWND window = create(WS_OVERLAPPEDWINDOW);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(backend().calls, (std::vector<std::string>{"create plain 10 20 640x480"}));
  MSG message;
  EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), -1);
}

TEST_F(Win32UserTest, GetMessageBlocksInTheWindowSystemUntilInputArrives) {
  HWND window = create();
  RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE);
  int waitsBeforeInput = 0;
  backend().onWait = [&] {
    ++waitsBeforeInput;
    inputMouseButton(window, WM_LBUTTONDOWN, 1, 2);
  };
  MSG message;
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, UINT(WM_LBUTTONDOWN));
  EXPECT_EQ(message.wParam, WPARAM(MK_LBUTTON));
  EXPECT_EQ(waitsBeforeInput, 1);
}

TEST_F(Win32UserTest, ResizeIsSentWithDrawableSizeAndInvalidates) {
  HWND window = create();
  RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE);
  seen.clear();
  inputResize(window, 300, 200, false);
  inputResize(window, 320, 240, false);  // only the latest size is delivered
  MSG message;
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, UINT(WM_PAINT));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].message, UINT(WM_SIZE));
  EXPECT_EQ(seen[0].lParam, MAKELPARAM(320, 240));
}

TEST_F(Win32UserTest, ExposureInvalidates) {
  HWND window = create();
  RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE);
  inputExpose(window);
  MSG message;
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, UINT(WM_PAINT));
}

TEST_F(Win32UserTest, CloseDestroysThroughDefaultProcessingAndQuitEndsTheLoop) {
  HWND window = create();
  RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE);
  seen.clear();
  inputClose(window);
  MSG message;
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
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
  HWND window = create();
  RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE);
  inputMouseMove(window, 1, 1);
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
  EXPECT_EQ(point.x, -5);
  EXPECT_EQ(point.y, 680);
  EXPECT_EQ(SetCapture(window), nullptr);
  EXPECT_EQ(SetCapture(window), window);
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(SetCapture(window), nullptr);
  backend().cursorKnown = false;
  EXPECT_FALSE(GetCursorPos(&point));
}

TEST_F(Win32UserTest, KeyStateIsTheStateAtHandlingTime) {
  HWND window = create();
  inputMouseButton(window, WM_LBUTTONDOWN, 1, 1);
  inputKey(VK_LWIN, true);  // pressed after the click was queued, before it is handled
  MSG message;
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_LT(GetKeyState(VK_MENU), 0);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  inputKey(VK_LWIN, false);
  EXPECT_GE(GetKeyState(VK_MENU), 0);
}

TEST_F(Win32UserTest, MouseInputBecomesMessagesWithKeyFlagsAndClientPosition) {
  HWND window = create();
  RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE);
  inputKey(VK_LSHIFT, true);
  inputMouseButton(window, WM_RBUTTONDOWN, 7, -3);
  inputMouseButton(window, WM_RBUTTONUP, 8, 9);
  inputMouseWheel(window, -120, 50, 60);
  MSG message;
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, UINT(WM_RBUTTONDOWN));
  EXPECT_EQ(message.wParam, WPARAM(MK_RBUTTON | MK_SHIFT));
  EXPECT_EQ(static_cast<short>(LOWORD(message.lParam)), 7);
  EXPECT_EQ(static_cast<short>(HIWORD(message.lParam)), -3);
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, UINT(WM_RBUTTONUP));
  EXPECT_EQ(message.wParam, WPARAM(MK_SHIFT));
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, UINT(WM_MOUSEWHEEL));
  EXPECT_EQ(static_cast<short>(HIWORD(message.wParam)), -120);
}

TEST_F(Win32UserTest, AcceleratorsAndTranslationConsumeNothing) {
  HWND window = create();
  HACCEL accelerators = LoadAcceleratorsA(GetModuleHandleA(nullptr), "MYACCEL");
  EXPECT_EQ(accelerators, nullptr);
  MSG message{};
  message.hwnd = window;
  message.message = WM_LBUTTONDOWN;
  EXPECT_EQ(TranslateAcceleratorA(window, accelerators, &message), 0);
  EXPECT_FALSE(TranslateMessage(&message));
  seen.clear();
  DispatchMessageA(&message);
  EXPECT_EQ(messagesSeen(), (std::vector<UINT>{WM_LBUTTONDOWN}));
}

TEST_F(Win32UserTest, StockResourcesAndModuleHandle) {
  EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
  EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(32513)), nullptr);
  EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(GetModuleHandleA(nullptr), GetModuleHandleA(nullptr));
  EXPECT_EQ(GetModuleHandleA("other.dll"), nullptr);
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
}

}  // namespace
}  // namespace sv::platform
