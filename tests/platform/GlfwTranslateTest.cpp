// The GLFW-to-Win32 translation of keys, wheel offsets and characters, where layouts, smooth wheels and
// characters beyond the code page differ from the plain case.
#include "platform/backend/GlfwTranslate.h"

#include <cmath>
#include <tuple>

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

namespace sv::platform {
namespace {

TEST(GlfwTranslateTest, KeysAreNamedByTheLayoutWheelsByNotchesAndCharactersByTheCodePage) {
  for (auto [glfw, name, virtualKey] : {std::tuple<int, const char*, int>{GLFW_KEY_Q, "a", 'A'},
                                        {GLFW_KEY_Q, nullptr, 'Q'},
                                        {GLFW_KEY_7, "è", '7'},
                                        {GLFW_KEY_PERIOD, ".", VK_OEM_PERIOD},
                                        {GLFW_KEY_SPACE, " ", VK_SPACE},
                                        {GLFW_KEY_RIGHT, nullptr, VK_RIGHT},
                                        {GLFW_KEY_HOME, nullptr, VK_HOME},
                                        {GLFW_KEY_F5, nullptr, VK_F5},
                                        {GLFW_KEY_F12, nullptr, VK_F12},
                                        {GLFW_KEY_RIGHT_SUPER, nullptr, VK_RWIN},
                                        {GLFW_KEY_UNKNOWN, nullptr, 0}})
    EXPECT_EQ(virtualKeyOf(glfw, name), virtualKey) << glfw;
  for (auto [offset, delta] : {std::pair{1.0, 120}, {-2.0, -240}, {0.1, 12}, {1e9, 32767}, {-1e9, -32768}, {NAN, 0}})
    EXPECT_EQ(wheelDelta(offset), delta) << offset;
  EXPECT_EQ(characterOf('.') + characterOf(0xE9), WPARAM('.' + 0xE9));
  EXPECT_EQ(characterOf(0x20AC), WPARAM('?')) << "the euro sign is not in Latin-1";
}

}  // namespace
}  // namespace sv::platform
