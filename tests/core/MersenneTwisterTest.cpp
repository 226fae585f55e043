// The process's generator against the standard library's MT19937: the same numbers for any seed,
// through many regenerations of the state, and again after a reseed in the middle of a run.
#include "core/MersenneTwister.h"

#include <random>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(MersenneTwister, GivesTheStandardGeneratorsNumbersForAnySeed) {
  for (std::uint32_t seed : {0u, 1u, 5489u, 20261207u, 0xFFFFFFFFu}) {
    MersenneTwister ours(seed);
    std::mt19937 standard(seed);
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(ours(), standard()) << "seed " << seed << ", number " << i;
    ours.seed(seed ^ 7u), standard.seed(seed ^ 7u);
    for (int i = 0; i < 700; ++i) ASSERT_EQ(ours(), standard()) << "reseeded " << seed << ", number " << i;
  }
  MersenneTwister byDefault;
  for (int i = 1; i < 10000; ++i) byDefault();
  EXPECT_EQ(byDefault(), 4123659995u);  // the standard's own check: the 10,000th number of the default seed
}

}  // namespace
}  // namespace sv
