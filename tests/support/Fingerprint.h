// A 64-bit fingerprint of everything a body's build and steps write, for pinning seeded runs to the
// last bit in a few characters of test.
#pragma once

#include "cloth/Cloth.h"
#include "mesh/Object3D.h"

#include <bit>
#include <cstdint>

namespace sv::test {

// Both steps of add are bijections of the 64 bits, so a single changed value always changes the value.
struct Fingerprint {
  void add(double d) {
    value = (value ^ std::bit_cast<std::uint64_t>(d)) * 0x100000001B3ull;
    value ^= value >> 29;
  }
  void add(const Vec3D& v) { add(v.x), add(v.y), add(v.z); }
  void add(const Object3D& mesh) {
    add(mesh.time);
    for (const Vec3D& v : mesh.vertices) add(v);
    for (const auto& p : mesh.particles) add(p.force), add(p.velocity), add(p.displacement), add(p.restPosition);
    for (const MeshSpring& s : mesh.springs) add(s.restLength);
  }
  void add(const Cloth& cloth) {
    for (const ClothParticle& p : cloth.particles) add(p.position), add(p.velocity), add(p.acceleration), add(p.force);
  }
  std::uint64_t value = 0xCBF29CE484222325ull;
};

}  // namespace sv::test
