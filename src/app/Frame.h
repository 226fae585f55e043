// A top-level frame window of the framework: a WindowBase that adds open, which registers the class
// and creates the window in one call.
#pragma once

#include "app/WindowBase.h"

namespace sv {

class Frame : public WindowBase {
 public:
  Frame(const std::string& title, const WNDCLASSEXA& classDescription);

  LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  // 0 when the window is open, -1 when class registration failed, -2 when window creation failed.
  virtual int open(DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu);
};

}  // namespace sv
