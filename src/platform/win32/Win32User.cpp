// winuser.h entry points of the Win32 subset: classes, windows, messages, timers, painting and input,
// over the emulated window-system state and whichever backend is linked. Each call paraphrases its Win32
// contract above it.
#include "platform/backend/Backend.h"
#include "platform/state/WindowSystemState.h"
#include "platform/win32/Win32Subset.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

using sv::platform::WindowClassRecord;
using sv::platform::WindowRecord;
using sv::platform::WindowSystemState;

namespace {

WindowSystemState& windowSystem() { return WindowSystemState::instance(); }

char applicationIcon;
char arrowCursor;

// Win32 class names compare without regard to case.
std::string classKey(LPCSTR name) {
  std::string key(name);
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return key;
}

bool isAtom(LPCSTR name) { return (reinterpret_cast<UINT_PTR>(name) >> 16) == 0; }

// Calls the window procedure without checking that the window is alive (WM_DESTROY needs that).
LRESULT callProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* record = windowSystem().window(window);
  if (record == nullptr) return 0;
  WNDPROC procedure = record->procedure;
  return procedure(window, message, wParam, lParam);
}

// Delivers the size changes the backend reported while events were handled, as Win32 sends them.
void deliverSentMessages() {
  std::vector<MSG> pending;
  pending.swap(windowSystem().sentMessages);
  for (const MSG& message : pending) {
    if (windowSystem().liveWindow(message.hwnd))
      SendMessageA(message.hwnd, message.message, message.wParam, message.lParam);
  }
}

// Win32 DestroyWindow: WM_DESTROY, then WM_NCDESTROY, then the handle is gone. The window's OpenGL
// context stays until wglDeleteContext but can no longer be made current.
void destroyWindow(HWND window) {
  WindowRecord* record = windowSystem().liveWindow(window);
  if (record == nullptr) return;
  record->alive = false;
  if (windowSystem().capture == window) windowSystem().capture = nullptr;
  callProcedure(window, WM_DESTROY, 0, 0);
  callProcedure(window, WM_NCDESTROY, 0, 0);
  record = windowSystem().window(window);
  if (record == nullptr) return;
  if (record->context != nullptr && windowSystem().currentContext == record->context) {
    sv::platform::backend::makeContextCurrent(nullptr);
    windowSystem().currentContext = nullptr;
  }
  if (record->native != nullptr) sv::platform::backend::destroyNativeWindow(*record);
  windowSystem().queue.removeMessagesFor(window);
  windowSystem().removeTimersAndCharactersOf(window);
  windowSystem().removeWindow(window);
}

WindowRecord* liveWindow(HWND window) { return windowSystem().liveWindow(window); }

// WM_NCCREATE, then WM_CREATE; false, with the window gone, when either refuses the creation.
bool sendCreation(HWND window, const CREATESTRUCTA& create) {
  const auto createParam = reinterpret_cast<LPARAM>(&create);
  if (callProcedure(window, WM_NCCREATE, 0, createParam) == 0) {
    if (WindowRecord* refused = liveWindow(window)) {
      refused->alive = false;
      callProcedure(window, WM_NCDESTROY, 0, 0);
      windowSystem().removeWindow(window);
    }
    return false;
  }
  if (callProcedure(window, WM_CREATE, 0, createParam) != -1 && liveWindow(window) != nullptr) return true;
  destroyWindow(window);
  return false;
}

using Clock = std::chrono::steady_clock;

// A due timer's WM_TIMER, when the filter lets it through. Its next expiry is one interval after this
// one, or now when the program is late by more than an interval: timer messages never pile up, and a
// program slower than its timer gets the next one as soon as it asks.
bool takeDueTimer(HWND window, UINT filterMin, UINT filterMax, MSG& out) {
  const MSG timerMessage{nullptr, WM_TIMER, 0, 0, 0, {}};
  sv::platform::TimerRecord* timer = windowSystem().nextTimer(window);
  if (timer == nullptr || !sv::platform::messageMatches(timerMessage, nullptr, filterMin, filterMax)) return false;
  const Clock::time_point now = Clock::now();
  if (timer->due > now) return false;
  timer->due = std::max(timer->due + timer->interval, now);
  out = MSG{timer->window, WM_TIMER, timer->id, 0, 0, {}};
  return true;
}

