// Meshes for the simulation tests, added the way the reader adds them (file coordinates before the x5
// scale, 1-based spring ends).
#pragma once

#include "mesh/Object3D.h"

#include <cstdint>
#include <random>
#include <utility>

#include <gtest/gtest.h>

namespace sv::test {

inline void buildQuietly(Object3D& mesh) {  // the report lines belong to the test that checks them
  ::testing::internal::CaptureStdout(), mesh.build(), ::testing::internal::GetCapturedStdout();
}

// A side x side grid in the plane z = 0, joined right, down and along one diagonal per cell, and built.
inline void gridMesh(Object3D& mesh, int side) {
  for (int n = 0; n < side * side; ++n) mesh.addVertex(n % side * 0.1, n / side * 0.1, 0.0);
  for (int n = 1; n <= side * side; ++n) {
    const bool right = n % side != 0, down = n + side <= side * side;
    if (right) mesh.addSpring(n, n + 1);
    if (down) mesh.addSpring(n, n + side);
    if (right && down) mesh.addSpring(n, n + side + 1);
  }
  buildQuietly(mesh);
}

// Random vertices and springs, one of length 0, one of 0.001 (undamped, past the 60 disturbed), a duplicate.
inline void scatteredMesh(Object3D& mesh, std::uint32_t seed, int count) {
  std::mt19937 g(seed);
  double p[3] = {};
  for (int i = 0; i < count; ++i) {
    for (double& c : p) c = static_cast<double>(g()) / 2147483648.0 - 1.0;
    mesh.addVertex(p[0], p[1], p[2]);
  }
  mesh.addVertex(p[0] + 0.0002, p[1], p[2]);
  const int n = count + 1;
  for (int i = 0; i < 3 * n; ++i) mesh.addSpring(static_cast<int>(g() % n) + 1, static_cast<int>(g() % n) + 1);
  for (auto [a, b] : {std::pair{5, 5}, {n - 1, n}, {n, n - 1}}) mesh.addSpring(a, b);
  buildQuietly(mesh);
}

}  // namespace sv::test
