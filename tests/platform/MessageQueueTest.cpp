// The posted-message queue: order, filters, mouse-move coalescing, the quit request.
#include "platform/MessageQueue.h"

#include <gtest/gtest.h>

namespace sv::platform {
namespace {

HWND windowNumber(std::uintptr_t n) { return reinterpret_cast<HWND>(n); }

MSG message(HWND window, UINT id, LPARAM lParam = 0) {
  MSG m{};
  m.hwnd = window;
  m.message = id;
  m.lParam = lParam;
  return m;
}

TEST(MessageQueueTest, KeepsPostingOrderAndFilters) {
  MessageQueue queue;
  HWND a = windowNumber(1), b = windowNumber(2);
  queue.post(message(a, WM_LBUTTONDOWN));
  queue.post(message(b, WM_CLOSE));
  queue.post(message(a, WM_LBUTTONUP));
  MSG out;
  ASSERT_TRUE(queue.take(b, 0, 0, out));
  EXPECT_EQ(out.message, UINT(WM_CLOSE));
  EXPECT_FALSE(queue.take(nullptr, WM_CLOSE, WM_CLOSE, out));
  ASSERT_TRUE(queue.take(nullptr, 0, 0, out));
  EXPECT_EQ(out.message, UINT(WM_LBUTTONDOWN));
  ASSERT_TRUE(queue.take(nullptr, WM_MOUSEMOVE, WM_RBUTTONDBLCLK, out));
  EXPECT_EQ(out.message, UINT(WM_LBUTTONUP));
  EXPECT_TRUE(queue.empty());
}

TEST(MessageQueueTest, MouseMoveReplacesMoveWaitingAtTail) {
  MessageQueue queue;
  HWND a = windowNumber(1);
  queue.post(message(a, WM_MOUSEMOVE, MAKELPARAM(1, 1)));
  queue.post(message(a, WM_MOUSEMOVE, MAKELPARAM(2, 2)));
  queue.post(message(a, WM_LBUTTONDOWN, MAKELPARAM(2, 2)));
  queue.post(message(a, WM_MOUSEMOVE, MAKELPARAM(3, 3)));
  MSG out;
  ASSERT_TRUE(queue.take(nullptr, 0, 0, out));
  EXPECT_EQ(out.lParam, MAKELPARAM(2, 2));
  ASSERT_TRUE(queue.take(nullptr, 0, 0, out));
  EXPECT_EQ(out.message, UINT(WM_LBUTTONDOWN));
  ASSERT_TRUE(queue.take(nullptr, 0, 0, out));
  EXPECT_EQ(out.lParam, MAKELPARAM(3, 3));
  EXPECT_FALSE(queue.take(nullptr, 0, 0, out));
}

TEST(MessageQueueTest, QuitIsReportedOnceWithItsCode) {
  MessageQueue queue;
  int code = -1;
  EXPECT_FALSE(queue.takeQuit(code));
  queue.postQuit(7);
  ASSERT_TRUE(queue.takeQuit(code));
  EXPECT_EQ(code, 7);
  EXPECT_FALSE(queue.takeQuit(code));
}

TEST(MessageQueueTest, RemovesTheMessagesOfADestroyedWindow) {
  MessageQueue queue;
  queue.post(message(windowNumber(1), WM_CLOSE));
  queue.post(message(windowNumber(2), WM_CLOSE));
  queue.removeMessagesFor(windowNumber(1));
  MSG out;
  ASSERT_TRUE(queue.take(nullptr, 0, 0, out));
  EXPECT_EQ(out.hwnd, windowNumber(2));
  EXPECT_TRUE(queue.empty());
}

}  // namespace
}  // namespace sv::platform
