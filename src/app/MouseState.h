// The main window's record of the last mouse message: client position, button event code and
// modifier bits, in the codes the scene controller takes.
#pragma once

#include <cstdint>

namespace sv {

struct MouseState {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t button = 0;
  std::int32_t keys = 0;

  void clear() { x = y = button = keys = 0; }
};

}  // namespace sv
