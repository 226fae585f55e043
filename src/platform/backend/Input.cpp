// Events coming up from a backend, turned into messages (see Input.h).
#include "platform/backend/Input.h"

#include "platform/state/WindowSystemState.h"

#include <vector>

namespace sv::platform {

namespace {

// No cursor point, and a time for key messages only (their number).
MSG makeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return MSG{window, message, wParam, lParam, 0, {}};
}

int buttonKey(UINT message) {
  if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) return VK_LBUTTON;
  if (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP) return VK_RBUTTON;
  if (message == WM_MBUTTONDOWN || message == WM_MBUTTONUP) return VK_MBUTTON;
  return 0;
}

bool isButtonDown(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

// Key messages name Shift, Ctrl and Alt without their side, as Win32's do; the Windows keys keep theirs.
WPARAM messageKey(int virtualKey) {
  for (const auto& group : KeyboardState::kModifierGroups) {
    if (virtualKey == group[1] || virtualKey == group[2]) return WPARAM(group[0]);
  }
  return WPARAM(virtualKey);
}

}  // namespace

// A mouse message goes to the window it happened in: the viewer has one window, so a capture (which
// the backend's implicit grab keeps while a button is held) never sends it to another.
void inputMouseMove(HWND window, int x, int y) {
  WindowSystemState& windowSystem = WindowSystemState::instance();
  if (windowSystem.liveWindow(window) == nullptr) return;
  windowSystem.queue.post(makeMessage(window, WM_MOUSEMOVE, windowSystem.keys.mouseKeyFlags(), MAKELPARAM(x, y)));
}

void inputMouseButton(HWND window, UINT message, int x, int y) {
  int key = buttonKey(message);
  if (key == 0) return;
  inputKey(key, isButtonDown(message));
  WindowSystemState& windowSystem = WindowSystemState::instance();
  if (windowSystem.liveWindow(window) == nullptr) return;
  windowSystem.queue.post(makeMessage(window, message, windowSystem.keys.mouseKeyFlags(), MAKELPARAM(x, y)));
}

void inputKey(int virtualKey, bool down) {
  WindowSystemState& windowSystem = WindowSystemState::instance();
  windowSystem.keys.set(virtualKey, down);
  windowSystem.queue.postKeyChange(virtualKey, down);
}

// lParam as Win32 fills it: repeat count 1, bit 30 for a key that was down, bit 31 for a release.
void inputKeyMessage(HWND window, int virtualKey, bool down, bool repeated) {
  inputKey(virtualKey, down);
  WindowSystemState& windowSystem = WindowSystemState::instance();
  if (windowSystem.liveWindow(window) == nullptr || virtualKey <= 0 || virtualKey > 0xFF) return;
  auto lParam = static_cast<LPARAM>(1u | (down && !repeated ? 0u : 1u << 30) | (down ? 0u : 1u << 31));
  MSG key = makeMessage(window, down ? WM_KEYDOWN : WM_KEYUP, messageKey(virtualKey), lParam);
  key.time = ++windowSystem.keyMessages;
  windowSystem.queue.post(key);
}

void inputCharacter(HWND window, WPARAM character) {
  WindowSystemState& windowSystem = WindowSystemState::instance();
  if (windowSystem.liveWindow(window) == nullptr) return;
  MSG typed = makeMessage(window, WM_CHAR, character, 1);
  typed.time = windowSystem.keyMessages;
  windowSystem.typed.push_back(typed);
}

void inputWheel(HWND window, int delta, int x, int y) {
  WindowSystemState& windowSystem = WindowSystemState::instance();
  if (windowSystem.liveWindow(window) == nullptr || delta == 0) return;
  WPARAM wParam = MAKELONG(windowSystem.keys.mouseKeyFlags(), delta) & 0xFFFFFFFFu;
  windowSystem.queue.post(makeMessage(window, WM_MOUSEWHEEL, wParam, MAKELPARAM(x, y)));
}

void inputResize(HWND window, int width, int height, bool minimized) {
  WindowRecord* record = WindowSystemState::instance().liveWindow(window);
  if (record == nullptr) return;
  MSG size = makeMessage(window, WM_SIZE, minimized ? SIZE_MINIMIZED : SIZE_RESTORED, MAKELPARAM(width, height));
  // Only the latest size of a window matters; an older one still waiting is replaced.
  std::vector<MSG>& sent = WindowSystemState::instance().sentMessages;
  std::erase_if(sent, [window](const MSG& m) { return m.hwnd == window && m.message == WM_SIZE; });
  sent.push_back(size);
  if (!minimized) record->invalid = true;
}

void inputExpose(HWND window) {
  if (WindowRecord* record = WindowSystemState::instance().liveWindow(window)) record->invalid = true;
}

void inputClose(HWND window) {
  WindowSystemState& windowSystem = WindowSystemState::instance();
  if (windowSystem.liveWindow(window) != nullptr) windowSystem.queue.post(makeMessage(window, WM_CLOSE, 0, 0));
}

}  // namespace sv::platform
