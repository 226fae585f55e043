// What every mesh the reader hands over keeps, whatever the file held: only the first slot filled,
// built (every array trimmed to its count), every stored index inside its array, every value finite.
#pragma once

#include "io/OBJ3D.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace sv::testing {

inline bool isSoundMesh(const OBJ3D& reader) {
  for (std::size_t i = 1; i < OBJ3D::kObjectSlots; ++i) {
    if (reader.objects[i]) return false;
  }
  if (!reader.objects[0]) return false;
  const Object3D& m = *reader.objects[0];
  auto length = [](std::int32_t count) { return static_cast<std::size_t>(count); };
  bool sound = m.vertices.length() == length(m.vertexCount) && m.particles.length() == m.vertices.length() &&
               m.normals.length() == length(m.normalCount) && m.faces.length() == length(m.faceCount) &&
               m.faceNormalIndices.length() == m.faces.length() && m.springs.length() == length(m.springCount);
  auto in = [](std::int32_t i, std::int32_t count) { return i >= 0 && i < count; };
  auto finite = [](const Vec3D& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); };
  for (const FaceIndices& f : m.faces)
    sound &= in(f.a, m.vertexCount) && in(f.b, m.vertexCount) && in(f.c, m.vertexCount);
  for (const FaceIndices& f : m.faceNormalIndices) {
    sound &= in(f.a, m.normalCount) && in(f.b, m.normalCount) && in(f.c, m.normalCount);
  }
  for (const MeshSpring& s : m.springs) sound &= in(s.first, m.vertexCount) && in(s.second, m.vertexCount);
  for (const MeshSpring& s : m.springs) sound &= std::isfinite(s.restLength);
  for (const Vec3D& v : m.vertices) sound &= finite(v);
  for (const Vec3D& n : m.normals) sound &= finite(n);
  return sound;
}

}  // namespace sv::testing
