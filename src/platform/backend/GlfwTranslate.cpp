// GLFW-to-Win32 translation (see GlfwTranslate.h).
#include "platform/backend/GlfwTranslate.h"

#include <cmath>

#include <GLFW/glfw3.h>

namespace sv::platform {

UINT buttonMessage(int glfwButton, int glfwAction) {
  bool pressed = glfwAction == GLFW_PRESS;
  if (glfwAction != GLFW_PRESS && glfwAction != GLFW_RELEASE) return 0;
  switch (glfwButton) {
    case GLFW_MOUSE_BUTTON_LEFT:
      return pressed ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case GLFW_MOUSE_BUTTON_RIGHT:
      return pressed ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case GLFW_MOUSE_BUTTON_MIDDLE:
      return pressed ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default:
      return 0;
  }
}

int virtualKeyOf(int glfwKey) {
  switch (glfwKey) {
    case GLFW_KEY_LEFT_SHIFT:
      return VK_LSHIFT;
    case GLFW_KEY_RIGHT_SHIFT:
      return VK_RSHIFT;
    case GLFW_KEY_LEFT_CONTROL:
      return VK_LCONTROL;
    case GLFW_KEY_RIGHT_CONTROL:
      return VK_RCONTROL;
    case GLFW_KEY_LEFT_ALT:
      return VK_LMENU;
    case GLFW_KEY_RIGHT_ALT:
      return VK_RMENU;
    case GLFW_KEY_LEFT_SUPER:
      return VK_LWIN;
    case GLFW_KEY_RIGHT_SUPER:
      return VK_RWIN;
    default:
      return 0;
  }
}

bool modifiersHold(int glfwMods, int virtualKey) {
  switch (virtualKey) {
    case VK_SHIFT:
      return (glfwMods & GLFW_MOD_SHIFT) != 0;
    case VK_CONTROL:
      return (glfwMods & GLFW_MOD_CONTROL) != 0;
    case VK_MENU:
      return (glfwMods & (GLFW_MOD_ALT | GLFW_MOD_SUPER)) != 0;
    default:
      return false;
  }
}

int clientPixel(double cursor, int windowExtent, int framebufferExtent) {
  double scale = windowExtent > 0 && framebufferExtent > 0 ? double(framebufferExtent) / windowExtent : 1.0;
  // Mouse positions travel in 16 signed bits of lParam; far outside positions (captured drags) saturate.
  double pixel = std::floor(cursor * scale);
  if (!(pixel > -32768.0)) return -32768;
  if (pixel > 32767.0) return 32767;
  return static_cast<int>(pixel);
}

}  // namespace sv::platform
