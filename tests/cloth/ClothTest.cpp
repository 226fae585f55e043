// Cloth: the built grid and spring order, the values of the first step, spring thresholds, the pinned
// row, and bit-for-bit agreement with the independent pass-by-pass reference over many steps.
#include "cloth/Cloth.h"
#include "core/Random.h"
#include "support/ReferenceSimulation.h"
#include "support/TestMeshes.h"

#include <cmath>
#include <cstddef>
#include <random>

#include <gtest/gtest.h>

namespace sv {
namespace {

using testing::bitsOf;

bool isZero(const Vec3D& v) { return bitsOf(v.x) == 0 && bitsOf(v.y) == 0 && bitsOf(v.z) == 0; }

TEST(ClothConstruction, GridPinnedRowAndSprings) {
  const Cloth cloth;
  EXPECT_EQ(cloth.columns, 10);
  EXPECT_EQ(cloth.rows, 10);
  ASSERT_EQ(cloth.particles.length(), 100u);
  for (int n = 0; n < 100; ++n) {
    const ClothParticle& p = cloth.particles[n];
    EXPECT_TRUE(p.position.equals(Vec3D{n % 10 * 0.5, n / 10 * 0.5, 0.0, 0.0})) << n;
    EXPECT_EQ(bitsOf(p.position.w), 0u);
    EXPECT_EQ(p.pinned, n < 10 ? 1 : 0) << n;
    EXPECT_TRUE(isZero(p.velocity) && isZero(p.acceleration) && isZero(p.force)) << n;
    EXPECT_EQ(p.mass, 0.09);
  }
  // Rows, then columns, then both diagonals of each cell; the reference test checks every spring.
  ASSERT_EQ(cloth.springs.length(), 342u);
  const struct {
    int index, first, second;
  } expected[] = {{0, 0, 1},    {89, 98, 99}, {90, 0, 10},   {179, 89, 99},
                  {180, 0, 11}, {181, 1, 10}, {340, 88, 99}, {341, 89, 98}};
  for (const auto& e : expected) {
    EXPECT_EQ(cloth.springs[e.index].first, e.first) << e.index;
    EXPECT_EQ(cloth.springs[e.index].second, e.second) << e.index;
    EXPECT_EQ(cloth.springs[e.index].restLength, e.index < 180 ? 0.5 : std::sqrt(0.5)) << e.index;
  }
  for (const ClothSpring& s : cloth.springs) {
    EXPECT_EQ(s.stiffness, 0.28);
    EXPECT_EQ(s.damping, 0.21);
  }
}

TEST(ClothStepValues, FirstStepFallsUnderGravity) {
  Cloth cloth;
  seedRandom(2024);
  std::mt19937 mirror(2024);
  cloth.step(0.2);
  for (std::size_t n = 0; n < 100; ++n) {
    const double phi = 6.283185308 - (static_cast<std::uint32_t>(mirror()) & 0xFFFFu) / 16384.0;
    const ClothParticle& p = cloth.particles[n];
    if (p.pinned == 1) continue;
    EXPECT_NEAR(p.acceleration.y, -0.00196, 1e-15) << n;
    EXPECT_NEAR(p.velocity.y, -0.000392, 1e-15) << n;
    EXPECT_NEAR(p.position.y, (n / 10) * 0.5 - 0.0000784, 1e-15) << n;
    EXPECT_NEAR(p.velocity.x, -0.00008 * std::cos(phi), 1e-15) << n;
    EXPECT_NEAR(p.velocity.z, 0.00008 * std::sin(phi), 1e-15) << n;
  }
  EXPECT_EQ(nextRandom(), static_cast<std::uint32_t>(mirror()));  // one draw per particle, pinned ones too
}

// Force on particle 11 from a cloth whose only spring joins it to particle 12, moved to the given
// distance, with particle 12 moving away at the given speed.
Vec3D forceWithOneSpring(double distance, double speed, bool withSpring) {
  Cloth cloth;
  cloth.springs.setLength(withSpring ? 1 : 0);
  if (withSpring) cloth.springs[0] = {11, 12, 0.28, 0.21, 0.5};
  cloth.particles[12].position.x = cloth.particles[11].position.x + distance;
  cloth.particles[12].velocity.x = speed;
  seedRandom(9);
  cloth.step(0.2);
  return cloth.particles[11].force;
}

TEST(ClothStepSprings, DampingOnlyAboveThresholdAndNoneWhenCoincident) {
  const Vec3D still = forceWithOneSpring(0.3, 0, true), moving = forceWithOneSpring(0.3, 0.1, true);
  EXPECT_NEAR(moving.x - still.x, 0.21 * 0.1, 1e-15);
  const Vec3D none = forceWithOneSpring(0.006, 0, false);
  const Vec3D shortStill = forceWithOneSpring(0.006, 0, true), shortMoving = forceWithOneSpring(0.006, 0.1, true);
  EXPECT_EQ(bitsOf(shortStill.x), bitsOf(shortMoving.x));
  EXPECT_NEAR(shortStill.x - none.x, 0.28 * (0.006 - 0.5), 1e-15);
  const Vec3D coincident = forceWithOneSpring(0.0, 0.1, true), free = forceWithOneSpring(0.0, 0.1, false);
  EXPECT_TRUE(coincident.equals(free));
}

TEST(ClothStepSprings, PinnedEndTakesNoSpringForce) {
  Cloth cloth;
  cloth.particles[15].position.y += 0.3;  // stretches the springs to row 0
  seedRandom(10);
  cloth.step(0.2);
  EXPECT_EQ(cloth.particles[5].force.y, 0.09 * -0.0098);
  EXPECT_LT(cloth.particles[15].force.y, 0.09 * -0.0098 - 0.05);  // pulled back down
}

TEST(ClothStepReference, AgreesToTheLastBit) {
  for (std::uint32_t seed : {1u, 17u, 4000000000u}) {
    SCOPED_TRACE(seed);
    Cloth cloth;
    reference::Cloth ref;
    ASSERT_EQ(ref.springs.size(), cloth.springs.length());
    for (std::size_t k = 0; k < ref.springs.size(); ++k) {
      ASSERT_EQ(cloth.springs[k].first, ref.springs[k].a);
      ASSERT_EQ(cloth.springs[k].second, ref.springs[k].b);
      ASSERT_EQ(bitsOf(cloth.springs[k].restLength), bitsOf(ref.springs[k].rest));
    }
    seedRandom(seed);
    std::mt19937 refRandom(seed);
    for (int k = 1; k <= 1500; ++k) {
      const double dt = k % 11 == 0 ? 0.0 : k % 7 == 0 ? 0.05 : 0.2;  // a zero step keeps the state
      cloth.step(dt);
      ref.step(dt, refRandom);
      for (std::size_t n = 0; n < 100; ++n) {
        const ClothParticle& p = cloth.particles[n];
        const auto& q = ref.particles[n];
        ASSERT_TRUE(testing::sameBits(p.position, q.position)) << "position " << n << " step " << k;
        ASSERT_TRUE(testing::sameBits(p.velocity, q.velocity)) << "velocity " << n << " step " << k;
        ASSERT_TRUE(testing::sameBits(p.acceleration, q.acceleration)) << "acceleration " << n << " step " << k;
        ASSERT_TRUE(testing::sameBits(p.force, q.force)) << "force " << n << " step " << k;
      }
    }
  }
}

}  // namespace
}  // namespace sv
