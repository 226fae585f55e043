// Which keys and mouse buttons are down, as GetKeyState reports them. The backends record physical
// keys (left and right Shift, Ctrl, Alt, Super); the generic keys combine them. Super counts as Alt,
// because many desktops take Alt+drag for moving windows and the viewer's drags need Alt.
#pragma once

#include "platform/win32/Win32Subset.h"

#include <array>

namespace sv::platform {

class KeyboardState {
 public:
  // Each generic modifier key, then the physical keys it stands for.
  static constexpr int kModifierGroups[3][5] = {
      {VK_SHIFT, VK_LSHIFT, VK_RSHIFT, 0, 0},
      {VK_CONTROL, VK_LCONTROL, VK_RCONTROL, 0, 0},
      {VK_MENU, VK_LMENU, VK_RMENU, VK_LWIN, VK_RWIN},
  };

  void set(int virtualKey, bool isDown);
  bool isDown(int virtualKey) const;
  // Win32 form: bit 15 set while down. The toggle bit (bit 0) is not kept: the window reads bit 15 only.
  SHORT keyState(int virtualKey) const;
  // MK_ flags of mouse messages: buttons, Shift and Ctrl.
  WPARAM mouseKeyFlags() const;
  void clear();

 private:
  bool physicalDown(int virtualKey) const;
  std::array<bool, 256> down{};
};

}  // namespace sv::platform
