// Meshes for the simulation tests, added the way the reader adds them (file coordinates before the x5
// scale, 1-based spring ends).
#pragma once

#include "mesh/Object3D.h"

#include <gtest/gtest.h>

namespace sv::testing {

inline void buildQuietly(Object3D& mesh) {  // the report lines belong to the test that checks them
  ::testing::internal::CaptureStdout();
  mesh.build();
  ::testing::internal::GetCapturedStdout();
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

}  // namespace sv::testing
