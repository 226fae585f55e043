// The GLFW-to-Win32 translation functions, called directly (no display needed).
#include "platform/backend/GlfwTranslate.h"

#include <cmath>
#include <limits>

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

namespace sv::platform {
namespace {

TEST(GlfwTranslateTest, ButtonsBecomeMouseMessages) {
  EXPECT_EQ(buttonMessage(GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS), UINT(WM_LBUTTONDOWN));
  EXPECT_EQ(buttonMessage(GLFW_MOUSE_BUTTON_LEFT, GLFW_RELEASE), UINT(WM_LBUTTONUP));
  EXPECT_EQ(buttonMessage(GLFW_MOUSE_BUTTON_RIGHT, GLFW_PRESS), UINT(WM_RBUTTONDOWN));
  EXPECT_EQ(buttonMessage(GLFW_MOUSE_BUTTON_RIGHT, GLFW_RELEASE), UINT(WM_RBUTTONUP));
  EXPECT_EQ(buttonMessage(GLFW_MOUSE_BUTTON_MIDDLE, GLFW_PRESS), UINT(WM_MBUTTONDOWN));
  EXPECT_EQ(buttonMessage(GLFW_MOUSE_BUTTON_MIDDLE, GLFW_RELEASE), UINT(WM_MBUTTONUP));
  EXPECT_EQ(buttonMessage(GLFW_MOUSE_BUTTON_4, GLFW_PRESS), 0u);
  EXPECT_EQ(buttonMessage(GLFW_MOUSE_BUTTON_LEFT, GLFW_REPEAT), 0u);
}

TEST(GlfwTranslateTest, ModifierKeysMapToPhysicalVirtualKeys) {
  EXPECT_EQ(virtualKeyOf(GLFW_KEY_LEFT_SHIFT), VK_LSHIFT);
  EXPECT_EQ(virtualKeyOf(GLFW_KEY_RIGHT_SHIFT), VK_RSHIFT);
  EXPECT_EQ(virtualKeyOf(GLFW_KEY_LEFT_CONTROL), VK_LCONTROL);
  EXPECT_EQ(virtualKeyOf(GLFW_KEY_RIGHT_CONTROL), VK_RCONTROL);
  EXPECT_EQ(virtualKeyOf(GLFW_KEY_LEFT_ALT), VK_LMENU);
  EXPECT_EQ(virtualKeyOf(GLFW_KEY_RIGHT_ALT), VK_RMENU);
  EXPECT_EQ(virtualKeyOf(GLFW_KEY_LEFT_SUPER), VK_LWIN);
  EXPECT_EQ(virtualKeyOf(GLFW_KEY_RIGHT_SUPER), VK_RWIN);
  EXPECT_EQ(virtualKeyOf(GLFW_KEY_A), 0);
}

TEST(GlfwTranslateTest, ModifierBitsHoldGenericKeysWithSuperAsAlt) {
  EXPECT_TRUE(modifiersHold(GLFW_MOD_SHIFT, VK_SHIFT));
  EXPECT_FALSE(modifiersHold(GLFW_MOD_SHIFT, VK_CONTROL));
  EXPECT_TRUE(modifiersHold(GLFW_MOD_CONTROL, VK_CONTROL));
  EXPECT_TRUE(modifiersHold(GLFW_MOD_ALT, VK_MENU));
  EXPECT_TRUE(modifiersHold(GLFW_MOD_SUPER, VK_MENU));
  EXPECT_FALSE(modifiersHold(GLFW_MOD_SUPER | GLFW_MOD_ALT, VK_SHIFT));
}

TEST(GlfwTranslateTest, CursorBecomesDrawablePixels) {
  EXPECT_EQ(clientPixel(100.7, 512, 512), 100);
  EXPECT_EQ(clientPixel(100.5, 512, 1024), 201);  // high-DPI: two pixels per screen unit
  EXPECT_EQ(clientPixel(-0.5, 512, 512), -1);     // captured drags leave the window
  EXPECT_EQ(clientPixel(10, 0, 0), 10);
  EXPECT_EQ(clientPixel(1e12, 512, 512), 32767);
  EXPECT_EQ(clientPixel(-1e12, 512, 512), -32768);
  EXPECT_EQ(clientPixel(std::numeric_limits<double>::quiet_NaN(), 512, 512), -32768);
}

TEST(GlfwTranslateTest, ScrollNotchesBecomeWheelDeltas) {
  EXPECT_EQ(wheelDelta(1.0), 120);
  EXPECT_EQ(wheelDelta(-2.0), -240);
  EXPECT_EQ(wheelDelta(0.5), 60);
  EXPECT_EQ(wheelDelta(1e9), 32767);
}

}  // namespace
}  // namespace sv::platform
