// The main window's window procedure (see OpenGLFrame.h). Where the window system fails (no pixel
// format, no context, a context that cannot be made current) the scene is never driven without a
// current context, and a creation that cannot give the scene its context fails with a reason.
#include "app/OpenGLFrame.h"

#include "io/ModelFileError.h"

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

// Playing paints a frame per timer message: 17 ms keeps it under 60 a second; a frame that takes
// longer delays the next timer message, so frames are never skipped or queued up.
constexpr UINT_PTR kPlayTimer = 1;
constexpr UINT kPlayInterval = 17;

POINT cursorPoint;
PAINTSTRUCT paintRecord;
HDC paintDeviceContext = nullptr;

const WNDCLASSEXA& fillClassTemplate(HINSTANCE instance, const std::string& className) {
  classTemplate = WNDCLASSEXA{};
  // The structure's own size: 48 only on 32-bit Windows; a 64-bit Windows refuses any other value.
  classTemplate.cbSize = sizeof(WNDCLASSEXA);
  classTemplate.style = CS_HREDRAW | CS_VREDRAW;
  classTemplate.hInstance = instance;
  classTemplate.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  classTemplate.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  // No background brush: BeginPaint's erase would otherwise fill the client area with it right over
  // the frame just swapped in, and the window would stay blank until the next paint.
  classTemplate.hbrBackground = nullptr;
  classTemplate.lpszClassName = className.c_str();
  return classTemplate;
}

bool isMouseMessage(UINT message) { return message >= WM_MOUSEMOVE && message <= WM_RBUTTONDBLCLK; }

// The scene controller's button event code of a button message (WM_LBUTTONDOWN to WM_RBUTTONDBLCLK,
// the only ones that reach it).
std::int32_t buttonCode(UINT message) {
  if (message == WM_LBUTTONDOWN) return GLUW::kLeftDown;
  if (message == WM_LBUTTONUP) return GLUW::kLeftUp;
  if (message == WM_LBUTTONDBLCLK) return GLUW::kLeftDoubleClick;
  if (message == WM_RBUTTONDOWN) return GLUW::kRightDown;
  if (message == WM_RBUTTONUP) return GLUW::kRightUp;
  return GLUW::kRightDoubleClick;  // WM_RBUTTONDBLCLK
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

std::unique_ptr<GLUW> OpenGLFrame::createScene() {
  auto scene = std::make_unique<GLUW>();
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
        if (onControl(window, message, wParam, lParam)) return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    }
  } catch (const std::exception& error) {
    if (message == WM_CREATE) return refuseCreation(window, error.what());
    reportFailure(error.what());
  } catch (...) {
    if (message == WM_CREATE) return refuseCreation(window, "unknown error while creating the scene");
    reportFailure("unknown error");
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
  startScene(*scene);
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

// Keys, the wheel and the play timer; false for what they leave to the default processing.
bool OpenGLFrame::onControl(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (scene == nullptr) return false;
  switch (message) {
    case WM_KEYDOWN:
      return onKeyDown(window, wParam, lParam);
    case WM_CHAR:
      return onCharacter(window, wParam);
    case WM_MOUSEWHEEL:
      onWheel(window, wParam);
      return true;
    case WM_TIMER:
      if (wParam != kPlayTimer) return false;
      RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
      return true;
    default:
      return false;
  }
}

// Keys that type nothing, and Ctrl+Q. A key held down repeats the frame step, not the toggles: bit 30
// of lParam says the key was down already.
bool OpenGLFrame::onKeyDown(HWND window, WPARAM key, LPARAM lParam) {
  const bool repeated = (lParam & (LPARAM(1) << 30)) != 0;
  if (key == VK_SPACE && !repeated) {
    togglePlaying(window);
  } else if (key == VK_RIGHT) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
  } else if (key == VK_HOME) {
    scene->resetCamera();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
  } else if (key == VK_F5 && !repeated) {
    reloadModel(window);
  } else if (key == 'Q' && keyDown(VK_CONTROL)) {
    SendMessageA(window, WM_CLOSE, 0, 0);  // as the close button: the default processing destroys the window
  } else {
    return false;
  }
  return true;
}

// Characters, wherever the keyboard layout puts them: '.' steps one frame, R resets the camera.
bool OpenGLFrame::onCharacter(HWND window, WPARAM character) {
  if (character == 'r' || character == 'R') {
    scene->resetCamera();
  } else if (character != '.') {
    return false;
  }
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
  return true;
}

// Whole notches zoom; what a fine wheel turns short of one waits for the rest. Every turn paints a frame,
// as a mouse message does.
void OpenGLFrame::onWheel(HWND window, WPARAM wParam) {
  wheelTurned += GET_WHEEL_DELTA_WPARAM(wParam);
  const int notches = wheelTurned / WHEEL_DELTA;
  wheelTurned -= notches * WHEEL_DELTA;
  if (notches != 0) scene->wheelZoom(notches);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
}

void OpenGLFrame::togglePlaying(HWND window) {
  if (playing) {
    KillTimer(window, kPlayTimer);
    playing = false;
  } else {
    playing = SetTimer(window, kPlayTimer, kPlayInterval, nullptr) != 0;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
  }
}

// A file that cannot be read leaves the scene as it was; the reason goes where the start-up's would.
void OpenGLFrame::reloadModel(HWND window) {
  try {
    scene->reloadModel();
  } catch (const ModelFileError& error) {
    std::fprintf(stderr, "springview: %s\n", error.what());
  }
  std::fflush(stdout);  // the new counts, for a pipe that buffers them
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
}

// Creation fails (-1) with the reason on standard error; what was made so far is released here, since
// Wine sends no WM_DESTROY after a refused WM_CREATE (where one follows, it finds nothing left).
LRESULT OpenGLFrame::refuseCreation(HWND window, const std::string& reason) {
  reportFailure(reason);
  wglMakeCurrent(nullptr, nullptr);
  scene.reset();
  releaseContexts(window);
  return -1;
}

void OpenGLFrame::reportFailure(const std::string& reason) {
  failure = "springview: " + reason + "\n";
  std::fputs(failure.c_str(), stderr);
}

void OpenGLFrame::releaseContexts(HWND window) {
  if (renderingContext != nullptr) wglDeleteContext(renderingContext);
  renderingContext = nullptr;
  if (deviceContext != nullptr) ReleaseDC(window, deviceContext);
  deviceContext = nullptr;
}

}  // namespace sv
