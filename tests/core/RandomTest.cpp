// The shared generator: seeding makes the sequence that of a std::mt19937 with the same seed, so tests
// can predict every draw the time steps make.
#include "core/Random.h"

#include <random>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(RandomSequence, EachSeedingRestartsTheMersenneTwister) {
  for (std::uint32_t seed : {0u, 1u, 5489u, 0xDEADBEEFu, 1u}) {
    seedRandom(seed);
    std::mt19937 mirror(seed);
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(nextRandom(), static_cast<std::uint32_t>(mirror())) << seed << " " << i;
  }
}

}  // namespace
}  // namespace sv
