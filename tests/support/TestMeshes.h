// Meshes for the simulation tests, added the way the reader adds them (file coordinates before the x5
// scale, 1-based spring ends) and left for the caller to build.
#pragma once

#include "mesh/Object3D.h"

#include <cstdint>
#include <random>

#include <gtest/gtest.h>

namespace sv::testing {

// Builds without printing: the report lines belong to the test that checks them.
inline void buildQuietly(Object3D& mesh) {
  ::testing::internal::CaptureStdout();
  mesh.build();
  ::testing::internal::GetCapturedStdout();
}

// A side x side grid in the plane z = 0, joined right, down and along one diagonal per cell.
inline void gridMesh(Object3D& mesh, int side) {
  auto id = [side](int i, int j) { return 1 + i + j * side; };
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i) mesh.addVertex(i * 0.1, j * 0.1, 0.0);
  for (int j = 0; j < side; ++j) {
    for (int i = 0; i < side; ++i) {
      if (i + 1 < side) mesh.addSpring(id(i, j), id(i + 1, j));
      if (j + 1 < side) mesh.addSpring(id(i, j), id(i, j + 1));
      if (i + 1 < side && j + 1 < side) mesh.addSpring(id(i, j), id(i + 1, j + 1));
    }
  }
}

// Scattered vertices joined at random, plus the awkward springs: a vertex to itself (length 0), two
// vertices 0.001 apart after scaling (below the damping threshold, beyond the 60 disturbed particles
// when count > 60) and a duplicate.
inline void scatteredMesh(Object3D& mesh, std::uint32_t seed, int count) {
  std::mt19937 g(seed);
  auto coordinate = [&g] { return static_cast<double>(g()) / 2147483648.0 - 1.0; };
  double x = 0, y = 0, z = 0;
  for (int i = 0; i < count; ++i) {
    x = coordinate(), y = coordinate(), z = coordinate();
    mesh.addVertex(x, y, z);
  }
  mesh.addVertex(x + 0.0002, y, z);
  const int n = count + 1;
  for (int i = 0; i < 3 * n; ++i) mesh.addSpring(static_cast<int>(g() % n) + 1, static_cast<int>(g() % n) + 1);
  for (auto [a, b] : {std::pair{5, 5}, {n - 1, n}, {n, n - 1}}) mesh.addSpring(a, b);
}

}  // namespace sv::testing
