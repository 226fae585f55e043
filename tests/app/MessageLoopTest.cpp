// The message loop: every message is dispatched (there is no accelerator table), WM_QUIT ends it
// with its code, a failing GetMessageA ends it with a failure status.
#include "AppTestSupport.h"
#include "app/MessageLoop.h"
#include "platform/backend/Input.h"

#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

std::vector<UINT> dispatched;

LRESULT CALLBACK loopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  dispatched.push_back(message);
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

class MessageLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.lpfnWndProc = loopProc;
    windowClass.lpszClassName = "LoopClass";
    ASSERT_NE(RegisterClassExA(&windowClass), 0);
    ASSERT_NE(window = CreateWindowExA(0, "LoopClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    dispatched.clear();
  }
  test::FreshWindowing fresh;
  HWND window = nullptr;
};

TEST_F(MessageLoopTest, DispatchesEverythingUntilCloseEndsItWithZero) {
  int step = 0;
  platform::RecordingBackend::instance().onWait = [&] {
    if (step++ == 0) {
      platform::inputMouseButton(window, WM_LBUTTONDOWN, 1, 1);
      platform::inputMouseButton(window, WM_LBUTTONUP, 1, 1);
    } else {
      platform::inputClose(window);
    }
  };
  EXPECT_EQ(runMessageLoop(window, LoadAcceleratorsA(GetModuleHandleA(nullptr), "MYACCEL")), 0);
  EXPECT_EQ(dispatched, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(MessageLoopTest, QuitCodeOrFailingGetMessageBecomesTheExitStatus) {
  EXPECT_EQ(runMessageLoop(window, nullptr), 1);  // the recording backend cannot wait without a hook
  PostQuitMessage(5);
  EXPECT_EQ(runMessageLoop(window, nullptr), 5);
}

}  // namespace
}  // namespace sv
