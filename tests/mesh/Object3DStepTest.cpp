// Object3D::step: the values a single step must produce (lone particle, wind angle from the low 16
// bits, vertical force over time, spring thresholds), hostile vertices, and bit-for-bit agreement with
// the independent pass-by-pass reference over many steps, seeds and step lengths (zero among them).
#include "core/Random.h"
#include "mesh/Object3D.h"
#include "support/ReferenceSimulation.h"
#include "support/TestMeshes.h"

#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

using testing::bitsOf;
using testing::buildQuietly;

constexpr double kMass = 0.05;

// A built mesh of `count` unconnected particles, all at rest at their rest positions.
void restingParticles(Object3D& mesh, int count) {
  for (int i = 0; i < count; ++i) mesh.addVertex(i, 0.5 * i, -i);
  buildQuietly(mesh);
  for (MeshParticle& p : mesh.particles) p.displacement.fill(0.0);
}

double phiFor(std::uint32_t r) { return 6.283185308 - (r & 0xFFFFu) / 16384.0; }

TEST(Object3DStepValues, LoneDisplacedParticleFirstStep) {
  for (std::uint32_t seed : {1u, 2u, 99u, 123456u}) {
    Object3D mesh;
    mesh.addVertex(0.3, -0.2, 0.1);
    buildQuietly(mesh);
    seedRandom(seed);
    std::mt19937 mirror(seed);
    const double phi = phiFor(static_cast<std::uint32_t>(mirror()));
    EXPECT_EQ(mesh.step(0.1), 0);
    const MeshParticle& p = mesh.particles[0];
    const double c = std::cos(phi), s = std::sin(phi);
    EXPECT_NEAR(p.force.x, -0.025 - 0.001 * c, 1e-16);
    EXPECT_EQ(bitsOf(p.force.y), bitsOf(-0.0));  // -0.0 * sin(0), plus a -0.0 anchor y
    EXPECT_NEAR(p.force.z, 0.001 * s, 1e-16);
    EXPECT_NEAR(p.velocity.x, -0.005 - 0.0002 * c, 1e-16);
    EXPECT_EQ(p.velocity.y, 0.0);
    EXPECT_NEAR(p.velocity.z, 0.0002 * s, 1e-16);
    EXPECT_NEAR(p.displacement.x, 0.9995 - 0.00002 * c, 1e-15);
    EXPECT_NEAR(p.displacement.z, 0.00002 * s, 1e-16);
    Vec3D moved = p.restPosition;
    moved.add(p.displacement);
    EXPECT_TRUE(mesh.vertices[0].equals(moved));
    EXPECT_EQ(mesh.time, 0.1);
  }
}

TEST(Object3DStepValues, WindAngleComesFromLow16BitsInParticleOrder) {
  Object3D mesh;
  restingParticles(mesh, 200);
  seedRandom(4242);
  std::mt19937 mirror(4242);
  mesh.step(0.1);
  for (const MeshParticle& p : mesh.particles) {
    const double phi = phiFor(static_cast<std::uint32_t>(mirror()));
    // Turning (mass * -0.02, 0, 0) about (0, 1, 0): the zero axis terms drop out exactly.
    ASSERT_EQ(p.force.x, std::cos(phi) * (kMass * -0.02));
    ASSERT_EQ(p.force.z, -std::sin(phi) * (kMass * -0.02));
    ASSERT_EQ(bitsOf(p.force.y), bitsOf(-0.0));
  }
  EXPECT_EQ(nextRandom(), static_cast<std::uint32_t>(mirror()));  // exactly one draw per particle
}

TEST(Object3DStepValues, VerticalForceSwellsAndReverses) {
  const struct {
    double time;
    double nearly;
  } cases[] = {{5.0, -0.0049}, {15.0, 0.0049}, {10.0, 0.0}, {2.5, -0.0049 * std::sin(0.25 * M_PI)}};
  for (const auto& c : cases) {
    Object3D mesh;
    restingParticles(mesh, 3);
    mesh.time = c.time;
    mesh.step(0.1);
    for (const MeshParticle& p : mesh.particles) {
      EXPECT_EQ(p.force.y, (kMass * -0.098) * std::sin(c.time * 3.141592654 / 10.0)) << c.time;
      EXPECT_NEAR(p.force.y, c.nearly, 1e-11) << c.time;
    }
    EXPECT_EQ(mesh.time, c.time + 0.1);
  }
}

// Two particles at rest joined by one spring of the given length; b moves away from a at the given speed.
Vec3D forceOnFirstEnd(double length, double separationSpeed, bool withSpring) {
  Object3D mesh;
  mesh.addVertex(0, 0, 0);
  mesh.addVertex(length / 5.0, 0, 0);
  if (withSpring) mesh.addSpring(1, 2);
  buildQuietly(mesh);
  for (MeshParticle& p : mesh.particles) p.displacement.fill(0.0);
  if (withSpring) mesh.springs[0].restLength = 0.5;
  mesh.particles[1].velocity.x = separationSpeed;
  seedRandom(8);
  mesh.step(0.1);
  return mesh.particles[0].force;
}

