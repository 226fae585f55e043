// Cloth: the built topology (spring order, ends, counts per particle, rest lengths), the values of the
// first step, the pinned row, dt = 0, spring thresholds, and bit-for-bit agreement with the
// independent pass-by-pass reference over many steps and seeds.
#include "cloth/Cloth.h"
#include "core/Random.h"
#include "support/ReferenceSimulation.h"
#include "support/TestMeshes.h"

#include <cmath>
#include <cstddef>
#include <random>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

using testing::bitsOf;

bool isZero(const Vec3D& v) { return bitsOf(v.x) == 0 && bitsOf(v.y) == 0 && bitsOf(v.z) == 0; }

// Plain records without a vtable, fields in their declared order: the arrays zero-fill them by bytes.
static_assert(!std::is_polymorphic_v<ClothParticle> && !std::is_polymorphic_v<ClothSpring>);
static_assert(offsetof(ClothParticle, position) == 0 && offsetof(ClothParticle, velocity) == 32 &&
              offsetof(ClothParticle, acceleration) == 64 && offsetof(ClothParticle, force) == 96 &&
              offsetof(ClothParticle, mass) == 128 && offsetof(ClothParticle, pinned) == 136);
static_assert(offsetof(ClothSpring, first) == 0 && offsetof(ClothSpring, second) == 4 &&
              offsetof(ClothSpring, stiffness) == 8 && offsetof(ClothSpring, damping) == 16 &&
              offsetof(ClothSpring, restLength) == 24);
static_assert(std::is_base_of_v<Object, Cloth>);

TEST(ClothConstruction, ParticlesOnTheGrid) {
  const Cloth cloth;
  EXPECT_EQ(cloth.columns, 10);
  EXPECT_EQ(cloth.rows, 10);
  ASSERT_EQ(cloth.particles.length(), 100u);
  double totalMass = 0.0;
  for (int j = 0; j < 10; ++j) {
    for (int i = 0; i < 10; ++i) {
      const ClothParticle& p = cloth.particles[i + j * 10];
      EXPECT_TRUE(p.position.equals(Vec3D{i * 0.5, j * 0.5, 0.0, 0.0}));
      EXPECT_EQ(bitsOf(p.position.w), 0u);
      EXPECT_EQ(p.pinned, j == 0 ? 1 : 0);
      EXPECT_TRUE(isZero(p.velocity) && isZero(p.acceleration) && isZero(p.force));
      EXPECT_EQ(p.mass, 0.09);
      totalMass += p.mass;
    }
  }
  EXPECT_NEAR(totalMass, 9.0, 1e-13);
  EXPECT_TRUE(cloth.particles[9].position.equals(Vec3D{4.5, 0, 0, 0}));
  EXPECT_TRUE(cloth.particles[99].position.equals(Vec3D{4.5, 4.5, 0, 0}));
}

TEST(ClothConstruction, SpringOrderAndEnds) {
  const Cloth cloth;
  ASSERT_EQ(cloth.springs.length(), 342u);
  const struct {
    int index, first, second;
  } expected[] = {{0, 0, 1},    {89, 98, 99}, {90, 0, 10},   {179, 89, 99},
                  {180, 0, 11}, {181, 1, 10}, {340, 88, 99}, {341, 89, 98}};
  for (const auto& e : expected) {
    EXPECT_EQ(cloth.springs[e.index].first, e.first) << e.index;
    EXPECT_EQ(cloth.springs[e.index].second, e.second) << e.index;
  }
  for (const ClothSpring& s : cloth.springs) {
    EXPECT_NE(s.first, s.second);
    EXPECT_EQ(s.stiffness, 0.28);
    EXPECT_EQ(s.damping, 0.21);
  }
}

TEST(ClothConstruction, RestLengths) {
  const Cloth cloth;
  for (std::size_t k = 0; k < cloth.springs.length(); ++k)
    EXPECT_EQ(cloth.springs[k].restLength, k < 180 ? 0.5 : std::sqrt(0.5)) << k;
}

