// Events coming up from a backend, turned into messages (see Input.h).
#include "platform/Input.h"

#include "platform/Backend.h"
#include "platform/Registry.h"

#include <chrono>
#include <vector>

namespace sv::platform {

namespace {

std::vector<MSG> sentMessages;

DWORD messageTime() {
  using namespace std::chrono;
  return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

MSG makeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG made{};
  made.hwnd = window;
  made.message = message;
  made.wParam = wParam;
  made.lParam = lParam;
  made.time = messageTime();
  backend::cursorPosition(made.pt.x, made.pt.y);
  return made;
}

// While a window holds the capture, every mouse message goes to it, in its own client coordinates.
WindowRecord* mouseTarget(HWND window, int& x, int& y) {
  Registry& registry = Registry::instance();
  WindowRecord* source = registry.window(window);
  if (source == nullptr || registry.capture == nullptr || registry.capture == window) return source;
  WindowRecord* target = registry.window(registry.capture);
  if (target == nullptr || !target->alive) return source;
  int sourceX = 0, sourceY = 0, targetX = 0, targetY = 0;
  backend::clientOrigin(*source, sourceX, sourceY);
  backend::clientOrigin(*target, targetX, targetY);
  x += sourceX - targetX;
  y += sourceY - targetY;
  return target;
}

int buttonKey(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      return VK_LBUTTON;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return VK_RBUTTON;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return VK_MBUTTON;
    default:
      return 0;
  }
}

bool isButtonDown(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

}  // namespace

void inputMouseMove(HWND window, int x, int y) {
  WindowRecord* target = mouseTarget(window, x, y);
  if (target == nullptr || !target->alive) return;
  Registry& registry = Registry::instance();
  registry.queue.post(makeMessage(target->handle, WM_MOUSEMOVE, registry.keys.mouseKeyFlags(), MAKELPARAM(x, y)));
}

void inputMouseButton(HWND window, UINT message, int x, int y) {
  int key = buttonKey(message);
  if (key == 0) return;
  Registry& registry = Registry::instance();
  if (isButtonDown(message)) {
    registry.keys.press(key);
  } else {
    registry.keys.release(key);
  }
  WindowRecord* target = mouseTarget(window, x, y);
  if (target == nullptr || !target->alive) return;
  registry.queue.post(makeMessage(target->handle, message, registry.keys.mouseKeyFlags(), MAKELPARAM(x, y)));
}

void inputMouseWheel(HWND window, int delta, int screenX, int screenY) {
  Registry& registry = Registry::instance();
  WindowRecord* target = registry.window(window);
  if (target == nullptr || !target->alive) return;
  registry.queue.post(
      makeMessage(window, WM_MOUSEWHEEL, MAKELONG(registry.keys.mouseKeyFlags(), delta), MAKELPARAM(screenX, screenY)));
}

void inputKey(int virtualKey, bool down) {
  KeyboardState& keys = Registry::instance().keys;
  if (down) {
    keys.press(virtualKey);
  } else {
    keys.release(virtualKey);
  }
}

void inputResize(HWND window, int width, int height, bool minimized) {
  WindowRecord* record = Registry::instance().window(window);
  if (record == nullptr || !record->alive) return;
  MSG size = makeMessage(window, WM_SIZE, minimized ? SIZE_MINIMIZED : SIZE_RESTORED, MAKELPARAM(width, height));
  // Only the latest size of a window matters; an older one still waiting is replaced.
  std::erase_if(sentMessages, [window](const MSG& m) { return m.hwnd == window && m.message == WM_SIZE; });
  sentMessages.push_back(size);
  if (!minimized) record->invalid = true;
}

void inputExpose(HWND window) {
  WindowRecord* record = Registry::instance().window(window);
  if (record != nullptr && record->alive) record->invalid = true;
}

void inputClose(HWND window) {
  Registry& registry = Registry::instance();
  WindowRecord* record = registry.window(window);
  if (record == nullptr || !record->alive) return;
  registry.queue.post(makeMessage(window, WM_CLOSE, 0, 0));
}

void deliverSentMessages() {
  std::vector<MSG> pending;
  pending.swap(sentMessages);
  for (const MSG& message : pending) {
    WindowRecord* record = Registry::instance().window(message.hwnd);
    if (record != nullptr && record->alive) SendMessageA(message.hwnd, message.message, message.wParam, message.lParam);
  }
}

void forgetSentMessages() { sentMessages.clear(); }

}  // namespace sv::platform
