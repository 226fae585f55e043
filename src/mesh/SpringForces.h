// The mesh springs' forces kept apart from their sums: every spring's force on its first end is computed
// into an array of its own, in any order and on any thread, several springs at a time where the
// processor allows; then each particle adds its springs' forces in ascending spring order (the first end
// adds F, the second its negation), which are the additions of the serial spring loop in its order.
#pragma once

#include "core/Array.h"
#include "core/DampedSpring.h"
#include "core/Object.h"
#include "mesh/MeshParticle.h"
#include "mesh/MeshSpring.h"

#include <cstddef>
#include <cstdint>

namespace sv {

class SpringForces : public Object {
 public:
  // Springs at once: 1 (one by one), 2 (SSE2), 4 (AVX2) or 8 (AVX-512).
  static int width();
  // The widest that pays on this processor; what width() is until setWidth says otherwise.
  static int widestOffered();
  // For measuring and testing the widths against each other: a width the processor lacks, or one not
  // listed above, falls back to the widest offered. Not while a step runs.
  static void setWidth(int springs);

  // The incidence lists of the springs' ends and room for their forces. Allocates; a step does not.
  void build(const Array<MeshSpring>& springs, std::size_t particleCount);
  bool fits(const Array<MeshSpring>& springs, std::size_t particleCount) const;

  // The forces of springs from to to - 1, which the threads split at partBegin.
  void compute(const Array<MeshSpring>& springs, const Array<MeshParticle>& particles, std::size_t from,
               std::size_t to);
  // The first spring of part `part` of `parts`: a multiple of 8, so that the widest law never runs short
  // inside a part, and in large meshes two threads' forces share no cache line.
  std::size_t partBegin(int part, int parts) const;
  // Adds to the force of each particle from begin to end - 1 the forces of its springs, all computed.
  void gather(Array<MeshParticle>& particles, std::size_t begin, std::size_t end) const;
  // The same, with then(i) right after particle i's sum is stored: a pass over the particles that needs
  // only its own particle's sum runs in the same sweep, while the particle is still in cache.
  template <typename Then>
  void gather(Array<MeshParticle>& particles, std::size_t begin, std::size_t end, Then&& then) const;
  // Four particles' sums from first on, as gather makes them, left in rows (x, y, z and a lane to
  // ignore) instead of their forces. Only where the processor has AVX2.
  [[gnu::target("avx2")]] void sumFour(const Array<MeshParticle>& particles, std::size_t first, __m256d* rows) const;

 private:
  // Per particle, its ends in ascending spring order: 2 k for the first end of spring k, 2 k + 1 for
  // its second, so a spring from a particle to itself adds F and then -F.
  Array<std::int32_t> endStart;  // particle i's ends: ends[endStart[i] ...]
  Array<std::uint32_t> ends;
  Array<double> forces;  // x, y, z of spring k's force on its first end at 3 k; one more, read as a fourth lane
  std::size_t springCount = 0;
};

// The sum stays in registers over a particle's springs; a second end's force is negated by its sign
// bits rather than a branch, since first and second ends follow each other at random.
template <typename Then>
inline void SpringForces::gather(Array<MeshParticle>& particles, std::size_t begin, std::size_t end,
                                 Then&& then) const {
  const double* const f = forces.data();
  const std::uint32_t* const endAt = ends.data();
  for (std::size_t i = begin; i < end; ++i) {
    Vec3D& sum = particles[i].force;
    __m128d xy = _mm_loadu_pd(&sum.x), z = _mm_load_sd(&sum.z);
    for (auto e = static_cast<std::size_t>(endStart[i]); e < static_cast<std::size_t>(endStart[i + 1]); ++e) {
      const double* at = f + 3 * (endAt[e] >> 1);
      const __m128d sign =
          _mm_castsi128_pd(_mm_set1_epi64x(static_cast<long long>(std::uint64_t{endAt[e] & 1u} << 63)));
      xy = _mm_add_pd(xy, _mm_xor_pd(_mm_loadu_pd(at), sign));
      z = _mm_add_sd(z, _mm_xor_pd(_mm_load_sd(at + 2), sign));
    }
    _mm_storeu_pd(&sum.x, xy);
    _mm_store_sd(&sum.z, z);
    then(i);
  }
}

// A spring's force read as a row of four, whose fourth lane (the next spring's x) rides along unused.
[[gnu::always_inline, gnu::target("avx2")]] inline void SpringForces::sumFour(const Array<MeshParticle>& particles,
                                                                              std::size_t first, __m256d* rows) const {
  static constexpr __m256d kSigns[2] = {{0.0, 0.0, 0.0, 0.0}, {-0.0, -0.0, -0.0, -0.0}};
  const double* const f = forces.data();
  const std::uint32_t* const endAt = ends.data();
  for (std::size_t j = 0; j < 4; ++j) {
    const Vec3D& force = particles[first + j].force;
    __m256d sum = _mm256_set_m128d(_mm_load_sd(&force.z), _mm_loadu_pd(&force.x));
    const auto from = static_cast<std::size_t>(endStart[first + j]),
               to = static_cast<std::size_t>(endStart[first + j + 1]);
    for (std::size_t e = from; e < to; ++e) {
      sum = _mm256_add_pd(sum, _mm256_xor_pd(_mm256_loadu_pd(f + 3 * (endAt[e] >> 1)), kSigns[endAt[e] & 1u]));
    }
    rows[j] = sum;
  }
}

}  // namespace sv
