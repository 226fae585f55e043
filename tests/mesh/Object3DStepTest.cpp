// Object3D::step: seeded runs pinned to the last bit of everything build and each step write.
#include "core/Random.h"
#include "mesh/Object3D.h"
#include "support/Fingerprint.h"
#include "support/TestMeshes.h"

#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

// The fingerprints were recorded while a second, independent pass-by-pass implementation of both steps
// agreed with these runs to the last bit; it lived in tests/support/ReferenceSimulation.h (see `git log
// --all -- tests/support/ReferenceSimulation.h`). A change meant to alter the motion is checked against
// it again, and the new values are the ones this test then prints: `mesh_tests
// --gtest_filter=Object3DStepReference.*` (and `frame_tests` for the cloth's). The scattered meshes hold
// zero-length, short and duplicate springs; the last run also steps by zero, which only rewrites the
// vertices and draws.
TEST(Object3DStepReference, AgreesToTheLastBit) {
  const struct {
    void (*fill)(Object3D&);
    std::uint32_t seed;
    int steps;
    std::vector<double> dts;
    std::uint64_t fingerprint;
  } cases[] = {
      {[](Object3D& m) { testing::scatteredMesh(m, 11, 120); }, 11, 300, {0.1}, 0x3C8FC6A05C5A7246ull},
      {[](Object3D& m) { testing::gridMesh(m, 12); }, 7, 400, {0.1}, 0x085B7DA6859EED92ull},
      {[](Object3D& m) { testing::scatteredMesh(m, 44, 70); }, 44, 150, {0.0, 0.37, 0.0, 0.1}, 0x1B9887F4123AA179ull}};
  for (const auto& c : cases) {
    Object3D mesh;
    c.fill(mesh);
    testing::buildQuietly(mesh);
    seedRandom(c.seed);
    testing::Fingerprint print;
    print.add(mesh);
    for (int k = 1; k <= c.steps; ++k) {
      mesh.step(c.dts[k % c.dts.size()]);
      print.add(mesh);
    }
    EXPECT_EQ(print.value(), c.fingerprint) << "seed " << c.seed;
  }
}

}  // namespace
}  // namespace sv