// Blocks until an event arrives or, with a timer, until it is due.
bool waitForInput(HWND window) {
  sv::platform::TimerRecord* timer = windowSystem().nextTimer(window);
  if (timer == nullptr) return sv::platform::backend::waitEvents();
  const std::chrono::duration<double> left = timer->due - Clock::now();
  return left.count() <= 0 || sv::platform::backend::waitEventsTimeout(left.count());
}

}  // namespace

// Registers a window class. Fails (0) when cbSize is not the structure's size, there is no window
// procedure or name, or the name is taken; otherwise returns a class atom.
ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXA)) return 0;
  if (windowClass->lpfnWndProc == nullptr || windowClass->lpszClassName == nullptr) return 0;
  if (isAtom(windowClass->lpszClassName) || windowClass->lpszClassName[0] == '\0') return 0;
  std::string key = classKey(windowClass->lpszClassName);
  if (windowSystem().windowClass(key) != nullptr) return 0;
  windowSystem().classes.emplace(key, WindowClassRecord{windowClass->lpfnWndProc});
  return windowSystem().nextAtom++;
}

// Creates a top-level window of a registered class. WM_NCCREATE and WM_CREATE are sent before it
// returns (lParam points to the CREATESTRUCTA); FALSE from WM_NCCREATE or -1 from WM_CREATE destroys
// the window and the call returns null. Then WM_SIZE is sent with the drawable size, and a WS_VISIBLE
// window is shown and invalidated. Child windows are not part of the subset: a parent makes it fail.
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  if (className == nullptr || isAtom(className) || parent != nullptr) return nullptr;
  WindowClassRecord* windowClass = windowSystem().windowClass(classKey(className));
  if (windowClass == nullptr) return nullptr;
  WindowRecord& record = windowSystem().addWindow();
  record.procedure = windowClass->procedure;
  record.x = x;
  record.y = y;
  record.width = std::max(width, 0);
  record.height = std::max(height, 0);
  const HWND window = record.handle;
  const CREATESTRUCTA create{param, instance, menu,        parent,     height,    width,
                             y,     x,        LONG(style), windowName, className, exStyle};
  if (!sendCreation(window, create)) return nullptr;
  // A window whose creation set no pixel format gets its native window now, without OpenGL.
  WindowRecord* created = liveWindow(window);
  if (created->native == nullptr && !sv::platform::backend::createNativeWindow(*created, nullptr)) {
    destroyWindow(window);
    return nullptr;
  }
  if (style & WS_VISIBLE) {
    sv::platform::backend::showNativeWindow(*created);
    created->invalid = true;
  }
  int clientWidth = 0, clientHeight = 0;
  sv::platform::backend::clientSize(*created, clientWidth, clientHeight);
  callProcedure(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(clientWidth, clientHeight));
  return liveWindow(window) != nullptr ? window : nullptr;
}

// Default processing: WM_NCCREATE takes the window text from the creation record; WM_CLOSE destroys
// the window; WM_SETTEXT, WM_GETTEXT and WM_GETTEXTLENGTH keep the text; WM_PAINT validates. All else
// returns 0.
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* record = windowSystem().window(window);
  if (record == nullptr) return 0;
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      record->text = create != nullptr && create->lpszName != nullptr ? create->lpszName : "";
      return TRUE;
    }
    case WM_CLOSE:
      destroyWindow(window);
      return 0;
    case WM_SETTEXT: {
      auto* text = reinterpret_cast<LPCSTR>(lParam);
      record->text = text != nullptr ? text : "";
      if (record->native != nullptr) sv::platform::backend::setNativeTitle(*record);
      return TRUE;
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(record->text.size());
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<LPSTR>(lParam);
      if (buffer == nullptr || wParam == 0) return 0;
      std::size_t copied = std::min<std::size_t>(wParam - 1, record->text.size());
      std::memcpy(buffer, record->text.data(), copied);
      buffer[copied] = '\0';
      return static_cast<LRESULT>(copied);
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    default:
      return 0;
  }
}

// Calls the window procedure of `window` directly and returns its result; 0 for an unknown window.
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return callProcedure(window, message, wParam, lParam);
}

// Sends WM_SETTEXT; TRUE when the window took the text.
BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
  if (liveWindow(window) == nullptr) return FALSE;
  return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

// Sends WM_GETTEXTLENGTH: the length of the window text without its NUL.
int WINAPI GetWindowTextLengthA(HWND window) {
  if (liveWindow(window) == nullptr) return 0;
  return static_cast<int>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
}

