// The mesh springs' forces kept apart from their sums: every spring's force on its first end is computed
// into an array of its own, in any order and on any thread, several springs at a time where the
// processor allows; then each particle adds its springs' forces in ascending spring order (the first end
// adds F, the second its negation), which are the additions of the serial spring loop in its order.
#pragma once

#include "core/Array.h"
#include "core/DampedSpring.h"
#include "core/Object.h"
#include "mesh/MeshParticle.h"

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
  void build(const Array<DampedSpring>& springs, std::size_t particleCount);
  bool fits(const Array<DampedSpring>& springs, std::size_t particleCount) const;

  // The forces of springs from to to - 1, which the threads split at partBegin.
  void compute(const Array<DampedSpring>& springs, const Array<MeshParticle>& particles, std::size_t from,
               std::size_t to);
  // The first spring of part `part` of `parts`: a multiple of 8, so that the widest law never runs short
  // inside a part, and in large meshes two threads' forces share no cache line.
  std::size_t partBegin(int part, int parts) const;
  // Adds to the force of each particle from begin to end - 1 the forces of its springs, all computed.
  void gather(Array<MeshParticle>& particles, std::size_t begin, std::size_t end) const;

 private:
  // Per particle, its ends in ascending spring order: 2 k for the first end of spring k, 2 k + 1 for
  // its second, so a spring from a particle to itself adds F and then -F.
  Array<std::int32_t> endStart;  // particle i's ends: ends[endStart[i] ...]
  Array<std::uint32_t> ends;
  Array<double> forces;  // x, y, z of spring k's force on its first end at 3 k
  std::size_t springCount = 0;
};

}  // namespace sv
