// The one pseudo-random generator of the process. Both time steps draw from it in call order, so a
// frame's draws are the mesh's, then the cloth's. It is seeded from the time of day at start-up; tests
// and tools reseed it to make runs reproducible.
#pragma once

#include "core/MersenneTwister.h"

#include <cstdint>

namespace sv {

namespace detail {
extern MersenneTwister randomGenerator;
}

void seedRandom(std::uint32_t seed);

// Uniformly distributed over all 32-bit values. Inline: the time steps draw once per particle.
inline std::uint32_t nextRandom() { return detail::randomGenerator(); }

}  // namespace sv
