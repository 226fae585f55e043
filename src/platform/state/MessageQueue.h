// The thread's queue of posted and input messages behind GetMessageA. It keeps Win32's order (posted
// and input messages first, then the quit request) and coalesces mouse moves: a new move replaces a
// move still waiting at the tail, so a burst of motion costs one message, as on Win32. Key state
// changes wait in it too, as window-less WM_NULL messages (wParam the key, lParam 1 when down), so that
// GetKeyState follows the messages read, as Win32's does.
#pragma once

#include "platform/state/KeyboardState.h"
#include "platform/win32/Win32Subset.h"

#include <deque>

namespace sv::platform {

class MessageQueue {
 public:
  void post(const MSG& message);
  // Ahead of everything waiting: Win32 retrieves posted messages before input messages.
  void postFirst(const MSG& message) { messages.push_front(message); }
  void postKeyChange(int virtualKey, bool down);
  // Takes the first message for `window` (any window when null) within [filterMin, filterMax] (all when
  // both are 0), applying the key changes before it to `readKeys`. Returns false when none waits.
  bool take(HWND window, UINT filterMin, UINT filterMax, MSG& out, KeyboardState& readKeys);
  void removeMessagesFor(HWND window);

  void postQuit(int exitCode);
  // True once after postQuit: the quit request is consumed by the GetMessageA that reports it.
  bool takeQuit(int& exitCode);

  void clear();

 private:
  std::deque<MSG> messages;
  bool quitPosted = false;
  int quitCode = 0;
};

bool messageMatches(const MSG& message, HWND window, UINT filterMin, UINT filterMax);

}  // namespace sv::platform