// Sends WM_GETTEXT: copies at most maxCount - 1 characters and a NUL; returns the characters copied.
int WINAPI GetWindowTextA(HWND window, LPSTR buffer, int maxCount) {
  if (buffer == nullptr || maxCount <= 0) return 0;
  buffer[0] = '\0';
  if (liveWindow(window) == nullptr) return 0;
  return static_cast<int>(SendMessageA(window, WM_GETTEXT, WPARAM(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

// Retrieves the next message: posted and input messages in order, then WM_QUIT once PostQuitMessage
// was called (returns 0), then WM_PAINT for a window that is invalid, then WM_TIMER for a timer that is
// due. Sent messages (size changes) are delivered to their window procedure on the way. When nothing is
// pending it blocks in the window system until an event arrives or a timer is due, using no CPU.
// Returns -1 for a bad argument, when it cannot wait or when the window system has failed (the window
// was destroyed by another program).
BOOL WINAPI GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax) {
  using namespace sv::platform;
  if (message == nullptr || (window != nullptr && liveWindow(window) == nullptr)) return -1;
  for (;;) {
    if (!backend::pollEvents()) return -1;
    deliverSentMessages();
    if (windowSystem().queue.take(window, filterMin, filterMax, *message, windowSystem().messageKeys)) return TRUE;
    int exitCode = 0;
    if (window == nullptr && windowSystem().queue.takeQuit(exitCode)) {
      *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, 0, {}};
      return FALSE;
    }
    const MSG paint{nullptr, WM_PAINT, 0, 0, 0, {}};
    WindowRecord* invalid =
        messageMatches(paint, nullptr, filterMin, filterMax) ? windowSystem().firstInvalidWindow(window) : nullptr;
    if (invalid != nullptr) {
      *message = MSG{invalid->handle, WM_PAINT, 0, 0, 0, {}};
      return TRUE;
    }
    if (takeDueTimer(window, filterMin, filterMax, *message)) return TRUE;
    if (!waitForInput(window)) return -1;
    deliverSentMessages();
  }
}

// The layer carries no resources, so there is no accelerator table to load: always null.
HACCEL WINAPI LoadAcceleratorsA(HINSTANCE, LPCSTR) { return nullptr; }

// Translates a key message through an accelerator table. No table can exist (see LoadAcceleratorsA),
// so no message is ever consumed: always 0.
int WINAPI TranslateAcceleratorA(HWND, HACCEL, LPMSG) { return 0; }

// Turns a WM_KEYDOWN into the WM_CHAR messages of the characters it typed, posted so that they come
// next. The window system reports characters apart from keys; those typed in the key's window up to the
// next key message are the key's (with any left untranslated before it). TRUE for a WM_KEYDOWN, FALSE
// (nothing to translate) for anything else.
BOOL WINAPI TranslateMessage(const MSG* message) {
  if (message == nullptr || message->message != WM_KEYDOWN) return FALSE;
  auto isKeys = [message](const MSG& character) {
    return character.hwnd == message->hwnd && character.time <= message->time;
  };
  std::vector<MSG>& typed = windowSystem().typed;
  for (auto character = typed.rbegin(); character != typed.rend(); ++character) {
    if (isKeys(*character)) windowSystem().queue.postFirst(*character);
  }
  std::erase_if(typed, isKeys);
  return TRUE;
}

// Calls the window procedure of the message's window; messages without a window are not dispatched.
LRESULT WINAPI DispatchMessageA(const MSG* message) {
  if (message == nullptr || message->hwnd == nullptr || windowSystem().window(message->hwnd) == nullptr) return 0;
  return callProcedure(message->hwnd, message->message, message->wParam, message->lParam);
}

// Asks the message loop to end: GetMessageA returns 0 with WM_QUIT and exitCode once the messages
// already posted have been retrieved.
void WINAPI PostQuitMessage(int exitCode) { windowSystem().queue.postQuit(exitCode); }

// Makes (or, for an id the window has, restarts) a timer of `window` that expires every `elapse`
// milliseconds, held between 10 and 0x7FFFFFFF as Win32 holds it; each expiry makes GetMessageA return
// WM_TIMER with the id in wParam. Timer procedures and window-less timers are not part of the subset: 0.
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
  if (liveWindow(window) == nullptr || procedure != nullptr) return 0;
  KillTimer(window, id);
  const std::chrono::milliseconds interval(std::clamp<UINT>(elapse, 10u, 0x7FFFFFFFu));
  windowSystem().timers.push_back(sv::platform::TimerRecord{window, id, interval, Clock::now() + interval});
  return id != 0 ? id : 1;
}

// Ends a timer of `window`; FALSE when the window has no timer of that id.
BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
  std::vector<sv::platform::TimerRecord>& timers = windowSystem().timers;
  return std::erase_if(timers, [&](const auto& timer) { return timer.window == window && timer.id == id; }) > 0;
}

