// libloaderapi.h entry point of the Win32 subset: the program's own module handle.
#include "platform/win32/Win32Subset.h"

namespace {
char programModule;
}  // namespace

// With no name, the handle of the program itself; the layer knows no other modules (null).
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  return moduleName == nullptr ? reinterpret_cast<HMODULE>(&programModule) : nullptr;
}
