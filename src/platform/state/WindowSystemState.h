// All the state of the emulated window system in one place: registered classes, live windows with
// their device and OpenGL contexts, queued and sent messages, typed characters, timers, key state and
// mouse capture. Handles are opaque numbers never reused, so a stale or forged handle is recognised
// instead of dereferenced.
#pragma once

#include "platform/state/KeyboardState.h"
#include "platform/state/MessageQueue.h"
#include "platform/win32/Win32Subset.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sv::platform {

// Of a class, only its window procedure matters: the layer draws no background and sets no cursor.
struct WindowClassRecord {
  WNDPROC procedure = nullptr;
};

struct WindowRecord {
  HWND handle = nullptr;
  HDC deviceContext = nullptr;
  WNDPROC procedure = nullptr;
  std::string text;
  int x = 0, y = 0, width = 0, height = 0;
  bool alive = true;     // false from the start of its destruction
  bool invalid = false;  // needs a WM_PAINT
  int pixelFormat = 0;   // 0 until SetPixelFormat succeeds
  int backgroundMode = OPAQUE;
  HGLRC context = nullptr;  // its live OpenGL context, if any
  void* native = nullptr;   // the backend's window
};

struct TimerRecord {
  HWND window = nullptr;
  UINT_PTR id = 0;
  std::chrono::milliseconds interval{0};
  std::chrono::steady_clock::time_point due;
};

class WindowSystemState {
 public:
  static WindowSystemState& instance();

  WindowRecord* window(HWND handle);
  // The window while it is alive (its destruction not begun), else null.
  WindowRecord* liveWindow(HWND handle);
  WindowRecord* windowOfDeviceContext(HDC deviceContext);
  // The window a live context draws to, or null for a context that does not exist.
  HWND contextWindow(HGLRC handle);
  WindowClassRecord* windowClass(const std::string& name);

  WindowRecord& addWindow();
  HGLRC addContext(HWND window);
  void removeWindow(HWND handle);
  void removeContext(HGLRC handle);

  // The first live window (of `filter` when not null) that waits for a WM_PAINT, or null.
  WindowRecord* firstInvalidWindow(HWND filter);
  // The timer (of `filter` when not null) due first, or null when there is none.
  TimerRecord* nextTimer(HWND filter);
  void removeTimersAndCharactersOf(HWND window);
  WindowRecord* anyNativeWindow();

  std::map<std::string, WindowClassRecord> classes;
  std::map<std::uintptr_t, std::unique_ptr<WindowRecord>> windows;
  std::map<std::uintptr_t, HWND> contexts;  // each live context's window
  MessageQueue queue;
  // Size changes reported by the backend, delivered to their window procedures by the next GetMessageA
  // (Win32 sends them rather than posting them).
  std::vector<MSG> sentMessages;
  // WM_CHAR messages for the characters typed, until TranslateMessage of their WM_KEYDOWN posts them.
  // The layer numbers key messages in their `time`; a character carries the number of the key typing it.
  std::vector<MSG> typed;
  DWORD keyMessages = 0;
  std::vector<TimerRecord> timers;
  KeyboardState keys;         // as the input left them
  KeyboardState messageKeys;  // as the messages read so far left them: what GetKeyState reports
  HWND capture = nullptr;
  HGLRC currentContext = nullptr;
  ATOM nextAtom = 0xC000;
  std::uintptr_t nextHandle = 0x10000;

  // Forgets every class, window, context, message and key and the capture. Handle numbers go on
  // counting, so a handle from before is still recognised as stale.
  void clear();
};

}  // namespace sv::platform
