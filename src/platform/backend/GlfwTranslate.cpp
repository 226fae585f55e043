// GLFW-to-Win32 translation (see GlfwTranslate.h).
#include "platform/backend/GlfwTranslate.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

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

namespace {

// Keys by their place, in the US layout: all but the letters and digits that the layout names.
constexpr std::pair<int, int> kPlacedKeys[] = {
    {GLFW_KEY_SPACE, VK_SPACE},
    {GLFW_KEY_ESCAPE, VK_ESCAPE},
    {GLFW_KEY_ENTER, VK_RETURN},
    {GLFW_KEY_TAB, VK_TAB},
    {GLFW_KEY_BACKSPACE, VK_BACK},
    {GLFW_KEY_INSERT, VK_INSERT},
    {GLFW_KEY_DELETE, VK_DELETE},
    {GLFW_KEY_RIGHT, VK_RIGHT},
    {GLFW_KEY_LEFT, VK_LEFT},
    {GLFW_KEY_DOWN, VK_DOWN},
    {GLFW_KEY_UP, VK_UP},
    {GLFW_KEY_PAGE_UP, VK_PRIOR},
    {GLFW_KEY_PAGE_DOWN, VK_NEXT},
    {GLFW_KEY_HOME, VK_HOME},
    {GLFW_KEY_END, VK_END},
    {GLFW_KEY_SEMICOLON, VK_OEM_1},
    {GLFW_KEY_EQUAL, VK_OEM_PLUS},
    {GLFW_KEY_COMMA, VK_OEM_COMMA},
    {GLFW_KEY_MINUS, VK_OEM_MINUS},
    {GLFW_KEY_PERIOD, VK_OEM_PERIOD},
    {GLFW_KEY_SLASH, VK_OEM_2},
    {GLFW_KEY_GRAVE_ACCENT, VK_OEM_3},
    {GLFW_KEY_LEFT_BRACKET, VK_OEM_4},
    {GLFW_KEY_BACKSLASH, VK_OEM_5},
    {GLFW_KEY_RIGHT_BRACKET, VK_OEM_6},
    {GLFW_KEY_APOSTROPHE, VK_OEM_7},
    {GLFW_KEY_WORLD_1, VK_OEM_102},
    {GLFW_KEY_KP_DECIMAL, VK_DECIMAL},
    {GLFW_KEY_KP_ENTER, VK_RETURN},
    {GLFW_KEY_LEFT_SHIFT, VK_LSHIFT},
    {GLFW_KEY_RIGHT_SHIFT, VK_RSHIFT},
    {GLFW_KEY_LEFT_CONTROL, VK_LCONTROL},
    {GLFW_KEY_RIGHT_CONTROL, VK_RCONTROL},
    {GLFW_KEY_LEFT_ALT, VK_LMENU},
    {GLFW_KEY_RIGHT_ALT, VK_RMENU},
    {GLFW_KEY_LEFT_SUPER, VK_LWIN},
    {GLFW_KEY_RIGHT_SUPER, VK_RWIN},
};

int fixedKeyOf(int glfwKey) {
  for (auto [glfw, virtualKey] : kPlacedKeys) {
    if (glfw == glfwKey) return virtualKey;
  }
  if (glfwKey >= GLFW_KEY_F1 && glfwKey <= GLFW_KEY_F12) return VK_F1 + (glfwKey - GLFW_KEY_F1);
  if (glfwKey >= GLFW_KEY_KP_0 && glfwKey <= GLFW_KEY_KP_9) return VK_NUMPAD0 + (glfwKey - GLFW_KEY_KP_0);
  // GLFW's letter and digit keys are their ASCII codes, as the virtual keys are.
  const bool letterOrDigit =
      (glfwKey >= GLFW_KEY_A && glfwKey <= GLFW_KEY_Z) || (glfwKey >= GLFW_KEY_0 && glfwKey <= GLFW_KEY_9);
  return letterOrDigit ? glfwKey : 0;
}

}  // namespace

int virtualKeyOf(int glfwKey, const char* keyName) {
  if (keyName != nullptr && keyName[0] != '\0' && keyName[1] == '\0' &&
      std::isalnum(static_cast<unsigned char>(keyName[0]))) {
    return std::toupper(static_cast<unsigned char>(keyName[0]));
  }
  return fixedKeyOf(glfwKey);
}

int wheelDelta(double glfwOffset) {
  double delta = std::round(glfwOffset * WHEEL_DELTA);
  // WM_MOUSEWHEEL carries the delta in 16 signed bits.
  return std::isnan(delta) ? 0 : static_cast<int>(std::clamp(delta, -32768.0, 32767.0));
}

WPARAM characterOf(unsigned int codepoint) { return codepoint <= 0xFF ? codepoint : '?'; }

bool modifiersHold(int glfwMods, int virtualKey) {
  if (virtualKey == VK_SHIFT) return (glfwMods & GLFW_MOD_SHIFT) != 0;
  if (virtualKey == VK_CONTROL) return (glfwMods & GLFW_MOD_CONTROL) != 0;
  return virtualKey == VK_MENU && (glfwMods & (GLFW_MOD_ALT | GLFW_MOD_SUPER)) != 0;
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
