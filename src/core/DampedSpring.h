// A damped spring between two particles of a body, by index, and the spring law that the mesh's
// springs, the mesh's anchor springs and the cloth's springs all follow. Its constants are set by
// the body that builds it.
#pragma once

#include "core/Vec3D.h"

#include <cstdint>
#include <limits>

namespace sv {

struct DampedSpring {
  // Below this length the direction of dp is too uncertain for the damping term, which divides by it.
  static constexpr double kDampingThreshold = 0.01;

  // F = -(k (len - L) + c (dv . dp) / len): the signed force along dp, the vector from the second
  // end to the first, whose length is len; dv is the first end's velocity minus the second's.
  // Positive pushes the ends apart. Stretch pulls them together; damping opposes their separation.
  static double force(double stiffness, double damping, double restLength, double len, const Vec3D& dv,
                      const Vec3D& dp) {
    if (len > kDampingThreshold) return -(stiffness * (len - restLength) + damping * dv.dot(dp) / len);
    return -(stiffness * (len - restLength));
  }

  // The force on the first end, whose position relative to the second end is dp; the second end takes
  // the same force negated.
  Vec3D forceOnFirst(const Vec3D& dp, const Vec3D& firstVelocity, const Vec3D& secondVelocity) const {
    Vec3D dv;
    dv.set(firstVelocity);
    dv.sub(secondVelocity);
    Vec3D f = dp;
    const double len = f.normalize();  // the same sqrt(x^2 + y^2 + z^2) that length() gives
    f.scale(force(stiffness, damping, restLength, len, dv, dp));
    return f;
  }

  std::int32_t first = 0;
  std::int32_t second = 0;
  double stiffness = std::numeric_limits<double>::quiet_NaN();
  double damping = std::numeric_limits<double>::quiet_NaN();
  double restLength = std::numeric_limits<double>::quiet_NaN();
};

}  // namespace sv
