// Object3D: what the add operations store for the reader (coordinates scaled by 5, normals negated,
// indices from 1-based to 0-based, arrays from 256 elements; growth, trimming and the report lines show
// in the shipped model's test), and the step, serial, fused over many steps and threaded, against the
// plain reference step to the last bit, on the shipped sphere, a 100k sphere and a mesh of awkward springs.
#include "GeodesicSphere.h"
#include "ShippedModel.h"
#include "core/Random.h"
#include "core/WorkerPool.h"
#include "mesh/Object3D.h"
#include "support/Fingerprint.h"
#include "support/ReferenceStep.h"
#include "support/TestMeshes.h"

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
  mesh.addVertex(-0.5, 0.25, 0);
  mesh.addNormal(0, 1, 0);  // negated, zeros included
  mesh.addFace({1, 2, 3}, {70, 80, 90}, {4, 5, 6});
  mesh.addSpring(1, 2);
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

// Frames of ten steps of 0.1 from one seed, by the reference or by the real step (one by one, and every
// other frame all at once); then the fingerprint of all the mesh holds and of the next draw.
std::uint64_t afterFrames(Object3D& mesh, int frames, bool reference) {
  seedRandom(3);
  for (int f = 0; f < frames; ++f) {
    if (!reference && f % 2 == 1) mesh.advance(10, 0.1);
    for (int i = 0; (reference || f % 2 == 0) && i < 10; ++i)
      reference ? test::referenceStep(mesh, 0.1) : void(mesh.step(0.1));
  }
  test::Fingerprint print;
  print.add(mesh), print.add(nextRandom());
  return print.value;
}

TEST(Object3DStep, SerialFusedAndThreadedStepsGiveTheReferenceBits) {
  const auto awkward = [](Object3D& m) { test::scatteredMesh(m, 11, 3000); };
  const struct {
    const char* mesh;
    std::function<void(Object3D&)> make;
    std::size_t parallelFrom;  // the threads take every mesh from this many particles on
    int threads, frames;
  } cases[] = {{"shipped sphere", [](Object3D& m) { geodesicSphere(m, kShippedSphereFrequency); },
                Object3D::kParallelThreshold, 1, 6},
               {"100k sphere", [](Object3D& m) { geodesicSphere(m, 100); }, Object3D::kParallelThreshold, 3, 2},
               {"awkward springs, 2 threads", awkward, 0, 2, 2},
               {"awkward springs, 8 threads", awkward, 0, 8, 2}};
  for (const auto& c : cases) {
    Object3D reference, mesh;
    c.make(reference), c.make(mesh);
    mesh.parallelFrom = c.parallelFrom;
    WorkerPool::shared().setThreadCount(c.threads);
    EXPECT_EQ(afterFrames(mesh, c.frames, false), afterFrames(reference, c.frames, true)) << c.mesh;
  }
}

// Recorded from test::referenceStep (tests/support/ReferenceStep.h), which the step must match bit for
// bit; both run here. A change meant to alter the motion changes the reference first; the new values are
// then what this test prints. The step lengths cycle through dts, zero among them (only the vertices
// are rewritten and the generator drawn).
TEST(Object3DStep, SeededRunsKeepTheirFingerprints) {
  const struct {
    int scattered;  // vertices of a scattered mesh, or 0 for a 12 x 12 grid
    std::uint32_t seed;
    int steps;
    std::vector<double> dts;
    std::uint64_t fingerprint;
  } cases[] = {{120, 11, 300, {0.1}, 0x3C8FC6A05C5A7246ull},
               {0, 7, 400, {0.1, 0.0, 0.025, 0.1, 0.1}, 0xE05556D48E4424D4ull},
               {70, 44, 150, {0.0, 0.05, 0.0, 0.1}, 0x110DDF1E4C1321F7ull}};
  const std::function<void(Object3D&, double)> steps[] = {[](Object3D& m, double dt) { m.step(dt); },
                                                          test::referenceStep};
  for (const auto& c : cases) {
    for (const auto& step : steps) {
      Object3D mesh;
      c.scattered > 0 ? test::scatteredMesh(mesh, c.seed, c.scattered) : test::gridMesh(mesh, 12);
      seedRandom(c.seed);
      test::Fingerprint print;
      print.add(mesh);
      for (int k = 0; k < c.steps; ++k) step(mesh, c.dts[k % c.dts.size()]), print.add(mesh);
      EXPECT_EQ(print.value, c.fingerprint) << "seed " << c.seed << std::hex << " now 0x" << print.value;
    }
  }
}

}  // namespace
}  // namespace sv
