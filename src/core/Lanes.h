// Two, four or eight doubles worked on at once, one value per lane, and the vector helpers of each
// width. A packed operation rounds every lane as the scalar operation would, so a law written once over
// lanes gives the bits of the law one value at a time. Two lanes are SSE2, which every x86-64 processor
// has; four and eight need AVX2 and AVX-512, so their helpers carry those targets and may be called
// only from code of the same target, after the processor has been asked.
#pragma once

#include <immintrin.h>

namespace sv {

using Lanes2 = double __attribute__((vector_size(16)));
using Lanes4 = double __attribute__((vector_size(32)));
using Lanes8 = double __attribute__((vector_size(64)));

// Vectors of several bodies, a component of each per lane.
template <typename Lanes>
struct LaneVectors {
  Lanes x, y, z;
};

// |v| per lane, its squares summed as Vec3D::length sums them.
inline Lanes2 length(const LaneVectors<Lanes2>& v) { return _mm_sqrt_pd(v.x * v.x + v.y * v.y + v.z * v.z); }

[[gnu::always_inline, gnu::target("avx2")]] inline Lanes4 length(const LaneVectors<Lanes4>& v) {
  return _mm256_sqrt_pd(v.x * v.x + v.y * v.y + v.z * v.z);
}

// The masked form: the unmasked one starts from an undefined register, which some compilers flag.
[[gnu::always_inline, gnu::target("avx512f")]] inline Lanes8 length(const LaneVectors<Lanes8>& v) {
  return _mm512_maskz_sqrt_pd(0xFF, v.x * v.x + v.y * v.y + v.z * v.z);
}

// Four rows of four lanes become four columns; the same turn takes the columns back to rows.
[[gnu::always_inline, gnu::target("avx2")]] inline void transpose(const __m256d* rows, __m256d* columns) {
  const __m256d t0 = _mm256_unpacklo_pd(rows[0], rows[1]), t1 = _mm256_unpackhi_pd(rows[0], rows[1]);
  const __m256d t2 = _mm256_unpacklo_pd(rows[2], rows[3]), t3 = _mm256_unpackhi_pd(rows[2], rows[3]);
  columns[0] = _mm256_permute2f128_pd(t0, t2, 0x20), columns[1] = _mm256_permute2f128_pd(t1, t3, 0x20);
  columns[2] = _mm256_permute2f128_pd(t0, t2, 0x31), columns[3] = _mm256_permute2f128_pd(t1, t3, 0x31);
}

}  // namespace sv
