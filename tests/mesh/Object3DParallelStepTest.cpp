// The mesh step on several threads gives the bits of the serial step, for any thread count: a grid
// above the size where the threads start, and a random mesh with the awkward springs on threads from
// its first particle.
#include "core/Random.h"
#include "core/WorkerPool.h"
#include "mesh/Object3D.h"
#include "support/TestMeshes.h"

#include <cstring>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

// Every particle's force, velocity and displacement and every vertex after 5 steps, then the next draw
// (so that both took the same number of draws). threads = 0 takes five serial steps one by one.
std::vector<double> stateAfterSteps(const std::function<void(Object3D&)>& make, std::size_t parallelFrom, int threads) {
  Object3D mesh;
  make(mesh);
  mesh.parallelFrom = threads == 0 ? std::numeric_limits<std::size_t>::max() : parallelFrom;
  WorkerPool::shared().setThreadCount(threads == 0 ? 1 : threads);
  seedRandom(3);
  // The reference takes five separate steps; the others advance five steps at once.
  if (threads == 0) {
    for (int i = 0; i < 5; ++i) mesh.step(0.1);
  } else {
    EXPECT_EQ(mesh.advance(5, 0.1), 0);
  }
  std::vector<double> state;
  for (std::size_t i = 0; i < mesh.particles.length(); ++i) {
    const MeshParticle& p = mesh.particles[i];
    for (const Vec3D* v : {&p.force, &p.velocity, &p.displacement, &std::as_const(mesh.vertices[i])})
      state.insert(state.end(), {v->x, v->y, v->z});
  }
  state.push_back(nextRandom());
  return state;
}

TEST(Object3DParallelStep, FiveStepsAtOnceOnAnyNumberOfThreadsGiveTheBitsOfFiveSerialSteps) {
  const std::pair<std::function<void(Object3D&)>, std::size_t> meshes[] = {
      {[](Object3D& m) { testing::gridMesh(m, 80); }, Object3D::kParallelThreshold},  // 6,400 vertices
      {[](Object3D& m) { testing::scatteredMesh(m, 11, 3000); }, 0}};
  for (const auto& [make, parallelFrom] : meshes) {
    const std::vector<double> serial = stateAfterSteps(make, parallelFrom, 0);
    ASSERT_GE(serial.size() / 12, parallelFrom);
    for (int threads : {1, 2, 3, 8}) {
      const std::vector<double> parallel = stateAfterSteps(make, parallelFrom, threads);
      ASSERT_EQ(parallel.size(), serial.size());
      EXPECT_EQ(std::memcmp(parallel.data(), serial.data(), serial.size() * sizeof(double)), 0)
          << threads << " threads";
    }
  }
}

}  // namespace
}  // namespace sv
