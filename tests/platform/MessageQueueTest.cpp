// The posted-message queue: order, filters, mouse-move coalescing, the quit request.
#include "platform/state/MessageQueue.h"

#include <gtest/gtest.h>

namespace sv::platform {
namespace {

const HWND a = reinterpret_cast<HWND>(1), b = reinterpret_cast<HWND>(2);

MSG message(HWND window, UINT id, LPARAM lParam = 0) {
  MSG m{};
  m.hwnd = window;
  m.message = id;
  m.lParam = lParam;
  return m;
}

TEST(MessageQueueTest, KeepsPostingOrderAndFilters) {
  MessageQueue queue;
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
  queue.post(message(a, WM_MOUSEMOVE, MAKELPARAM(1, 1)));
  queue.post(message(a, WM_MOUSEMOVE, MAKELPARAM(2, 2)));
  queue.post(message(a, WM_LBUTTONDOWN, MAKELPARAM(2, 2)));
  queue.post(message(a, WM_MOUSEMOVE, MAKELPARAM(3, 3)));
  MSG out;
  for (auto [id, lParam] : {std::pair<UINT, LPARAM>{WM_MOUSEMOVE, MAKELPARAM(2, 2)},
                            {WM_LBUTTONDOWN, MAKELPARAM(2, 2)},
                            {WM_MOUSEMOVE, MAKELPARAM(3, 3)}}) {
    ASSERT_TRUE(queue.take(nullptr, 0, 0, out));
    EXPECT_EQ(std::pair(out.message, out.lParam), std::pair(id, lParam));
  }
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
  queue.post(message(a, WM_CLOSE));
  queue.post(message(b, WM_CLOSE));
  queue.removeMessagesFor(a);
  MSG out;
  ASSERT_TRUE(queue.take(nullptr, 0, 0, out));
  EXPECT_EQ(out.hwnd, b);
  EXPECT_TRUE(queue.empty());
}

}  // namespace
}  // namespace sv::platform
