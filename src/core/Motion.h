// The motion laws both simulated bodies share: a horizontal push of random heading and the
// semi-implicit Euler step. Each body calls them in its own fixed order; that order, and the order
// of every operation inside them, is what makes the same seed give the same bits on every build.
#pragma once

#include "core/Lanes.h"
#include "core/Random.h"
#include "core/TurnTable.h"
#include "core/Vec3D.h"

namespace sv {

// force = (strength, 0, 0) turned about the y axis by a heading of the turn table; y stays 0 for the
// body to set.
inline void pushWithTurn(Vec3D& force, double strength, const TurnTable::SinCos& turn) {
  static constexpr Vec3D kTurningAxis{0.0, 1.0, 0.0};
  force.fill(0.0);
  force.x = strength;
  force.rotateBySinCos(turn.sin, turn.cos, kTurningAxis);
}

// The same, turned by the angle of one random draw per call, so a body that calls it per particle
// draws in particle order.
inline void pushWithRandomHeading(Vec3D& force, double strength) {
  pushWithTurn(force, strength, TurnTable::instance().forDraw(nextRandom()));
}

// Velocity first, then position from the new velocity. The returned "acceleration" is force * dt /
// mass, and it is scaled by dt once more before it reaches the velocity: a force changes the velocity
// by force * dt^2 / mass per step. The bodies' constants (wind, gravity, stiffness, damping) are
// tuned to that scale, so it is the motion the viewer shows, not a slip to correct.
inline Vec3D eulerStep(const Vec3D& force, double mass, double dt, Vec3D& velocity, Vec3D& position) {
  Vec3D acceleration = force;
  acceleration.scale(dt / mass);
  Vec3D change = acceleration;
  change.scale(dt);
  velocity.add(change);
  Vec3D travel = velocity;
  travel.scale(dt);
  position.add(travel);
  return acceleration;
}

// The two laws above for several bodies at once, a body per lane, operation for operation (the axis's
// zero parts included: 0 * t is not folded away when t may be infinite or negative), so each lane gets
// the bits of the law for one body.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"  // inlined into code of its lanes' target only; see Lanes.h
template <typename Lanes>
[[gnu::always_inline]] inline void pushWithTurn(LaneVectors<Lanes>& force, double strength, const Lanes& sin,
                                                const Lanes& cos) {
  constexpr double ax = 0.0, ay = 1.0, az = 0.0;
  const Lanes zero{}, t = 1 - cos, x = strength - zero;  // not zero + strength, which turns -0 into +0
  force.x = (cos + ax * ax * t) * x + (ax * ay * t - az * sin) * zero + (ax * az * t + ay * sin) * zero;
  force.z = (ax * az * t - ay * sin) * x + (ay * az * t + ax * sin) * zero + (cos + az * az * t) * zero;
}

template <typename Lanes>
[[gnu::always_inline]] inline void eulerStep(const LaneVectors<Lanes>& force, double mass, double dt,
                                             LaneVectors<Lanes>& velocity, LaneVectors<Lanes>& position) {
  const double perMass = dt / mass;
  velocity.x += force.x * perMass * dt, velocity.y += force.y * perMass * dt, velocity.z += force.z * perMass * dt;
  position.x += velocity.x * dt, position.y += velocity.y * dt, position.z += velocity.z * dt;
}
#pragma GCC diagnostic pop

}  // namespace sv
