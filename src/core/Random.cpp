// The process-wide generator, seeded from the time of day before main so that runs differ.
#include "core/Random.h"

#include <chrono>

namespace sv {

namespace {
std::uint32_t seedFromTimeOfDay() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}
}  // namespace

namespace detail {
MersenneTwister randomGenerator{seedFromTimeOfDay()};
}

void seedRandom(std::uint32_t seed) { detail::randomGenerator.seed(seed); }

}  // namespace sv
