// The state behind the Win32 subset (see WindowSystemState.h).
#include "platform/state/WindowSystemState.h"

namespace sv::platform {

namespace {
template <typename Handle>
std::uintptr_t key(Handle handle) {
  return reinterpret_cast<std::uintptr_t>(handle);
}
template <typename Handle>
Handle handleOf(std::uintptr_t number) {
  return reinterpret_cast<Handle>(number);
}
}  // namespace

WindowSystemState& WindowSystemState::instance() {
  static WindowSystemState state;
  return state;
}

WindowRecord* WindowSystemState::window(HWND handle) {
  auto found = windows.find(key(handle));
  return found == windows.end() ? nullptr : found->second.get();
}

WindowRecord* WindowSystemState::liveWindow(HWND handle) {
  WindowRecord* record = window(handle);
  return record != nullptr && record->alive ? record : nullptr;
}

WindowRecord* WindowSystemState::windowOfDeviceContext(HDC deviceContext) {
  if (deviceContext == nullptr) return nullptr;
  for (auto& [number, record] : windows) {
    if (record->deviceContext == deviceContext) return record.get();
  }
  return nullptr;
}

HWND WindowSystemState::contextWindow(HGLRC handle) {
  auto found = contexts.find(key(handle));
  return found == contexts.end() ? nullptr : found->second;
}

WindowClassRecord* WindowSystemState::windowClass(const std::string& name) {
  auto found = classes.find(name);
  return found == classes.end() ? nullptr : &found->second;
}

WindowRecord& WindowSystemState::addWindow() {
  auto record = std::make_unique<WindowRecord>();
  std::uintptr_t number = nextHandle++;
  record->handle = handleOf<HWND>(number);
  record->deviceContext = handleOf<HDC>(nextHandle++);
  WindowRecord& added = *record;
  windows.emplace(number, std::move(record));
  return added;
}

HGLRC WindowSystemState::addContext(HWND window) {
  std::uintptr_t number = nextHandle++;
  contexts.emplace(number, window);
  return handleOf<HGLRC>(number);
}

void WindowSystemState::removeWindow(HWND handle) { windows.erase(key(handle)); }

void WindowSystemState::removeContext(HGLRC handle) { contexts.erase(key(handle)); }

WindowRecord* WindowSystemState::firstInvalidWindow(HWND filter) {
  for (auto& [number, record] : windows) {
    if (record->alive && record->invalid && (filter == nullptr || record->handle == filter)) return record.get();
  }
  return nullptr;
}

TimerRecord* WindowSystemState::nextTimer(HWND filter) {
  TimerRecord* next = nullptr;
  for (TimerRecord& timer : timers) {
    if ((filter == nullptr || timer.window == filter) && (next == nullptr || timer.due < next->due)) next = &timer;
  }
  return next;
}

void WindowSystemState::removeTimersAndCharactersOf(HWND window) {
  std::erase_if(timers, [window](const TimerRecord& timer) { return timer.window == window; });
  std::erase_if(typed, [window](const MSG& message) { return message.hwnd == window; });
}

WindowRecord* WindowSystemState::anyNativeWindow() {
  for (auto& [number, record] : windows) {
    if (record->alive && record->native != nullptr) return record.get();
  }
  return nullptr;
}

void WindowSystemState::clear() {
  classes.clear();
  windows.clear();
  contexts.clear();
  queue.clear();
  sentMessages.clear();
  typed.clear();
  keyMessages = 0;
  timers.clear();
  keys.clear();
  messageKeys.clear();
  capture = nullptr;
  currentContext = nullptr;
}

}  // namespace sv::platform
