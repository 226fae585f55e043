// The application object: creates the main window ("Veldrane1" of class "Tessary1") and opens it,
// 512 x 512 at (0, 0), visible from creation.
#pragma once

#include "app/OpenGLFrame.h"
#include "core/Object.h"
#include "platform/win32/Win32Api.h"

#include <memory>

namespace sv {

class MainFrame : public Object {
 public:
  explicit MainFrame(HINSTANCE instance);

  // 0 when the window is open; -1 after printing "Basewindow open error.\n" when it could not be.
  virtual int open();
  virtual HWND getHandle();

  std::unique_ptr<OpenGLFrame> frame;

 protected:
  explicit MainFrame(std::unique_ptr<OpenGLFrame> frame);  // for tests with their own window object
};

// WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN.
inline constexpr DWORD kMainWindowStyle = 0x16CF0000;

}  // namespace sv
