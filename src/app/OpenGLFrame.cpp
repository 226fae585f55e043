// The main window's window procedure (see OpenGLFrame.h). Where the window system fails (no pixel
// format, no context, a context that cannot be made current) the scene is never driven without a
// current context, and a creation that cannot give the scene its context fails with a reason.
#include "app/OpenGLFrame.h"

#include <cstdio>
#include <exception>

namespace sv {

WNDCLASSEXA classTemplate{};
MouseState mouse;

const PIXELFORMATDESCRIPTOR pixelFormatRequest = [] {
  PIXELFORMATDESCRIPTOR request{};
  request.nSize = sizeof(PIXELFORMATDESCRIPTOR);
  request.nVersion = 1;
  request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  request.iPixelType = PFD_TYPE_RGBA;
  request.cColorBits = 24;
  request.cDepthBits = 32;
  request.iLayerType = PFD_MAIN_PLANE;
  return request;
}();

namespace {

POINT cursorPoint;
PAINTSTRUCT paintRecord;
HDC paintDeviceContext = nullptr;

const WNDCLASSEXA& fillClassTemplate(HINSTANCE instance, const std::string& className) {
  classTemplate = WNDCLASSEXA{};
  // The structure's own size: 48 only on 32-bit Windows; a 64-bit Windows refuses any other value.
  classTemplate.cbSize = sizeof(WNDCLASSEXA);
  classTemplate.style = CS_HREDRAW | CS_VREDRAW;
  classTemplate.cbClsExtra = 0;
  classTemplate.cbWndExtra = 0;
  classTemplate.hInstance = instance;
  classTemplate.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  classTemplate.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  // No background brush: BeginPaint's erase would otherwise fill the client area with it right over
  // the frame just swapped in, and the window would stay blank until the next paint.
  classTemplate.hbrBackground = nullptr;
  classTemplate.lpszMenuName = nullptr;
  classTemplate.lpszClassName = className.c_str();
  classTemplate.hIconSm = nullptr;
  return classTemplate;
}

bool isMouseMessage(UINT message) { return message >= WM_MOUSEMOVE && message <= WM_RBUTTONDBLCLK; }

// The scene controller's button event code of a button message (WM_LBUTTONDOWN to WM_RBUTTONDBLCLK,
// the only ones that reach it).
std::int32_t buttonCode(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
      return GLUW::kLeftDown;
    case WM_LBUTTONUP:
      return GLUW::kLeftUp;
    case WM_LBUTTONDBLCLK:
      return GLUW::kLeftDoubleClick;
    case WM_RBUTTONDOWN:
      return GLUW::kRightDown;
    case WM_RBUTTONUP:
      return GLUW::kRightUp;
    default:  // WM_RBUTTONDBLCLK
      return GLUW::kRightDoubleClick;
  }
}

bool keyDown(int virtualKey) { return GetKeyState(virtualKey) < 0; }

// The scene controller's modifier bits, sampled when the message is handled.
std::int32_t modifierBits() {
  std::int32_t keys = 0;
  if (keyDown(VK_SHIFT)) keys |= GLUW::kShift;
  if (keyDown(VK_CONTROL)) keys |= GLUW::kCtrl;
  if (keyDown(VK_MENU)) keys |= GLUW::kAlt;
  return keys;
}

}  // namespace

// The class name is copied first: fillClassTemplate keeps a pointer to this object's copy.
OpenGLFrame::OpenGLFrame(const std::string& title, HINSTANCE instance, const std::string& className)
    : Frame(title, fillClassTemplate(instance, className)), className(className) {
  classTemplate.lpszClassName = this->className.c_str();
  windowClass.lpszClassName = this->className.c_str();
}

// Nothing reads the window's mesh between frames, so its steps can run behind the rasterizer.
std::unique_ptr<GLUW> OpenGLFrame::createScene() {
  auto scene = std::make_unique<GLUW>();
  scene->stepsAhead = true;
  scene->modelFileName = modelFileName;
  return scene;
}

