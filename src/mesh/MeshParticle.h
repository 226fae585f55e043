// The simulation state of one mesh vertex: a point mass tied to its rest position by an anchor spring.
// Its current position is always restPosition + displacement.
#pragma once

#include "core/Vec3D.h"

namespace sv {

struct MeshParticle {
  // The anchor spring's constants and the mass are the same for every particle of every mesh, so they
  // belong to the record's type rather than to each record: the step streams 128 bytes a particle, two
  // cache lines, instead of 160.
  static constexpr double anchorStiffness = 0.025;
  static constexpr double anchorDamping = 0.025;
  static constexpr double anchorRestLength = 0.0;
  static constexpr double mass = 0.05;

  Vec3D force;
  Vec3D velocity;
  Vec3D restPosition;
  Vec3D displacement;
};

}  // namespace sv
