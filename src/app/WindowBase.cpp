// The window framework's base class and message router (see WindowBase.h).
#include "app/WindowBase.h"

namespace sv {

WNDCLASSEXA windowClass{};
HWND handle = nullptr;
std::int32_t pendingCount = 0;
std::map<std::int32_t, WindowBase*> pendingWindows;
std::map<HWND, WindowBase*> windowsByHandle;

WindowBase::WindowBase(const std::string& title, const WNDCLASSEXA& classDescription) : title(title) {
  windowClass = classDescription;
  windowClass.lpfnWndProc = routeMessage;
  handle = nullptr;
}

int WindowBase::registerClass() { return RegisterClassExA(&windowClass) != 0 ? 0 : -1; }

int WindowBase::create(DWORD exStyle, DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu) {
  if (created) return 0;
  pendingCount += 1;
  pendingWindows[pendingCount] = this;
  handle = CreateWindowExA(exStyle, windowClass.lpszClassName, title.c_str(), style, x, y, width, height, parent, menu,
                           windowClass.hInstance, nullptr);
  pendingWindows.erase(pendingCount);
  pendingCount -= 1;
  if (handle == nullptr) return -2;
  windowsByHandle[handle] = this;
  created = 1;
  return 0;
}

HWND WindowBase::getHandle() { return handle; }

HINSTANCE WindowBase::getInstance() { return windowClass.hInstance; }

int WindowBase::setFont(HFONT font) {
  if (handle == nullptr) return -1;
  SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), 1);
  return 0;
}

BOOL WindowBase::setTitle(const std::string& text) { return SetWindowTextA(handle, text.c_str()); }

std::string WindowBase::getTitle() {
  int length = GetWindowTextLengthA(handle);
  std::string text(static_cast<std::size_t>(length) + 2, '\xFF');
  GetWindowTextA(handle, text.data(), length + 2);
  return text;
}

LRESULT WindowBase::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

namespace {

WindowBase* targetOf(HWND window) {
  if (auto pending = pendingWindows.find(pendingCount); pending != pendingWindows.end()) return pending->second;
  auto owner = windowsByHandle.find(window);
  return owner != windowsByHandle.end() ? owner->second : nullptr;
}

}  // namespace

LRESULT CALLBACK routeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  // A window the framework does not know gets the default processing.
  WindowBase* target = targetOf(window);
  if (target == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return target->windowProc(window, message, wParam, lParam);
}

}  // namespace sv