LRESULT OpenGLFrame::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    switch (message) {
      case WM_CREATE:
        return onCreate(window, lParam);
      case WM_SIZE:
        onSize(lParam);
        return 0;
      case WM_PAINT:
        onPaint(window);
        return 0;
      case WM_DESTROY:
        onDestroy(window);
        return 0;
      default:
        if (isMouseMessage(message)) {
          onMouseMessage(window, message);
          return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
  } catch (const std::exception& error) {
    if (message == WM_CREATE) return refuseCreation(window, error.what());
    std::fprintf(stderr, "springview: %s\n", error.what());
  } catch (...) {
    if (message == WM_CREATE) return refuseCreation(window, "unknown error while creating the scene");
    std::fprintf(stderr, "springview: unknown error\n");
  }
  // A scene that failed in a frame, a resize or a mouse message is not driven again: the program
  // ends with a failure status.
  wglMakeCurrent(nullptr, nullptr);
  scene.reset();
  PostQuitMessage(1);
  return 0;
}

LRESULT OpenGLFrame::onCreate(HWND window, LPARAM lParam) {
  deviceContext = GetDC(window);
  if (deviceContext == nullptr) return refuseCreation(window, "the window has no device context");
  pixelFormat = ChoosePixelFormat(deviceContext, &pixelFormatRequest);
  if (pixelFormat == 0 || !SetPixelFormat(deviceContext, pixelFormat, &pixelFormatRequest)) {
    return refuseCreation(window, "no double-buffered RGBA OpenGL pixel format for the window");
  }
  renderingContext = wglCreateContext(deviceContext);
  if (renderingContext == nullptr) return refuseCreation(window, "cannot create an OpenGL context");
  if (!wglMakeCurrent(deviceContext, renderingContext)) {
    return refuseCreation(window, "cannot make the OpenGL context current");
  }
  scene = createScene();
  scene->init();
  wglMakeCurrent(nullptr, nullptr);
  instance = reinterpret_cast<const CREATESTRUCTA*>(lParam)->hInstance;
  mouse.clear();
  return 0;
}

void OpenGLFrame::onSize(LPARAM lParam) {
  if (scene == nullptr || !wglMakeCurrent(deviceContext, renderingContext)) return;
  scene->resize(LOWORD(lParam), HIWORD(lParam));
  wglMakeCurrent(nullptr, nullptr);
}

void OpenGLFrame::onPaint(HWND window) {
  if (scene != nullptr && wglMakeCurrent(deviceContext, renderingContext)) {
    scene->render();
    SwapBuffers(deviceContext);
    wglMakeCurrent(nullptr, nullptr);
  }
  paintDeviceContext = BeginPaint(window, &paintRecord);
  SetBkMode(paintDeviceContext, TRANSPARENT);
  EndPaint(window, &paintRecord);
}

void OpenGLFrame::onDestroy(HWND window) {
  releaseContexts(window);
  scene.reset();
  PostQuitMessage(0);
}

void OpenGLFrame::onMouseMessage(HWND window, UINT message) {
  GetCursorPos(&cursorPoint);
  ScreenToClient(window, &cursorPoint);
  mouse.x = cursorPoint.x;
  mouse.y = cursorPoint.y;
  if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) SetCapture(window);
  if (message == WM_LBUTTONUP || message == WM_RBUTTONUP) ReleaseCapture();
  if (message != WM_MOUSEMOVE) mouse.button = buttonCode(message);
  mouse.keys = modifierBits();
  int result = scene != nullptr ? scene->onMouse(mouse.keys, mouse.button, mouse.x, mouse.y) : 0;
  if (result > 0) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
}

// Creation fails (-1) with the reason on standard error; what was made so far is released here, since
// Wine sends no WM_DESTROY after a refused WM_CREATE (where one follows, it finds nothing left).
LRESULT OpenGLFrame::refuseCreation(HWND window, const std::string& reason) {
  std::fprintf(stderr, "springview: %s\n", reason.c_str());
  wglMakeCurrent(nullptr, nullptr);
  scene.reset();
  releaseContexts(window);
  return -1;
}

void OpenGLFrame::releaseContexts(HWND window) {
  if (renderingContext != nullptr) wglDeleteContext(renderingContext);
  renderingContext = nullptr;
  if (deviceContext != nullptr) ReleaseDC(window, deviceContext);
  deviceContext = nullptr;
}

}  // namespace sv