TEST(ClothConstruction, SpringsPerParticle) {
  const Cloth cloth;
  std::vector<int> ends(100, 0);
  for (const ClothSpring& s : cloth.springs) {
    ASSERT_GE(s.first, 0);
    ASSERT_LT(s.second, 100);
    ++ends[s.first], ++ends[s.second];
  }
  for (int j = 0; j < 10; ++j) {
    for (int i = 0; i < 10; ++i) {
      const bool xBorder = i == 0 || i == 9, yBorder = j == 0 || j == 9;
      const int expected = xBorder && yBorder ? 3 : (xBorder || yBorder ? 5 : 8);
      EXPECT_EQ(ends[i + j * 10], expected) << i << "," << j;
    }
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

TEST(ClothStepValues, PinnedRowNeverMovesAndAccelerationFollowsForce) {
  Cloth cloth;
  seedRandom(3);
  for (int k = 0; k < 2000; ++k) {
    cloth.step(0.2);
    for (int i = 0; i < 10; ++i) {
      const ClothParticle& p = cloth.particles[i];
      ASSERT_TRUE(p.position.equals(Vec3D{i * 0.5, 0, 0, 0})) << k;
      ASSERT_TRUE(isZero(p.velocity) && isZero(p.acceleration)) << k;
      ASSERT_EQ(p.force.y, 0.09 * -0.0098);  // push and gravity still written every call
    }
    for (std::size_t n = 10; n < 100; ++n) {
      const ClothParticle& p = cloth.particles[n];
      ASSERT_EQ(p.acceleration.x, p.force.x * (0.2 / p.mass));
      ASSERT_EQ(p.acceleration.y, p.force.y * (0.2 / p.mass));
      ASSERT_EQ(p.acceleration.z, p.force.z * (0.2 / p.mass));
    }
  }
}

TEST(ClothStepValues, ZeroDtKeepsStateAndZeroesAcceleration) {
  Cloth cloth;
  seedRandom(4);
  for (int k = 0; k < 10; ++k) cloth.step(0.2);
  const Cloth before = cloth;
  seedRandom(5);
  std::mt19937 mirror(5);
  cloth.step(0.0);
  for (std::size_t n = 0; n < 100; ++n) {
    const ClothParticle &p = cloth.particles[n], &q = before.particles[n];
    ASSERT_TRUE(p.position.equals(q.position) && p.velocity.equals(q.velocity)) << n;
    if (p.pinned == 0) {
      ASSERT_TRUE(p.acceleration.equals(Vec3D{0, 0, 0, 0})) << n;  // force * 0: zeros of either sign
    }
  }
  for (int i = 0; i < 100; ++i) mirror();
  EXPECT_EQ(nextRandom(), static_cast<std::uint32_t>(mirror()));
}

TEST(ClothStepValues, ExtremePushAngles) {
  const std::uint32_t seed = 777;
  for (std::uint32_t lowBits : {0x0000u, 0xFFFFu}) {
    std::mt19937 mirror(seed);
    int before = 0;
    while ((mirror() & 0xFFFFu) != lowBits) ++before;
    Cloth cloth;
    seedRandom(seed);
    for (int i = 0; i < before; ++i) nextRandom();
    cloth.step(0.2);
    const double phi = 6.283185308 - lowBits / 16384.0;
    const ClothParticle& first = cloth.particles[0];  // pinned: its force is only push and gravity
    EXPECT_EQ(first.force.x, std::cos(phi) * (0.09 * -0.002)) << lowBits;
    EXPECT_EQ(first.force.z, -std::sin(phi) * (0.09 * -0.002)) << lowBits;
    if (lowBits == 0) {
      EXPECT_NEAR(first.force.x, -0.00018, 1e-15);
    }
  }
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

void expectSameBits(const Cloth& cloth, const reference::Cloth& ref, int step) {
  auto same = [](const Vec3D& v, const reference::V& r) {
    return bitsOf(v.x) == bitsOf(r.x) && bitsOf(v.y) == bitsOf(r.y) && bitsOf(v.z) == bitsOf(r.z);
  };
  for (std::size_t n = 0; n < 100; ++n) {
    const ClothParticle& p = cloth.particles[n];
    const auto& q = ref.particles[n];
    ASSERT_TRUE(same(p.position, q.position)) << "position " << n << " step " << step;
    ASSERT_TRUE(same(p.velocity, q.velocity)) << "velocity " << n << " step " << step;
    ASSERT_TRUE(same(p.acceleration, q.acceleration)) << "acceleration " << n << " step " << step;
    ASSERT_TRUE(same(p.force, q.force)) << "force " << n << " step " << step;
  }
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
      const double dt = k % 7 == 0 ? 0.05 : 0.2;
      cloth.step(dt);
      ref.step(dt, refRandom);
      expectSameBits(cloth, ref, k);
      if (HasFatalFailure()) return;
    }
  }
}

}  // namespace
}  // namespace sv
