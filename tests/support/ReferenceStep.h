// The mesh's time step written plainly from its law, whose bits Object3D's step must give: seven passes in
// the law's order, one draw per particle in index order; no packing, fused passes, threads or tables.
#pragma once

#include "core/Random.h"
#include "mesh/Object3D.h"

#include <cmath>

namespace sv::test {

// dp's direction scaled by -(stiffness (len - rest) + damping (dv . dp) / len); undamped while len <= 0.01.
inline Vec3D springForce(double stiffness, double damping, double rest, const Vec3D& dp, const Vec3D& dv) {
  const double len = dp.length();
  Vec3D force = dp;
  force.normalize();
  force.scale(len > 0.01 ? -(stiffness * (len - rest) + damping * dv.dot(dp) / len) : -(stiffness * (len - rest)));
  return force;
}

inline void referenceStep(Object3D& mesh, double dt) {
  for (MeshParticle& p : mesh.particles) p.force.fill(0.0);
  for (MeshParticle& p : mesh.particles) {  // wind of random heading
    p.force.x = p.mass * -0.02;
    const float k = static_cast<float>(nextRandom() % 65536u);
    p.force.rotate(k * 4.0f * 1.52587890625e-05f, Vec3D{0.0, 1.0, 0.0, 0.0});
  }
  for (MeshParticle& p : mesh.particles) p.force.y = (p.mass * -0.098) * std::sin(mesh.time * 3.141592654 / 10.0f);
  for (const MeshSpring& s : mesh.springs) {
    MeshParticle &a = mesh.particles[s.first], &b = mesh.particles[s.second];
    Vec3D dp = a.restPosition, dv = a.velocity;
    dp.add(a.displacement), dp.sub(b.restPosition), dp.sub(b.displacement), dv.sub(b.velocity);
    Vec3D f = springForce(s.stiffness, s.damping, s.restLength, dp, dv);
    a.force.add(f);
    f.negate();
    b.force.add(f);
  }
  for (MeshParticle& p : mesh.particles)  // anchors
    p.force.add(springForce(p.anchorStiffness, p.anchorDamping, p.anchorRestLength, p.displacement, p.velocity));
  for (std::size_t i = 0; i < mesh.vertices.length(); ++i) {  // semi-implicit Euler
    MeshParticle& p = mesh.particles[i];
    Vec3D a = p.force, travel;
    a.scale(dt / p.mass), a.scale(dt);
    p.velocity.add(a);
    travel = p.velocity, travel.scale(dt);
    p.displacement.add(travel);
    mesh.vertices[i].set(p.restPosition), mesh.vertices[i].add(p.displacement);
  }
  mesh.time += dt;
}

}  // namespace sv::test
