#include "core/MersenneTwister.h"

namespace sv {

void MersenneTwister::seed(std::uint32_t seed) {
  state_[0] = seed;
  for (std::size_t i = 1; i < kWords; ++i) {
    state_[i] = 1812433253u * (state_[i - 1] ^ (state_[i - 1] >> 30)) + static_cast<std::uint32_t>(i);
  }
  next_ = kWords;
}

// Word i becomes word i + 397 (taken round the end, already new there) mixed with the top bit of word
// i and the low bits of word i + 1; the mix is xored with the constant where its lowest bit is set.
void MersenneTwister::regenerate() {
  auto mixed = [](std::uint32_t upper, std::uint32_t lower, std::uint32_t far) {
    const std::uint32_t y = (upper & 0x80000000u) | (lower & 0x7FFFFFFFu);
    return far ^ (y >> 1) ^ ((0u - (y & 1u)) & 0x9908B0DFu);
  };
  std::size_t i = 0;
  for (; i < kWords - kShift; ++i) state_[i] = mixed(state_[i], state_[i + 1], state_[i + kShift]);
  for (; i < kWords - 1; ++i) state_[i] = mixed(state_[i], state_[i + 1], state_[i + kShift - kWords]);
  state_[kWords - 1] = mixed(state_[kWords - 1], state_[0], state_[kShift - 1]);
  next_ = 0;
}

}  // namespace sv
