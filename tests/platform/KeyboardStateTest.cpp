// Key state as GetKeyState reports it: generic keys over both physical keys, Super counting as Alt.
#include "platform/state/KeyboardState.h"

#include <gtest/gtest.h>

namespace sv::platform {
namespace {

bool down(const KeyboardState& keys, int vk) { return keys.keyState(vk) < 0; }

TEST(KeyboardStateTest, GenericKeysCoverBothSidesAndSuperCountsAsAltUntilBothAreReleased) {
  KeyboardState keys;
  keys.press(VK_RSHIFT);
  keys.press(VK_LCONTROL);
  EXPECT_TRUE(down(keys, VK_SHIFT));
  EXPECT_FALSE(down(keys, VK_LSHIFT));
  EXPECT_TRUE(down(keys, VK_CONTROL));
  keys.release(VK_RSHIFT);
  EXPECT_FALSE(down(keys, VK_SHIFT));
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
  EXPECT_EQ(static_cast<std::uint16_t>(keys.keyState(VK_LSHIFT)), 0x8000);
}

TEST(KeyboardStateTest, MouseKeyFlagsNameButtonsShiftAndCtrl) {
  KeyboardState keys;
  for (int key : {VK_LBUTTON, VK_RSHIFT, VK_LMENU}) keys.press(key);  // Alt has no MK_ flag
  EXPECT_EQ(keys.mouseKeyFlags(), WPARAM(MK_LBUTTON | MK_SHIFT));
  for (int key : {VK_RCONTROL, VK_MBUTTON, VK_RBUTTON}) keys.press(key);
  EXPECT_EQ(keys.mouseKeyFlags(), WPARAM(MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL | MK_MBUTTON));
}

TEST(KeyboardStateTest, OutOfRangeKeysAreIgnored) {
  KeyboardState keys;
  for (int key : {-1, 256, 100000}) keys.press(key);
  EXPECT_EQ(keys.keyState(-1), 0);
  EXPECT_EQ(keys.keyState(256), 0);
}

}  // namespace
}  // namespace sv::platform