// The device context of a window: one per window, valid for the window's whole life (as a class or
// own DC). The screen DC (null window) is not part of the subset.
HDC WINAPI GetDC(HWND window) {
  WindowRecord* record = liveWindow(window);
  return record != nullptr ? record->deviceContext : nullptr;
}

// Returns 1 when `deviceContext` is the window's, else 0.
int WINAPI ReleaseDC(HWND window, HDC deviceContext) {
  WindowRecord* record = windowSystem().window(window);
  return record != nullptr && record->deviceContext == deviceContext ? 1 : 0;
}

// Prepares painting: fills the paint record with the device context and the whole client area and
// validates the window, so no further WM_PAINT comes until it is invalidated again.
HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
  WindowRecord* record = liveWindow(window);
  if (record == nullptr || paint == nullptr) return nullptr;
  *paint = PAINTSTRUCT{};
  paint->hdc = record->deviceContext;
  paint->fErase = FALSE;
  int width = 0, height = 0;
  sv::platform::backend::clientSize(*record, width, height);
  paint->rcPaint = RECT{0, 0, width, height};
  record->invalid = false;
  return record->deviceContext;
}

// Ends painting started by BeginPaint.
BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint) {
  return liveWindow(window) != nullptr && paint != nullptr ? TRUE : FALSE;
}

// RDW_INVALIDATE marks the window for a WM_PAINT, RDW_VALIDATE clears that, RDW_UPDATENOW sends the
// WM_PAINT at once if one is due. The layer tracks invalidation per window, so any rectangle or region
// counts as the whole client area and all invalidations coalesce into one paint.
BOOL WINAPI RedrawWindow(HWND window, const RECT*, HRGN, UINT flags) {
  WindowRecord* record = liveWindow(window);
  if (record == nullptr) return FALSE;
  if (flags & RDW_INVALIDATE) record->invalid = true;
  if (flags & RDW_VALIDATE) record->invalid = false;
  if ((flags & RDW_UPDATENOW) && record->invalid) SendMessageA(window, WM_PAINT, 0, 0);
  return TRUE;
}

// The cursor position as it is now. The layer's screen is the viewer's one window: the position is in
// its client pixels (and ScreenToClient keeps it), which is all GetCursorPos is used for.
BOOL WINAPI GetCursorPos(LPPOINT point) {
  return point != nullptr && sv::platform::backend::cursorPosition(point->x, point->y) ? TRUE : FALSE;
}

// Converts a point from GetCursorPos to the client coordinates of `window`: they are the same here.
BOOL WINAPI ScreenToClient(HWND window, LPPOINT point) {
  return liveWindow(window) != nullptr && point != nullptr ? TRUE : FALSE;
}

// Keeps the mouse messages with `window` until ReleaseCapture, wherever the cursor is (the backend's
// implicit grab does so while a button is held); returns the window that held the capture before.
HWND WINAPI SetCapture(HWND window) {
  HWND previous = windowSystem().capture;
  if (liveWindow(window) != nullptr) windowSystem().capture = window;
  return previous;
}

BOOL WINAPI ReleaseCapture(void) {
  windowSystem().capture = nullptr;
  return TRUE;
}

// The state of a key as the messages retrieved so far left it: bit 15 when down (no toggle bit), so a
// key message sees the modifiers held when it was typed. VK_SHIFT, VK_CONTROL and VK_MENU cover both
// keys of their kind; VK_MENU counts Super too.
SHORT WINAPI GetKeyState(int virtualKey) { return windowSystem().messageKeys.keyState(virtualKey); }

// Stock icons only (no module): IDI_APPLICATION. The backend shows the system's default icon.
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName) {
  if (instance != nullptr || iconName != IDI_APPLICATION) return nullptr;
  return reinterpret_cast<HICON>(&applicationIcon);
}

// Stock cursors only (no module): IDC_ARROW, which is the window system's default pointer.
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
  if (instance != nullptr || cursorName != IDC_ARROW) return nullptr;
  return reinterpret_cast<HCURSOR>(&arrowCursor);
}
