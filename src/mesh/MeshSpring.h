// A spring between two vertices of a mesh, by index. Its length at rest is measured by build; its
// constants are the same for every spring of every mesh, so they belong to the record's type: the
// spring pass streams 16 bytes a spring instead of 32.
#pragma once

#include <cstdint>
#include <limits>

namespace sv {

struct MeshSpring {
  static constexpr double stiffness = 0.0025;
  static constexpr double damping = 0.0025;

  std::int32_t first = 0;
  std::int32_t second = 0;
  double restLength = std::numeric_limits<double>::quiet_NaN();
};

}  // namespace sv
