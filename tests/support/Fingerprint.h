// One 64-bit number standing for every bit of every value a time step writes, so that a seeded run
// can be pinned by a handful of constants.
#pragma once

#include "cloth/Cloth.h"
#include "mesh/Object3D.h"

#include <bit>
#include <cstdint>

namespace sv::testing {

class Fingerprint {
 public:
  void add(double d) {
    value_ = (value_ ^ std::bit_cast<std::uint64_t>(d)) * 0x100000001B3ull;  // both steps are bijections,
    value_ ^= value_ >> 29;  // so a single changed value always changes the result
  }
  void add(const Vec3D& v) { add(v.x), add(v.y), add(v.z); }
  void add(const Object3D& mesh) {
    add(mesh.time);
    for (const Vec3D& v : mesh.vertices) add(v);
    for (const MeshParticle& p : mesh.particles)
      add(p.force), add(p.velocity), add(p.displacement), add(p.restPosition);
    for (const MeshSpring& s : mesh.springs) add(s.restLength);
  }
  void add(const Cloth& cloth) {
    for (const ClothParticle& p : cloth.particles) add(p.position), add(p.velocity), add(p.acceleration), add(p.force);
  }
  std::uint64_t value() const { return value_; }

 private:
  std::uint64_t value_ = 0xCBF29CE484222325ull;
};

}  // namespace sv::testing
