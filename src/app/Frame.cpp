// A top-level frame window of the framework (see Frame.h).
#include "app/Frame.h"

namespace sv {

Frame::Frame(const std::string& title, const WNDCLASSEXA& classDescription) : WindowBase(title, classDescription) {}

LRESULT Frame::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

int Frame::open(DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu) {
  int registered = registerClass();
  if (registered != 0) return registered;
  return create(0, style, x, y, width, height, parent, menu);
}

}  // namespace sv
