// A damped spring between two cloth particles, by index.
#pragma once

#include <cstdint>
#include <limits>

namespace sv {

struct ClothSpring {
  std::int32_t first = 0;
  std::int32_t second = 0;
  double stiffness = std::numeric_limits<double>::quiet_NaN();
  double damping = std::numeric_limits<double>::quiet_NaN();
  double restLength = std::numeric_limits<double>::quiet_NaN();
};

}  // namespace sv
