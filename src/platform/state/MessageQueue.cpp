// The posted-message queue behind GetMessageA (see MessageQueue.h).
#include "platform/state/MessageQueue.h"

#include <algorithm>

namespace sv::platform {

bool messageMatches(const MSG& message, HWND window, UINT filterMin, UINT filterMax) {
  if (window != nullptr && message.hwnd != window) return false;
  if (filterMin == 0 && filterMax == 0) return true;
  return message.message >= filterMin && message.message <= filterMax;
}

void MessageQueue::post(const MSG& message) {
  if (message.message == WM_MOUSEMOVE && !messages.empty()) {
    MSG& last = messages.back();
    if (last.message == WM_MOUSEMOVE && last.hwnd == message.hwnd) {
      last = message;
      return;
    }
  }
  messages.push_back(message);
}

namespace {
bool isKeyChange(const MSG& message) { return message.hwnd == nullptr && message.message == WM_NULL; }
}  // namespace

void MessageQueue::postKeyChange(int virtualKey, bool down) {
  messages.push_back(MSG{nullptr, WM_NULL, static_cast<WPARAM>(virtualKey), down ? 1 : 0, 0, {}});
}

bool MessageQueue::take(HWND window, UINT filterMin, UINT filterMax, MSG& out, KeyboardState& readKeys) {
  for (auto next = messages.begin(); next != messages.end();) {
    if (isKeyChange(*next)) {
      readKeys.set(static_cast<int>(next->wParam), next->lParam != 0);
      next = messages.erase(next);
    } else if (messageMatches(*next, window, filterMin, filterMax)) {
      out = *next;
      messages.erase(next);
      return true;
    } else {
      ++next;
    }
  }
  return false;
}

void MessageQueue::removeMessagesFor(HWND window) {
  std::erase_if(messages, [window](const MSG& m) { return m.hwnd == window; });
}

void MessageQueue::postQuit(int exitCode) {
  quitPosted = true;
  quitCode = exitCode;
}

bool MessageQueue::takeQuit(int& exitCode) {
  if (!quitPosted) return false;
  quitPosted = false;
  exitCode = quitCode;
  return true;
}

void MessageQueue::clear() {
  messages.clear();
  quitPosted = false;
  quitCode = 0;
}

}  // namespace sv::platform
