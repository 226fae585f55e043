// The 10 x 10 cloth: point masses 0.5 apart in the plane z = 0, joined by structural and diagonal
// springs, its first row pinned. It meets nothing else in the scene: no floor, no mesh, no contact.
#pragma once

#include "cloth/ClothParticle.h"
#include "core/Array.h"
#include "core/DampedSpring.h"
#include "core/Object.h"

#include <cstdint>

namespace sv {

// A spring between two cloth particles, by index.
using ClothSpring = DampedSpring;

class Cloth : public Object {
 public:
  Cloth();

  virtual void step(double dt);

  // Particle (column i, row j) is at index i + j * columns.
  Array<ClothParticle> particles;
  Array<ClothSpring> springs;
  std::int32_t columns = 0;
  std::int32_t rows = 0;

 private:
  void buildParticles();
  void buildSprings();
  void addSpring(std::int32_t& k, std::int32_t first, std::int32_t second);
  void applyBodyForces();
  void applySprings();
  void integrate(double dt);
};

}  // namespace sv
