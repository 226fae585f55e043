// The simulation state of one mesh vertex: a point mass tied to its rest position by an anchor spring.
// Its current position is always restPosition + displacement.
#pragma once

#include "core/Vec3D.h"

#include <limits>

namespace sv {

struct MeshParticle {
  Vec3D force;
  Vec3D velocity;
  Vec3D restPosition;
  Vec3D displacement;
  double anchorStiffness = std::numeric_limits<double>::quiet_NaN();
  double anchorDamping = std::numeric_limits<double>::quiet_NaN();
  double anchorRestLength = std::numeric_limits<double>::quiet_NaN();
  double mass = std::numeric_limits<double>::quiet_NaN();
};

}  // namespace sv
