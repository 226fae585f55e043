// The 32-bit Mersenne twister, MT19937: the standard library's std::mt19937, number for number, for
// any seed. The step draws a million numbers a frame from it at 100,000 vertices; the library's
// regeneration of the state branches on a random bit of every word, which the processor mispredicts
// half the time. This one regenerates without branches.
#pragma once

#include <array>
#include <cstdint>

namespace sv {

class MersenneTwister {
 public:
  static constexpr std::uint32_t kDefaultSeed = 5489u;

  explicit MersenneTwister(std::uint32_t seed = kDefaultSeed) { this->seed(seed); }

  void seed(std::uint32_t seed);

  std::uint32_t operator()() {
    if (next_ == kWords) regenerate();
    std::uint32_t y = state_[next_++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    return y ^ (y >> 18);
  }

 private:
  static constexpr std::size_t kWords = 624, kShift = 397;

  void regenerate();

  std::array<std::uint32_t, kWords> state_;
  std::size_t next_ = kWords;
};

}  // namespace sv
