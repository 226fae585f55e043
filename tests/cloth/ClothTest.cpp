// Cloth::step over seeded runs, pinned to the last bit: step lengths cycle through dts, zero among them, and a
// crumpled cloth starts with its free rows shrunk a hundredfold, below its springs' damping threshold.
#include "cloth/Cloth.h"
#include "core/Random.h"
#include "support/Fingerprint.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

// Recorded when the mesh's step was matched to its plain reference; a change to the motion prints new values.
TEST(ClothStep, SeededRunsKeepTheirFingerprints) {
  const struct {
    std::uint32_t seed;
    int steps;
    std::vector<double> dts;
    double crumple;
    std::uint64_t fingerprint;
  } cases[] = {{11, 150, {0.2}, 1.0, 0x982518C3E037B007ull},
               {7, 200, {0.2, 0.0, 0.05, 0.2, 0.2}, 0.01, 0x62C4933EDA30E295ull},
               {44, 75, {0.0, 0.1}, 1.0, 0xE2DF02CC85E6F407ull}};
  for (const auto& c : cases) {
    Cloth cloth;
    const std::size_t firstFree = static_cast<std::size_t>(cloth.columns);  // the first row is pinned
    for (std::size_t n = firstFree; n < cloth.particles.length(); ++n) cloth.particles[n].position.scale(c.crumple);
    seedRandom(c.seed);
    test::Fingerprint print;
    print.add(cloth);
    for (int k = 0; k < c.steps; ++k) cloth.step(c.dts[k % c.dts.size()]), print.add(cloth);
    EXPECT_EQ(print.value, c.fingerprint) << "seed " << c.seed << std::hex << " now 0x" << print.value;
  }
}

}  // namespace
}  // namespace sv
