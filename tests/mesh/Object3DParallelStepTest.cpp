// The mesh step on several threads gives the bits of the one-thread step, for any thread count, on
// meshes above the size where the threads start: a grid and a random mesh with the awkward springs.
#include "core/Random.h"
#include "mesh/Object3D.h"
#include "support/TestMeshes.h"

#include <cstring>
#include <limits>
#include <omp.h>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

// Every particle's force, velocity and displacement and every vertex after 10 steps, then the next
// draw (so that both took the same number of draws). threads = 0 keeps the step on the serial loops.
std::vector<double> stateAfterSteps(const testing::MeshInput& input, int threads) {
  Object3D mesh;
  testing::fill(mesh, input);
  testing::buildQuietly(mesh);
  if (threads == 0) mesh.parallelFrom = std::numeric_limits<std::size_t>::max();
  omp_set_num_threads(threads == 0 ? 1 : threads);
  seedRandom(3);
  for (int i = 0; i < 10; ++i) mesh.step(0.1);
  std::vector<double> state;
  for (std::size_t i = 0; i < mesh.particles.length(); ++i) {
    const MeshParticle& p = mesh.particles[i];
    for (const Vec3D* v : {&p.force, &p.velocity, &p.displacement, &std::as_const(mesh.vertices[i])})
      state.insert(state.end(), {v->x, v->y, v->z});
  }
  state.push_back(nextRandom());
  return state;
}

TEST(Object3DParallelStep, SameBitsAsTheSerialStepOnAnyNumberOfThreads) {
  for (const testing::MeshInput& input : {testing::gridMesh(260), testing::scatteredMesh(11, 66000)}) {
    ASSERT_GE(input.vertices.size(), Object3D::kParallelThreshold);
    const std::vector<double> serial = stateAfterSteps(input, 0);
    for (int threads : {1, 2, 3, 8}) {
      const std::vector<double> parallel = stateAfterSteps(input, threads);
      ASSERT_EQ(parallel.size(), serial.size());
      EXPECT_EQ(std::memcmp(parallel.data(), serial.data(), serial.size() * sizeof(double)), 0)
          << threads << " threads";
    }
  }
}

}  // namespace
}  // namespace sv
