// Building the 10 x 10 cloth and stepping it. The step runs its passes in a fixed order (body
// forces, springs, integration); see core/Motion.h for why the order matters.
#include "cloth/Cloth.h"

#include "core/Motion.h"

namespace sv {

namespace {

// A 10 x 10 grid, 0.5 apart in the plane z = 0, its first row pinned.
struct Grid {
  std::int32_t columns, rows;
  double spacing;
};
constexpr Grid kGrid{10, 10, 0.5};

// Every particle weighs the same, and every spring, structural or diagonal, is alike.
struct Material {
  double mass, stiffness, damping;
};
constexpr Material kMaterial{0.09, 0.28, 0.21};

// Per unit mass: a small push of random heading, then gravity.
constexpr double kPushCoefficient = -0.002;
constexpr double kGravityCoefficient = -0.0098;

}  // namespace

Cloth::Cloth() {
  columns = kGrid.columns;
  rows = kGrid.rows;
  buildParticles();
  buildSprings();
}

void Cloth::buildParticles() {
  particles.setLength(static_cast<std::size_t>(columns) * rows);
  for (std::int32_t i = 0; i < columns; ++i) {
    ClothParticle& p = particles[i];
    p.pinned = 1;
    p.velocity.fill(0.0);
    p.acceleration.fill(0.0);
  }
  for (std::int32_t j = 0; j < rows; ++j) {
    for (std::int32_t i = 0; i < columns; ++i) {
      ClothParticle& p = particles[i + j * columns];
      p.position.x = i * kGrid.spacing;
      p.position.y = j * kGrid.spacing;
      p.position.z = 0.0;
      p.mass = kMaterial.mass;
    }
  }
}

void Cloth::addSpring(std::int32_t& k, std::int32_t first, std::int32_t second) {
  ClothSpring& s = springs[k++];
  s.first = first;
  s.second = second;
  s.stiffness = kMaterial.stiffness;
  s.damping = kMaterial.damping;
}

// Horizontal neighbours, then vertical neighbours, then both diagonals of every cell.
void Cloth::buildSprings() {
  const std::int32_t count = rows * (columns - 1) + columns * (rows - 1) + 2 * (columns - 1) * (rows - 1);
  springs.setLength(count);
  std::int32_t k = 0;
  for (std::int32_t j = 0; j < rows; ++j)
    for (std::int32_t i = 0; i < columns - 1; ++i) addSpring(k, i + j * columns, i + 1 + j * columns);
  for (std::int32_t j = 0; j < rows - 1; ++j)
    for (std::int32_t i = 0; i < columns; ++i) addSpring(k, i + j * columns, i + (j + 1) * columns);
  for (std::int32_t j = 0; j < rows - 1; ++j) {
    for (std::int32_t i = 0; i < columns - 1; ++i) {
      addSpring(k, i + j * columns, i + 1 + (j + 1) * columns);
      addSpring(k, i + 1 + j * columns, i + (j + 1) * columns);
    }
  }
  for (ClothSpring& s : springs) {
    Vec3D d;
    d.set(particles[s.first].position);
    d.sub(particles[s.second].position);
    s.restLength = d.length();
  }
}

// Clear, push and gravity only touch their own particle, so they are walked together per particle
// with the same bits as separate sweeps.
void Cloth::step(double dt) {
  applyBodyForces();
  applySprings();
  integrate(dt);
}

// A small push of random heading, then gravity. Pinned particles draw too, so every step takes one
// draw per particle.
void Cloth::applyBodyForces() {
  for (ClothParticle& p : particles) {
    pushWithRandomHeading(p.force, p.mass * kPushCoefficient);
    p.force.y = p.mass * kGravityCoefficient;
  }
}

// Damped springs; a pinned end takes no force, the free end still does.
void Cloth::applySprings() {
  ClothParticle* const ps = particles.data();
  for (const ClothSpring& s : springs) {
    ClothParticle& a = ps[s.first];
    ClothParticle& b = ps[s.second];
    Vec3D dp;
    dp.set(a.position);
    dp.sub(b.position);
    const Vec3D f = s.forceOnFirst(dp, a.velocity, b.velocity);
    Vec3D g = f;
    g.negate();
    if (a.pinned == 0) a.force.add(f);
    if (b.pinned == 0) b.force.add(g);
  }
}

// Free particles only; the acceleration kept is force * dt / mass of this step.
void Cloth::integrate(double dt) {
  for (ClothParticle& p : particles) {
    if (p.pinned == 1) continue;
    p.acceleration = eulerStep(p.force, p.mass, dt, p.velocity, p.position);
  }
}

}  // namespace sv
