// A damped spring between two particles of a body, by index, and the spring law that the mesh's
// springs, the mesh's anchor springs and the cloth's springs all follow. Its constants are set by
// the body that builds it.
#pragma once

#include "core/Lanes.h"
#include "core/Vec3D.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace sv {

struct DampedSpring {
  // Below this length the direction of dp is too uncertain for the damping term, which divides by it.
  static constexpr double kDampingThreshold = 0.01;

  // dp's direction times the signed force along it, F = -(k (len - L) + c (dv . dp) / len), where
  // len is dp's length: for the first end of a spring whose ends are dp apart (second to first) and
  // move apart at dv (first less second), or for a particle dp from its anchor moving at dv. Positive
  // pushes the ends apart: stretch pulls them together, damping opposes their separation; below the
  // threshold the damping term is left out. The components and the damping term are divided by the
  // same length two at a time: a packed division rounds each part as a single one does, so the bits
  // are those of normalize() and the law's divisions one by one, in two divisions instead of four.
  static Vec3D forceAlong(double stiffness, double damping, double restLength, const Vec3D& dv, const Vec3D& dp) {
    const double len = dp.length();
    const Lanes2 lengths = {len, len};
    const Lanes2 xy = Lanes2{dp.x, dp.y} / lengths;
    const Lanes2 zDamping = Lanes2{dp.z, damping * dv.dot(dp)} / lengths;
    const double stretch = stiffness * (len - restLength);
    const double f = len > kDampingThreshold ? -(stretch + zDamping[1]) : -stretch;
    Vec3D along = dp;
    if (len == 0.0) {
      along.fill(0.0);
    } else {
      along.x = xy[0], along.y = xy[1], along.z = zDamping[0];
    }
    along.scale(f);
    return along;
  }

  // forceAlong for two, four or eight springs at once, operation for operation, given len = |dp| per
  // lane (whose square root the caller takes with its width's instruction): the same bits, with the
  // springs' long chains of a square root and divisions overlapping.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"  // inlined into code of its lanes' target only; see Lanes.h
  template <typename Lanes>
  [[gnu::always_inline]] static void forceAlong(const Lanes& stiffness, const Lanes& damping, const Lanes& restLength,
                                                const Lanes& len, const LaneVectors<Lanes>& dv,
                                                const LaneVectors<Lanes>& dp, LaneVectors<Lanes>& force) {
    const Lanes dampingTerm = damping * (dv.x * dp.x + dv.y * dp.y + dv.z * dp.z) / len;
    const Lanes stretch = stiffness * (len - restLength);
    const Lanes zero{};
    const Lanes along = len > zero + kDampingThreshold ? -(stretch + dampingTerm) : -stretch;
    const auto nonZero = len != zero;
    force = {(nonZero ? dp.x / len : zero) * along, (nonZero ? dp.y / len : zero) * along,
             (nonZero ? dp.z / len : zero) * along};
  }
#pragma GCC diagnostic pop

  // The force on the first end, whose position relative to the second end is dp; the second end takes
  // the same force negated.
  Vec3D forceOnFirst(const Vec3D& dp, const Vec3D& firstVelocity, const Vec3D& secondVelocity) const {
    Vec3D dv;
    dv.set(firstVelocity);
    dv.sub(secondVelocity);
    return forceAlong(stiffness, damping, restLength, dv, dp);
  }

  std::int32_t first = 0;
  std::int32_t second = 0;
  double stiffness = std::numeric_limits<double>::quiet_NaN();
  double damping = std::numeric_limits<double>::quiet_NaN();
  double restLength = std::numeric_limits<double>::quiet_NaN();
};

}  // namespace sv
