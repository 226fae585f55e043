// The real backend: native windows, OpenGL contexts and events from GLFW 3. X11 fixes a window's
// visual when the window is made, so the native window is made when the pixel format is set (or, for
// a window without one, when its creation ends). GLFW callbacks only record events (Input.h); window
// procedures run later, from GetMessageA, never inside GLFW. A display that goes away or a window that
// another program destroys ends the program with a message (X11Watch.h), never leaves it waiting.
#include "platform/backend/Backend.h"
#include "platform/backend/GlfwTranslate.h"
#include "platform/backend/Input.h"
#include "platform/backend/X11Watch.h"
#include "platform/state/WindowSystemState.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <GLFW/glfw3.h>
// clang-format off
// Last: Xlib's macros (None, Bool, Status) clash with names in the headers above.
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>
// clang-format on

namespace sv::platform {

namespace {

bool initialized = false;

void reportError(int code, const char* description) {
  std::fprintf(stderr, "window system error 0x%x: %s\n", code, description);
}

bool ensureInitialized() {
  if (initialized) return true;
  glfwSetErrorCallback(reportError);
  if (glfwInit() != GLFW_TRUE) return false;
  X11Watch::start(glfwGetX11Display());
  initialized = true;
  return true;
}

GLFWwindow* nativeOf(const WindowRecord& window) { return static_cast<GLFWwindow*>(window.native); }

HWND handleOf(GLFWwindow* native) { return static_cast<HWND>(glfwGetWindowUserPointer(native)); }

void clientCursor(GLFWwindow* native, int& x, int& y) {
  double cursorX = 0, cursorY = 0;
  int windowWidth = 0, windowHeight = 0, framebufferWidth = 0, framebufferHeight = 0;
  glfwGetCursorPos(native, &cursorX, &cursorY);
  glfwGetWindowSize(native, &windowWidth, &windowHeight);
  glfwGetFramebufferSize(native, &framebufferWidth, &framebufferHeight);
  x = clientPixel(cursorX, windowWidth, framebufferWidth);
  y = clientPixel(cursorY, windowHeight, framebufferHeight);
}

// Key events can go to another client (a desktop that takes Alt+drag, focus elsewhere); the modifier
// bits of a button event are the server's own view, so the key state is brought in line with them.
void syncModifiers(int mods) {
  const KeyboardState& keys = WindowSystemState::instance().keys;
  for (const auto& group : KeyboardState::kModifierGroups) {
    bool held = modifiersHold(mods, group[0]);
    if (held && !keys.isDown(group[0])) inputKey(group[0], true);
    if (!held && keys.isDown(group[0])) {
      for (int key : group) inputKey(key, false);
    }
  }
}

void onCursorMove(GLFWwindow* native, double, double) {
  int x = 0, y = 0;
  clientCursor(native, x, y);
  inputMouseMove(handleOf(native), x, y);
}

void onMouseButton(GLFWwindow* native, int button, int action, int mods) {
  UINT message = buttonMessage(button, action);
  if (message == 0) return;
  syncModifiers(mods);
  int x = 0, y = 0;
  clientCursor(native, x, y);
  inputMouseButton(handleOf(native), message, x, y);
}

void onKey(GLFWwindow* native, int key, int scancode, int action, int) {
  int virtualKey = virtualKeyOf(key, glfwGetKeyName(key, scancode));
  if (virtualKey != 0) inputKeyMessage(handleOf(native), virtualKey, action != GLFW_RELEASE, action == GLFW_REPEAT);
}

void onCharacter(GLFWwindow* native, unsigned int codepoint) {
  inputCharacter(handleOf(native), characterOf(codepoint));
}

void onScroll(GLFWwindow* native, double, double offset) {
  int x = 0, y = 0;
  clientCursor(native, x, y);
  inputWheel(handleOf(native), wheelDelta(offset), x, y);
}

void onFramebufferSize(GLFWwindow* native, int width, int height) {
  bool minimized = glfwGetWindowAttrib(native, GLFW_ICONIFIED) == GLFW_TRUE;
  inputResize(handleOf(native), minimized ? 0 : width, minimized ? 0 : height, minimized);
}

void onIconify(GLFWwindow* native, int iconified) {
  int width = 0, height = 0;
  glfwGetFramebufferSize(native, &width, &height);
  inputResize(handleOf(native), iconified ? 0 : width, iconified ? 0 : height, iconified == GLFW_TRUE);
}

void onRefresh(GLFWwindow* native) { inputExpose(handleOf(native)); }

void onClose(GLFWwindow* native) {
  // The window procedure decides: DefWindowProcA destroys the window on the WM_CLOSE posted here.
  glfwSetWindowShouldClose(native, GLFW_FALSE);
  inputClose(handleOf(native));
}

void requestFormat(const PIXELFORMATDESCRIPTOR* format, bool exact) {
  if (format == nullptr) {
    glfwWindowHint(GLFW_CLIENT_API, GLFW_NO_API);
    return;
  }
  glfwWindowHint(GLFW_CLIENT_API, GLFW_OPENGL_API);
  glfwWindowHint(GLFW_DOUBLEBUFFER, (format->dwFlags & PFD_DOUBLEBUFFER) ? GLFW_TRUE : GLFW_FALSE);
  int channelBits = format->cColorBits / 3;
  glfwWindowHint(GLFW_RED_BITS, exact ? channelBits : GLFW_DONT_CARE);
  glfwWindowHint(GLFW_GREEN_BITS, exact ? channelBits : GLFW_DONT_CARE);
  glfwWindowHint(GLFW_BLUE_BITS, exact ? channelBits : GLFW_DONT_CARE);
  glfwWindowHint(GLFW_ALPHA_BITS, exact ? format->cAlphaBits : GLFW_DONT_CARE);
  glfwWindowHint(GLFW_DEPTH_BITS, exact ? format->cDepthBits : GLFW_DONT_CARE);
  glfwWindowHint(GLFW_STENCIL_BITS, exact ? format->cStencilBits : GLFW_DONT_CARE);
}

// The window's icon, which a task bar shows: the scene's green mesh, lit from the upper left, over its
// blue background and white floor lines, drawn here so that the program needs no image file.
void setIcon(GLFWwindow* native) {
  constexpr int kSize = 48;
  std::vector<unsigned char> pixels(kSize * kSize * 4, 255);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      unsigned char* p = &pixels[static_cast<std::size_t>((y * kSize + x) * 4)];
      const double dx = (x - 23.5) / 17, dy = (y - 21.5) / 17, d2 = dx * dx + dy * dy;
      const bool floorLine = y > 38 && y % 4 == 0;
      if (d2 < 1) {
        const double light = 0.35 + 0.65 * std::max(0.0, (-dx - dy + std::sqrt(1 - d2)) / std::sqrt(3.0));
        p[0] = 0, p[1] = static_cast<unsigned char>(255 * light), p[2] = 0;
      } else if (!floorLine) {
        p[0] = 0, p[1] = 0;
      }
    }
  }
  const GLFWimage image{kSize, kSize, pixels.data()};
  glfwSetWindowIcon(native, 1, &image);
}

