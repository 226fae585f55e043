// Key and button state for GetKeyState (see KeyboardState.h).
#include "platform/state/KeyboardState.h"

#include <algorithm>

namespace sv::platform {

namespace {
bool inRange(int virtualKey) { return virtualKey > 0 && virtualKey < 256; }
}  // namespace

void KeyboardState::set(int virtualKey, bool isDown) {
  if (inRange(virtualKey)) down[virtualKey] = isDown;
}

bool KeyboardState::physicalDown(int virtualKey) const { return inRange(virtualKey) && down[virtualKey]; }

bool KeyboardState::isDown(int virtualKey) const {
  for (const auto& group : kModifierGroups) {
    if (group[0] == virtualKey) return std::any_of(group, group + 5, [this](int key) { return physicalDown(key); });
  }
  return physicalDown(virtualKey);
}

SHORT KeyboardState::keyState(int virtualKey) const {
  return static_cast<SHORT>(static_cast<std::uint16_t>(isDown(virtualKey) ? 0x8000 : 0));
}

WPARAM KeyboardState::mouseKeyFlags() const {
  WPARAM flags = 0;
  if (isDown(VK_LBUTTON)) flags |= MK_LBUTTON;
  if (isDown(VK_RBUTTON)) flags |= MK_RBUTTON;
  if (isDown(VK_SHIFT)) flags |= MK_SHIFT;
  if (isDown(VK_CONTROL)) flags |= MK_CONTROL;
  if (isDown(VK_MBUTTON)) flags |= MK_MBUTTON;
  return flags;
}

void KeyboardState::clear() { down.fill(false); }

}  // namespace sv::platform
