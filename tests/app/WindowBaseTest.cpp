// The window framework: registration, creation bookkeeping, message routing during and after
// creation, font and title access.
#include "AppTestSupport.h"
#include "app/Frame.h"
#include "app/WindowBase.h"

#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

// A frame that records every message its windowProc gets, and can refuse WM_CREATE or throw there.
class RecordingWindow : public Frame {
 public:
  RecordingWindow(const std::string& title, const WNDCLASSEXA& description) : Frame(title, description) {}
  LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    messages.push_back(message);
    if (message == WM_CREATE) {
      sawHandleDuringCreate = getHandle();
      if (throwOnCreate) throw std::runtime_error("no");
      if (refuseCreate) return -1;
    }
    return Frame::windowProc(window, message, wParam, lParam);
  }
  std::vector<UINT> messages;
  bool refuseCreate = false, throwOnCreate = false;
  HWND sawHandleDuringCreate = reinterpret_cast<HWND>(1);
};

WNDCLASSEXA description(const char* className) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(WNDCLASSEXA);
  windowClass.lpszClassName = className;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  return windowClass;
}

class WindowBaseTest : public ::testing::Test {
 protected:
  test::FreshWindowing fresh;
  RecordingWindow window{"ab", description("RouteClass")};
};

TEST_F(WindowBaseTest, MessagesReachTheObjectDuringAndAfterCreation) {
  ASSERT_EQ(window.open(WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr), 0);
  ASSERT_GE(window.messages.size(), 2u);
  EXPECT_EQ(window.messages[0], UINT(WM_NCCREATE));
  EXPECT_EQ(window.messages[1], UINT(WM_CREATE));
  EXPECT_EQ(window.sawHandleDuringCreate, nullptr);  // its handle was not known yet
  EXPECT_EQ(pendingCount, 0);
  EXPECT_TRUE(pendingWindows.empty());
  EXPECT_EQ(windowsByHandle.at(window.getHandle()), &window);
  EXPECT_EQ(window.created, 1);
  window.messages.clear();
  SendMessageA(window.getHandle(), WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(window.messages, (std::vector<UINT>{WM_LBUTTONDOWN}));
  EXPECT_EQ(routeMessage(reinterpret_cast<HWND>(0x4321), WM_LBUTTONDOWN, 0, 0), 0);  // unknown: default
}

TEST_F(WindowBaseTest, FailedCreationLeavesTheBookkeepingAsBefore) {
  window.refuseCreate = true;
  EXPECT_EQ(window.open(0, 0, 0, 100, 100, nullptr, nullptr), -2);
  EXPECT_EQ(pendingCount, 0);
  EXPECT_TRUE(pendingWindows.empty());
  EXPECT_TRUE(windowsByHandle.empty());
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(window.created, 0);
  // The failed window was destroyed while still being created, so its WM_DESTROY came to it too.
  EXPECT_EQ(window.messages, (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(WindowBaseTest, SecondCreateOrOpenCreatesNothing) {
  ASSERT_EQ(window.open(0, 0, 0, 100, 100, nullptr, nullptr), 0);
  HWND first = window.getHandle();
  window.messages.clear();
  EXPECT_EQ(window.create(0, 0, 0, 0, 10, 10, nullptr, nullptr), 0);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(window.getHandle(), first);
  EXPECT_EQ(windowsByHandle.size(), 1u);
  RecordingWindow second("b", description("RouteClass"));  // the class is registered already
  EXPECT_EQ(second.open(0, 0, 0, 10, 10, nullptr, nullptr), -1);
  EXPECT_TRUE(second.messages.empty());
}

TEST_F(WindowBaseTest, SetFontNeedsAWindowAndGetTitleReturnsTextNulAndOneMoreElement) {
  EXPECT_EQ(window.setFont(nullptr), -1);  // before any window: nothing is sent
  EXPECT_TRUE(window.messages.empty());
  ASSERT_EQ(window.open(0, 0, 0, 10, 10, nullptr, nullptr), 0);
  window.messages.clear();
  EXPECT_EQ(window.setFont(reinterpret_cast<HFONT>(0x77)), 0);
  EXPECT_EQ(window.messages, (std::vector<UINT>{WM_SETFONT}));
  EXPECT_EQ(window.getTitle(), std::string("ab\0\xFF", 4));
  EXPECT_TRUE(window.setTitle("Veldrane1"));
  EXPECT_EQ(window.getTitle(), std::string("Veldrane1\0\xFF", 11));
}

TEST_F(WindowBaseTest, ConstructorInstallsTheRouterWhichNoExceptionLeaves) {
  handle = reinterpret_cast<HWND>(0x42);  // left over from another window: the constructor forgets it
  RecordingWindow thrower("t", description("ThrowClass"));
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(windowClass.lpfnWndProc, &routeMessage);
  thrower.throwOnCreate = true;
  EXPECT_EQ(thrower.open(0, 0, 0, 10, 10, nullptr, nullptr), -2);  // WM_CREATE failed, not the program
}

}  // namespace
}  // namespace sv