GLFWwindow* makeWindow(const WindowRecord& window, const PIXELFORMATDESCRIPTOR* format) {
  // Bit depths are preferences; when even the closest match is refused, anything with the same
  // buffering is taken, as Win32's ChoosePixelFormat returns the nearest format it has.
  for (bool exact : {true, false}) {
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    // The X11 class that the desktop entry's StartupWMClass names, so a task bar puts the window under it.
    glfwWindowHintString(GLFW_X11_CLASS_NAME, "springview");
    glfwWindowHintString(GLFW_X11_INSTANCE_NAME, "springview");
    requestFormat(format, exact);
    int width = window.width > 0 ? window.width : 1;
    int height = window.height > 0 ? window.height : 1;
    if (GLFWwindow* native = glfwCreateWindow(width, height, window.text.c_str(), nullptr, nullptr)) return native;
    if (format == nullptr) break;
  }
  return nullptr;
}

}  // namespace

namespace backend {

bool createNativeWindow(WindowRecord& window, const PIXELFORMATDESCRIPTOR* format) {
  if (!ensureInitialized()) return false;
  GLFWwindow* native = makeWindow(window, format);
  if (native == nullptr) return false;
  glfwSetWindowUserPointer(native, window.handle);
  setIcon(native);
  glfwSetWindowPos(native, window.x, window.y);
  glfwSetCursorPosCallback(native, onCursorMove);
  glfwSetMouseButtonCallback(native, onMouseButton);
  glfwSetKeyCallback(native, onKey);
  glfwSetCharCallback(native, onCharacter);
  glfwSetScrollCallback(native, onScroll);
  glfwSetFramebufferSizeCallback(native, onFramebufferSize);
  glfwSetWindowIconifyCallback(native, onIconify);
  glfwSetWindowRefreshCallback(native, onRefresh);
  glfwSetWindowCloseCallback(native, onClose);
  window.native = native;
  X11Watch::add(glfwGetX11Window(native));
  return true;
}

void showNativeWindow(WindowRecord& window) { glfwShowWindow(nativeOf(window)); }

// A window another client destroyed is left to the process's end: destroying it again would be an
// X error, which the X library answers by ending the process.
void destroyNativeWindow(WindowRecord& window) {
  if (X11Watch::remove(glfwGetX11Window(nativeOf(window)))) glfwDestroyWindow(nativeOf(window));
  window.native = nullptr;
}

void setNativeTitle(WindowRecord& window) { glfwSetWindowTitle(nativeOf(window), window.text.c_str()); }

void clientSize(const WindowRecord& window, int& width, int& height) {
  if (window.native == nullptr) {
    width = window.width;
    height = window.height;
    return;
  }
  glfwGetFramebufferSize(nativeOf(window), &width, &height);
}

bool cursorPosition(int& x, int& y) {
  WindowSystemState& windowSystem = WindowSystemState::instance();
  WindowRecord* reference = windowSystem.capture != nullptr ? windowSystem.window(windowSystem.capture) : nullptr;
  if (reference == nullptr || reference->native == nullptr) reference = windowSystem.anyNativeWindow();
  if (reference == nullptr) return false;
  clientCursor(nativeOf(*reference), x, y);
  return true;
}

bool makeContextCurrent(WindowRecord* window) {
  if (!initialized) return window == nullptr;
  glfwMakeContextCurrent(window != nullptr ? nativeOf(*window) : nullptr);
  return glfwGetCurrentContext() == (window != nullptr ? nativeOf(*window) : nullptr);
}

bool swapBuffers(WindowRecord& window) {
  glfwSwapBuffers(nativeOf(window));
  return true;
}

bool pollEvents() {
  if (initialized) glfwPollEvents();
  return !X11Watch::windowLost();
}

bool waitEvents() {
  if (!initialized) return false;
  glfwWaitEvents();
  return !X11Watch::windowLost();
}

bool waitEventsTimeout(double seconds) {
  if (!initialized) return false;
  glfwWaitEventsTimeout(seconds);
  return !X11Watch::windowLost();
}

}  // namespace backend
}  // namespace sv::platform
