// Key state as GetKeyState reports it: generic keys over both physical keys, Super counting as Alt.
#include "platform/KeyboardState.h"

#include <gtest/gtest.h>

namespace sv::platform {
namespace {

bool down(const KeyboardState& keys, int vk) { return keys.keyState(vk) < 0; }

TEST(KeyboardStateTest, GenericKeysCoverBothSides) {
  KeyboardState keys;
  keys.press(VK_RSHIFT);
  EXPECT_TRUE(down(keys, VK_SHIFT));
  EXPECT_FALSE(down(keys, VK_LSHIFT));
  keys.press(VK_LCONTROL);
  EXPECT_TRUE(down(keys, VK_CONTROL));
  keys.release(VK_RSHIFT);
  EXPECT_FALSE(down(keys, VK_SHIFT));
  EXPECT_TRUE(down(keys, VK_CONTROL));
}

TEST(KeyboardStateTest, SuperCountsAsAltUntilBothAreReleased) {
  KeyboardState keys;
  keys.press(VK_LWIN);
  EXPECT_TRUE(down(keys, VK_MENU));
  keys.press(VK_LMENU);
  keys.release(VK_LWIN);
  EXPECT_TRUE(down(keys, VK_MENU));
  keys.release(VK_LMENU);
  EXPECT_FALSE(down(keys, VK_MENU));
}

TEST(KeyboardStateTest, LowBitTogglesOncePerPress) {
  KeyboardState keys;
  keys.press(VK_LSHIFT);
  keys.press(VK_LSHIFT);  // auto-repeat is not a new press
  EXPECT_EQ(keys.keyState(VK_LSHIFT) & 1, 1);
  keys.release(VK_LSHIFT);
  keys.press(VK_LSHIFT);
  EXPECT_EQ(keys.keyState(VK_LSHIFT) & 1, 0);
  EXPECT_EQ(static_cast<std::uint16_t>(keys.keyState(VK_LSHIFT)) & 0x8000, 0x8000);
}

TEST(KeyboardStateTest, MouseKeyFlagsNameButtonsShiftAndCtrl) {
  KeyboardState keys;
  keys.press(VK_LBUTTON);
  keys.press(VK_RSHIFT);
  keys.press(VK_LMENU);  // Alt has no MK_ flag
  EXPECT_EQ(keys.mouseKeyFlags(), WPARAM(MK_LBUTTON | MK_SHIFT));
  keys.press(VK_RCONTROL);
  keys.press(VK_MBUTTON);
  keys.press(VK_RBUTTON);
  EXPECT_EQ(keys.mouseKeyFlags(), WPARAM(MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL | MK_MBUTTON));
}

TEST(KeyboardStateTest, OutOfRangeKeysAreIgnored) {
  KeyboardState keys;
  keys.press(-1);
  keys.press(256);
  keys.press(100000);
  EXPECT_EQ(keys.keyState(-1), 0);
  EXPECT_EQ(keys.keyState(256), 0);
}

}  // namespace
}  // namespace sv::platform
