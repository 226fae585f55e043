// The GLFW-to-Win32 translation, called directly (no display needed): the button and key codes the
// window code expects, Super counting as Alt, and positions and wheel steps clamped to 16 bits.
#include "platform/backend/GlfwTranslate.h"

#include <limits>

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

namespace sv::platform {
namespace {

TEST(GlfwTranslateTest, ButtonsAndModifierKeysBecomeTheirWin32Codes) {
  const int L = GLFW_MOUSE_BUTTON_LEFT, R = GLFW_MOUSE_BUTTON_RIGHT, M = GLFW_MOUSE_BUTTON_MIDDLE;
  const struct {
    int button, action;
    UINT message;
  } buttons[] = {{L, GLFW_PRESS, WM_LBUTTONDOWN},      {L, GLFW_RELEASE, WM_LBUTTONUP},
                 {R, GLFW_PRESS, WM_RBUTTONDOWN},      {R, GLFW_RELEASE, WM_RBUTTONUP},
                 {M, GLFW_PRESS, WM_MBUTTONDOWN},      {M, GLFW_RELEASE, WM_MBUTTONUP},
                 {GLFW_MOUSE_BUTTON_4, GLFW_PRESS, 0}, {L, GLFW_REPEAT, 0}};
  for (const auto& row : buttons) EXPECT_EQ(buttonMessage(row.button, row.action), row.message) << row.button;
  const std::pair<int, int> keys[] = {
      {GLFW_KEY_LEFT_SHIFT, VK_LSHIFT},      {GLFW_KEY_RIGHT_SHIFT, VK_RSHIFT}, {GLFW_KEY_LEFT_CONTROL, VK_LCONTROL},
      {GLFW_KEY_RIGHT_CONTROL, VK_RCONTROL}, {GLFW_KEY_LEFT_ALT, VK_LMENU},     {GLFW_KEY_RIGHT_ALT, VK_RMENU},
      {GLFW_KEY_LEFT_SUPER, VK_LWIN},        {GLFW_KEY_RIGHT_SUPER, VK_RWIN},   {GLFW_KEY_A, 0}};
  for (auto [key, virtualKey] : keys) EXPECT_EQ(virtualKeyOf(key), virtualKey) << key;
}

TEST(GlfwTranslateTest, ModifierBitsHoldGenericKeysWithSuperAsAlt) {
  const struct {
    int mods, virtualKey;
    bool held;
  } rows[] = {{GLFW_MOD_SHIFT, VK_SHIFT, true},
              {GLFW_MOD_SHIFT, VK_CONTROL, false},
              {GLFW_MOD_CONTROL, VK_CONTROL, true},
              {GLFW_MOD_CONTROL, VK_MENU, false},
              {GLFW_MOD_ALT, VK_MENU, true},
              {GLFW_MOD_SUPER, VK_MENU, true},
              {GLFW_MOD_SUPER | GLFW_MOD_ALT, VK_SHIFT, false}};
  for (const auto& row : rows) EXPECT_EQ(modifiersHold(row.mods, row.virtualKey), row.held) << row.mods;
}

TEST(GlfwTranslateTest, CursorAndScrollBecomeDrawablePixelsAndWheelDeltasWithin16Bits) {
  EXPECT_EQ(clientPixel(100.7, 512, 512), 100);
  EXPECT_EQ(clientPixel(100.5, 512, 1024), 201);  // high-DPI: two pixels per screen unit
  EXPECT_EQ(clientPixel(-0.5, 512, 512), -1);     // captured drags leave the window
  EXPECT_EQ(clientPixel(10, 0, 0), 10);
  EXPECT_EQ(clientPixel(1e12, 512, 512), 32767);
  EXPECT_EQ(clientPixel(-1e12, 512, 512), -32768);
  EXPECT_EQ(clientPixel(std::numeric_limits<double>::quiet_NaN(), 512, 512), -32768);
  EXPECT_EQ(wheelDelta(-2.0), -240);
  EXPECT_EQ(wheelDelta(0.5), 60);
  EXPECT_EQ(wheelDelta(1e9), 32767);
}

}  // namespace
}  // namespace sv::platform
