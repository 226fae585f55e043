// Object3D: what the add operations store for the reader (growth, trimming and the report lines show in the
// shipped model's test), and the step, serial, fused over many steps and threaded, at every width of the
// spring forces, against the plain reference step to the last bit, on meshes from small to 100k vertices.
#include "GeodesicSphere.h"
#include "ShippedModel.h"
#include "core/Random.h"
#include "core/WorkerPool.h"
#include "mesh/Object3D.h"
#include "mesh/SpringForces.h"
#include "support/Fingerprint.h"
#include "support/ReferenceStep.h"
#include "support/TestMeshes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(Object3DAdd, ScalesNegatesAndCountsFromZero) {
  Object3D mesh;
  EXPECT_EQ((std::array{mesh.vertices.length(), mesh.normals.length(), mesh.faces.length(),
                        mesh.faceNormalIndices.length(), mesh.springs.length()}),
            (std::array<std::size_t, 5>{256, 256, 256, 256, 256}));
  mesh.addVertex(-0.5, 0.25, 0), mesh.addNormal(0, 1, 0);  // the normal negated, zeros included
  mesh.addFace({1, 2, 3}, {70, 80, 90}, {4, 5, 6}), mesh.addSpring(1, 2);
  EXPECT_TRUE(mesh.vertices[0].equals(Vec3D{-2.5, 1.25, 0, 0}));
  EXPECT_TRUE(std::signbit(mesh.normals[0].x) && mesh.normals[0].y == -1.0);
  EXPECT_EQ(
      (std::array{mesh.faces[0].a, mesh.faces[0].c, mesh.faceNormalIndices[0].a, mesh.faceNormalIndices[0].c,
                  mesh.springs[0].first, mesh.springs[0].second, FaceIndices{}.a, FaceIndices{}.b, FaceIndices{}.c}),
      (std::array{0, 2, 3, 5, 0, 1, 0, 0, 0}));  // a FaceIndices of its own starts at 0, 0, 0
}

// A sphere as objgen writes it: assets/sphere_k.obj is frequency 10 (objgen's tests hold it to that).
void geodesicSphere(Object3D& mesh, int frequency) {
  const GeodesicSphere sphere(frequency, kShippedSphereRadius);
  for (const auto& p : sphere.positions) mesh.addVertex(p[0], p[1], p[2]);
  for (const auto& [a, b] : sphere.edges) mesh.addSpring(a + 1, b + 1);
  test::buildQuietly(mesh);
}

// Frames of ten steps from the seed, each frame's step length taken in turn from dts (0 among them: only
// the vertices are rewritten and the generator drawn), by the reference or by the real step (one by one,
// and every other frame ten at once); the fingerprint of all the mesh holds after each frame, and of the
// next draw.
std::uint64_t afterFrames(Object3D& mesh, std::uint32_t seed, int frames, const std::vector<double>& dts,
                          bool reference) {
  seedRandom(seed);
  test::Fingerprint print;
  for (int f = 0; f < frames; ++f) {
    const double dt = dts[f % dts.size()];
    if (!reference && f % 2 == 1) mesh.advance(10, dt);
    for (int i = 0; (reference || f % 2 == 0) && i < 10; ++i)
      reference ? test::referenceStep(mesh, dt) : void(mesh.step(dt));
    print.add(mesh);
  }
  print.add(nextRandom());
  return print.value;
}

// The fingerprints were recorded from the reference. A change meant to alter the motion changes the
// reference first; the new values are then what this test prints.
TEST(Object3DStep, SerialFusedAndThreadedStepsGiveTheReferenceBits) {
  const auto scattered = [](std::uint32_t seed, int n) {
    return [=](Object3D& m) { test::scatteredMesh(m, seed, n); };
  };
  const auto sphere = [](int frequency) { return [=](Object3D& m) { geodesicSphere(m, frequency); }; };
  const auto grid = [](Object3D& m) { test::gridMesh(m, 12); };
  const std::size_t threshold = Object3D::kParallelThreshold;
  const struct {
    const char* mesh;
    std::function<void(Object3D&)> make;
    std::size_t parallelFrom;  // the threads take every mesh from this many particles on
    int threads, seed, frames;
    std::vector<double> dts;
    std::uint64_t fingerprint;
  } cases[] = {{"shipped sphere", sphere(kShippedSphereFrequency), threshold, 1, 3, 6, {0.1}, 0x8B9B24F92B0B84C1ull},
               {"100k sphere", sphere(100), threshold, 3, 3, 2, {0.1}, 0x51D4B7834C2172DBull},
               {"awkward springs, 2 threads", scattered(11, 3000), 0, 2, 3, 3, {0.1, 0.0}, 0xB8406D41E338E1F1ull},
               {"awkward springs, 8 threads", scattered(11, 3000), 0, 8, 3, 3, {0.1, 0.0}, 0xB8406D41E338E1F1ull},
               {"scattered", scattered(11, 120), threshold, 1, 11, 30, {0.1}, 0x2CD88AE3A6296EA6ull},
               {"grid", grid, threshold, 1, 7, 40, {0.1, 0.0, 0.025}, 0xBAB64CCA16C0DDEAull},
               {"short steps", scattered(44, 70), threshold, 1, 44, 15, {0.0, 0.0, 0.05, 0.1}, 0x9BA6AEF2F3EA7A1Bull}};
  for (const auto& c : cases) {
    Object3D reference;
    c.make(reference);
    WorkerPool::shared().setThreadCount(c.threads);
    const std::uint64_t expected = afterFrames(reference, c.seed, c.frames, c.dts, true);
    EXPECT_EQ(expected, c.fingerprint) << c.mesh << std::hex << ": now 0x" << expected;
    for (int width : {1, 2, 4, 8}) {  // the spring forces at every width this processor offers
      SpringForces::setWidth(width);
      EXPECT_EQ(SpringForces::width(), std::min(width, SpringForces::widestOffered()));
      Object3D mesh;
      c.make(mesh);
      mesh.parallelFrom = c.parallelFrom;
      EXPECT_EQ(afterFrames(mesh, c.seed, c.frames, c.dts, false), expected) << c.mesh << ", width " << width;
    }
  }
  SpringForces::setWidth(3);  // not a width: the widest offered
  EXPECT_EQ(SpringForces::width(), SpringForces::widestOffered());
  EXPECT_EQ(SpringForces::widestOffered(), __builtin_cpu_supports("avx512f") ? 8
                                           : __builtin_cpu_supports("avx2")  ? 4
                                                                             : 2);
}

// Springs added after build take part in the next step, on threads as on one. The array doubles, so
// the springs past the new one join particle 0 to itself; their rest lengths are set, as build would.
TEST(Object3DStep, SpringsAddedAfterBuildTakePartInTheStep) {
  const auto gridWithLateSpring = [](Object3D& mesh) {
    test::gridMesh(mesh, 12);
    mesh.parallelFrom = 0;
    mesh.addSpring(1, 144);
    for (MeshSpring& s : mesh.springs) s.restLength = std::isnan(s.restLength) ? 1.0 : s.restLength;
  };
  for (int threads : {1, 2}) {
    WorkerPool::shared().setThreadCount(threads);
    Object3D reference, mesh;
    gridWithLateSpring(reference), gridWithLateSpring(mesh);
    EXPECT_EQ(afterFrames(mesh, 5, 4, {0.1}, false), afterFrames(reference, 5, 4, {0.1}, true)) << threads;
  }
}

}  // namespace
}  // namespace sv
