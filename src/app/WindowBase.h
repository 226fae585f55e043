// The small window framework: WindowBase holds the class description, registers the class, creates
// the window and routes every message of the class to the owning object's virtual windowProc. The
// class description, the window handle and the creation bookkeeping are one copy for the program.
#pragma once

#include "core/Object.h"
#include "platform/win32/Win32Api.h"

#include <cstdint>
#include <map>
#include <string>

namespace sv {

class WindowBase : public Object {
 public:
  // Copies the class description into windowClass with routeMessage as its window procedure, and
  // forgets any earlier window handle.
  WindowBase(const std::string& title, const WNDCLASSEXA& classDescription);

  // 0 when the class is registered, -1 when registration fails.
  virtual int registerClass();
  // 0 when the window exists (or existed already for this object), -2 when creation fails.
  virtual int create(DWORD exStyle, DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu);
  virtual HWND getHandle();
  virtual HINSTANCE getInstance();
  // -1 when there is no window yet; otherwise sends WM_SETFONT (redraw) and returns 0.
  virtual int setFont(HFONT font);
  virtual BOOL setTitle(const std::string& text);
  // The window text, its NUL and one more element (0xFF): n + 2 characters for a text of n.
  virtual std::string getTitle();
  virtual LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::string title;
  std::int32_t created = 0;
};

// Module-level state of the framework.
extern WNDCLASSEXA windowClass;
extern HWND handle;
extern std::int32_t pendingCount;
extern std::map<std::int32_t, WindowBase*> pendingWindows;
extern std::map<HWND, WindowBase*> windowsByHandle;

// The window procedure registered with the class: sends each message to the object being created
// (while a create is in progress) or to the object that owns the window. No exception may leave it:
// each window procedure handles its own (OpenGLFrame's catches every one).
LRESULT CALLBACK routeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

}  // namespace sv
