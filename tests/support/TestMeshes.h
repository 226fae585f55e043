// Meshes for the tests, given in file terms (coordinates before the x5 scale, 1-based spring ends) so
// that the same input can fill an Object3D through its add operations and a reference model.
#pragma once

#include "mesh/Object3D.h"
#include "support/ReferenceSimulation.h"

#include <bit>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace sv::testing {

struct MeshInput {
  std::vector<reference::V> vertices;
  std::vector<std::pair<int, int>> springs;  // 1-based
};

inline void fill(Object3D& mesh, const MeshInput& input) {
  mesh.init();
  for (const auto& v : input.vertices) mesh.addVertex(v.x, v.y, v.z);
  for (auto [a, b] : input.springs) mesh.addSpring(a, b);
}

// Builds without printing: the report lines belong to the tests that check them.
inline void buildQuietly(Object3D& mesh) {
  ::testing::internal::CaptureStdout();
  mesh.build();
  ::testing::internal::GetCapturedStdout();
}

// A side x side grid in the plane z = 0 with springs along the edges of its triangles: right, down and
// one diagonal per cell, the way a triangulated surface joins its vertices.
inline MeshInput gridMesh(int side, double spacing = 0.1) {
  MeshInput in;
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i) in.vertices.push_back({i * spacing, j * spacing, 0.0});
  auto id = [side](int i, int j) { return 1 + i + j * side; };
  for (int j = 0; j < side; ++j) {
    for (int i = 0; i < side; ++i) {
      if (i + 1 < side) in.springs.push_back({id(i, j), id(i + 1, j)});
      if (j + 1 < side) in.springs.push_back({id(i, j), id(i, j + 1)});
      if (i + 1 < side && j + 1 < side) in.springs.push_back({id(i, j), id(i + 1, j + 1)});
    }
  }
  return in;
}

// Scattered vertices joined at random, plus the awkward cases: a spring from a vertex to itself
// (length 0), two vertices 0.001 apart after scaling (inside the damping threshold) and a duplicate.
inline MeshInput scatteredMesh(std::uint32_t seed, int count) {
  std::mt19937 g(seed);
  std::uniform_real_distribution<double> coordinate(-1.0, 1.0);
  MeshInput in;
  for (int i = 0; i < count; ++i) in.vertices.push_back({coordinate(g), coordinate(g), coordinate(g)});
  const reference::V last = in.vertices.back();  // beyond the 60 disturbed particles when count > 60
  in.vertices.push_back({last.x + 0.0002, last.y, last.z});
  const int n = static_cast<int>(in.vertices.size());
  std::uniform_int_distribution<int> vertex(1, n);
  for (int i = 0; i < 3 * n; ++i) in.springs.push_back({vertex(g), vertex(g)});
  in.springs.push_back({5, 5});
  in.springs.push_back({n - 1, n});
  in.springs.push_back({n, n - 1});
  return in;
}

inline std::uint64_t bitsOf(double d) { return std::bit_cast<std::uint64_t>(d); }

inline bool sameBits(const Vec3D& v, const reference::V& r) {
  return bitsOf(v.x) == bitsOf(r.x) && bitsOf(v.y) == bitsOf(r.y) && bitsOf(v.z) == bitsOf(r.z);
}

}  // namespace sv::testing
