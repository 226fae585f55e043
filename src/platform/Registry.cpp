// The state behind the Win32 subset (see Registry.h).
#include "platform/Registry.h"

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

Registry& Registry::instance() {
  static Registry registry;
  return registry;
}

WindowRecord* Registry::window(HWND handle) {
  auto found = windows.find(key(handle));
  return found == windows.end() ? nullptr : found->second.get();
}

WindowRecord* Registry::windowOfDeviceContext(HDC deviceContext) {
  if (deviceContext == nullptr) return nullptr;
  for (auto& [number, record] : windows) {
    if (record->deviceContext == deviceContext) return record.get();
  }
  return nullptr;
}

ContextRecord* Registry::context(HGLRC handle) {
  auto found = contexts.find(key(handle));
  return found == contexts.end() ? nullptr : &found->second;
}

WindowClassRecord* Registry::windowClass(const std::string& name) {
  auto found = classes.find(name);
  return found == classes.end() ? nullptr : &found->second;
}

WindowRecord& Registry::addWindow() {
  auto record = std::make_unique<WindowRecord>();
  std::uintptr_t number = nextHandle++;
  record->handle = handleOf<HWND>(number);
  record->deviceContext = handleOf<HDC>(nextHandle++);
  WindowRecord& added = *record;
  windows.emplace(number, std::move(record));
  return added;
}

HGLRC Registry::addContext(HWND window) {
  std::uintptr_t number = nextHandle++;
  contexts.emplace(number, ContextRecord{window});
  return handleOf<HGLRC>(number);
}

void Registry::removeWindow(HWND handle) { windows.erase(key(handle)); }

void Registry::removeContext(HGLRC handle) { contexts.erase(key(handle)); }

WindowRecord* Registry::firstInvalidWindow(HWND filter) {
  for (auto& [number, record] : windows) {
    if (record->alive && record->invalid && (filter == nullptr || record->handle == filter)) return record.get();
  }
  return nullptr;
}

WindowRecord* Registry::anyNativeWindow() {
  for (auto& [number, record] : windows) {
    if (record->alive && record->native != nullptr) return record.get();
  }
  return nullptr;
}

void Registry::clear() {
  classes.clear();
  windows.clear();
  contexts.clear();
  queue.clear();
  keys.clear();
  capture = nullptr;
  currentContext = nullptr;
}

}  // namespace sv::platform
