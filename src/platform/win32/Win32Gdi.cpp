// wingdi.h entry points of the Win32 subset: pixel formats, buffer swaps, stock objects, background
// mode, and the WGL calls that manage a window's OpenGL context. Each call paraphrases its contract.
#include "platform/backend/Backend.h"
#include "platform/state/WindowSystemState.h"
#include "platform/win32/Win32Subset.h"

using sv::platform::WindowRecord;
using sv::platform::WindowSystemState;

namespace {

WindowSystemState& windowSystem() { return WindowSystemState::instance(); }

// The one pixel format the layer offers: a window with an OpenGL context whose buffers (double
// buffering, colour, depth, stencil bits) are negotiated with the system when the format is set.
constexpr int kOpenGLWindowFormat = 1;

bool isSupported(const PIXELFORMATDESCRIPTOR& request) {
  DWORD needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
  return (request.dwFlags & needed) == needed && request.iPixelType == PFD_TYPE_RGBA;
}

void releaseCurrentContext() {
  sv::platform::backend::makeContextCurrent(nullptr);
  windowSystem().currentContext = nullptr;
}

char whiteBrush;

}  // namespace

// The index of the offered format that best matches the request; 0 when none can draw it (no OpenGL
// window support asked for, or colour-index pixels) or the device context is unknown.
int WINAPI ChoosePixelFormat(HDC deviceContext, const PIXELFORMATDESCRIPTOR* request) {
  WindowRecord* window = windowSystem().windowOfDeviceContext(deviceContext);
  if (window == nullptr || !window->alive || request == nullptr || !isSupported(*request)) return 0;
  return kOpenGLWindowFormat;
}

// Sets the window's pixel format, once per window. Here the native window is made, honouring the
// request (double-buffered RGBA, colour and depth bits) and falling back to the best the system has.
BOOL WINAPI SetPixelFormat(HDC deviceContext, int format, const PIXELFORMATDESCRIPTOR* request) {
  WindowRecord* window = windowSystem().windowOfDeviceContext(deviceContext);
  if (window == nullptr || !window->alive || request == nullptr || format != kOpenGLWindowFormat) return FALSE;
  if (window->pixelFormat != 0 || window->native != nullptr || !isSupported(*request)) return FALSE;
  if (!sv::platform::backend::createNativeWindow(*window, request)) return FALSE;
  window->pixelFormat = format;
  return TRUE;
}

// Presents the back buffer of the window that owns the device context.
BOOL WINAPI SwapBuffers(HDC deviceContext) {
  WindowRecord* window = windowSystem().windowOfDeviceContext(deviceContext);
  if (window == nullptr || !window->alive || window->pixelFormat == 0) return FALSE;
  return sv::platform::backend::swapBuffers(*window) ? TRUE : FALSE;
}

// Stock objects: WHITE_BRUSH only.
HGDIOBJ WINAPI GetStockObject(int object) { return object == WHITE_BRUSH ? &whiteBrush : nullptr; }

// Sets how text and hatch backgrounds are drawn (TRANSPARENT or OPAQUE); returns the previous mode,
// 0 on failure.
int WINAPI SetBkMode(HDC deviceContext, int mode) {
  WindowRecord* window = windowSystem().windowOfDeviceContext(deviceContext);
  if (window == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int previous = window->backgroundMode;
  window->backgroundMode = mode;
  return previous;
}

// Creates an OpenGL context for a device context whose pixel format is set. A native window carries
// one context, so a second live context for the same window fails (null).
HGLRC WINAPI wglCreateContext(HDC deviceContext) {
  WindowRecord* window = windowSystem().windowOfDeviceContext(deviceContext);
  if (window == nullptr || !window->alive || window->pixelFormat == 0 || window->context != nullptr) return nullptr;
  window->context = windowSystem().addContext(window->handle);
  return window->context;
}

// Makes `context` current on this thread, drawing to `deviceContext`'s window; a null context makes
// none current. On failure no context is current afterwards, as on Win32.
BOOL WINAPI wglMakeCurrent(HDC deviceContext, HGLRC context) {
  if (context == nullptr) {
    releaseCurrentContext();
    return TRUE;
  }
  WindowRecord* window = windowSystem().windowOfDeviceContext(deviceContext);
  if (window == nullptr || !window->alive || windowSystem().contextWindow(context) != window->handle ||
      !sv::platform::backend::makeContextCurrent(window)) {
    releaseCurrentContext();
    return FALSE;
  }
  windowSystem().currentContext = context;
  return TRUE;
}

// Deletes a context; if it is current, it is made not current first.
BOOL WINAPI wglDeleteContext(HGLRC context) {
  const HWND owner = windowSystem().contextWindow(context);
  if (owner == nullptr) return FALSE;
  if (windowSystem().currentContext == context) releaseCurrentContext();
  if (WindowRecord* window = windowSystem().window(owner); window != nullptr && window->context == context) {
    window->context = nullptr;
  }
  windowSystem().removeContext(context);
  return TRUE;
}