TEST(Object3DStepSprings, DampingOnlyAboveThresholdAndNoForceWhenCoincident) {
  // Damping shows as a difference between a still and a separating pair.
  const Vec3D still = forceOnFirstEnd(0.2, 0.0, true), moving = forceOnFirstEnd(0.2, 0.3, true);
  EXPECT_NE(still.x, moving.x);
  EXPECT_NEAR(moving.x - still.x, 0.0025 * 0.3, 1e-15);  // c * (dv . dp) / len along +x towards b
  const Vec3D shortStill = forceOnFirstEnd(0.008, 0.0, true), shortMoving = forceOnFirstEnd(0.008, 0.3, true);
  EXPECT_EQ(bitsOf(shortStill.x), bitsOf(shortMoving.x));
  const Vec3D none = forceOnFirstEnd(0.008, 0.0, false);
  EXPECT_NEAR(shortStill.x - none.x, 0.0025 * (0.008 - 0.5), 1e-15);  // elastic term only: a pushed away from b
  EXPECT_TRUE(forceOnFirstEnd(0.0, 0.0, true).equals(forceOnFirstEnd(0.0, 0.0, false)));  // coincident ends
}

TEST(Object3DStepHostile, NonFiniteVerticesStayInTheirOwnComponent) {
  // A sound 5 x 5 grid, then a separate triangle of vertices at NaN, infinity and near the largest
  // double, joined among themselves. Stepping must not fault, and the bad values must not reach the grid.
  Object3D mesh;
  testing::fill(mesh, testing::gridMesh(5));
  const double inf = std::numeric_limits<double>::infinity();
  mesh.addVertex(std::nan(""), 0, 0);
  mesh.addVertex(inf, -inf, 0);
  mesh.addVertex(1e308, -1e308, 1e308);
  for (auto [a, b] : {std::pair{26, 27}, {27, 28}, {28, 26}, {26, 26}}) mesh.addSpring(a, b);
  buildQuietly(mesh);
  seedRandom(12);
  for (int k = 0; k < 500; ++k) mesh.step(0.1);
  for (std::size_t i = 0; i < 25; ++i) {
    const MeshParticle& p = mesh.particles[i];
    ASSERT_TRUE(std::isfinite(mesh.vertices[i].length())) << i;
    ASSERT_LT(p.displacement.length(), 2.0) << i;
  }
  for (std::size_t i = 25; i < 28; ++i) EXPECT_FALSE(std::isfinite(mesh.particles[i].displacement.length())) << i;
  EXPECT_NEAR(mesh.time, 50.0, 1e-9);
}

// Every field the step writes, compared by bits after every step.
// Steps take the lengths in dts in turn; a zero one must only rewrite the vertices and draw.
void runAgainstReference(const testing::MeshInput& input, std::uint32_t seed, int steps, std::vector<double> dts) {
  Object3D mesh;
  testing::fill(mesh, input);
  buildQuietly(mesh);
  reference::Mesh ref(input.vertices, input.springs);
  ASSERT_EQ(mesh.vertices.length(), ref.vertices.size());
  for (std::size_t s = 0; s < ref.springs.size(); ++s)
    ASSERT_EQ(bitsOf(mesh.springs[s].restLength), bitsOf(ref.springs[s].rest)) << "spring " << s;
  seedRandom(seed);
  std::mt19937 refRandom(seed);
  for (int k = 0; k <= steps; ++k) {
    if (k > 0) mesh.step(dts[k % dts.size()]), ref.step(dts[k % dts.size()], refRandom);
    ASSERT_EQ(bitsOf(mesh.time), bitsOf(ref.time)) << "step " << k;
    for (std::size_t i = 0; i < ref.vertices.size(); ++i) {
      const MeshParticle& p = mesh.particles[i];
      const auto& q = ref.particles[i];
      ASSERT_TRUE(testing::sameBits(mesh.vertices[i], ref.vertices[i])) << "vertex " << i << " step " << k;
      ASSERT_TRUE(testing::sameBits(p.force, q.force)) << "force " << i << " step " << k;
      ASSERT_TRUE(testing::sameBits(p.velocity, q.velocity)) << "velocity " << i << " step " << k;
      ASSERT_TRUE(testing::sameBits(p.displacement, q.displacement)) << "displacement " << i << " step " << k;
      ASSERT_TRUE(testing::sameBits(p.restPosition, q.rest)) << "rest " << i;
    }
  }
}

TEST(Object3DStepReference, AgreesToTheLastBit) {
  const struct {
    testing::MeshInput input;
    std::uint32_t seed;
    int steps;
    std::vector<double> dts;
  } cases[] = {{testing::scatteredMesh(11, 120), 11, 300, {0.1}},
               {testing::scatteredMesh(22, 120), 22, 300, {0.1}},
               {testing::scatteredMesh(33, 120), 33, 300, {0.1}},
               {testing::gridMesh(12), 7, 400, {0.1}},
               {testing::scatteredMesh(44, 70), 44, 150, {0.0, 0.37, 0.0, 0.1}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seed);
    runAgainstReference(c.input, c.seed, c.steps, c.dts);
  }
}

}  // namespace
}  // namespace sv
