// One point mass of the cloth. Pinned particles (the first row) never move.
#pragma once

#include "core/Vec3D.h"

#include <cstdint>
#include <limits>

namespace sv {

struct ClothParticle {
  Vec3D position;
  Vec3D velocity;
  Vec3D acceleration;  // force * dt / mass of the last step: the velocity change divided by dt
  Vec3D force;
  double mass = std::numeric_limits<double>::quiet_NaN();
  std::int32_t pinned = 0;
};

}  // namespace sv
