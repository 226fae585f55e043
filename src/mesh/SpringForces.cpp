// Computing the mesh springs' forces apart and adding them up per particle. The law runs one, two, four
// or eight springs at a time on the same operations in the same order per lane (the build forbids
// fused multiply-adds), so every width gives the bits of the scalar law; the widths above two are
// compiled for their instruction sets alone and chosen once by asking the processor.
#include "mesh/SpringForces.h"

#include <cstddef>

namespace sv {

namespace {

static_assert(sizeof(Vec3D) == 4 * sizeof(double), "the wide kernels read a vector as four lanes");

using Kernel = void (*)(const MeshSpring* springs, const MeshParticle* particles, std::size_t from, std::size_t to,
                        double* forces);

void store(const Vec3D& f, double* at) { at[0] = f.x, at[1] = f.y, at[2] = f.z; }

// One spring's dp = ((a.rest + a.displacement) - b.rest) - b.displacement and dv = a.velocity - b.velocity.
void separation(const MeshSpring& s, const MeshParticle* particles, Vec3D& dp, Vec3D& dv) {
  const MeshParticle& a = particles[s.first];
  const MeshParticle& b = particles[s.second];
  dp.set(a.restPosition);
  dp.add(a.displacement);
  dp.sub(b.restPosition);
  dp.sub(b.displacement);
  dv.set(a.velocity);
  dv.sub(b.velocity);
}

// The force on the spring's first end.
Vec3D forceOf(const MeshSpring& s, const MeshParticle* particles) {
  Vec3D dp, dv;
  separation(s, particles, dp, dv);
  return DampedSpring::forceAlong(s.stiffness, s.damping, s.restLength, dv, dp);
}

void oneByOne(const MeshSpring* springs, const MeshParticle* particles, std::size_t from, std::size_t to,
              double* forces) {
  for (std::size_t k = from; k < to; ++k) store(forceOf(springs[k], particles), forces + 3 * k);
}

LaneVectors<Lanes2> lanes(const Vec3D& u, const Vec3D& v) {
  return {Lanes2{u.x, v.x}, Lanes2{u.y, v.y}, Lanes2{u.z, v.z}};
}

// Two springs a lane each.
void inPairs(const MeshSpring* springs, const MeshParticle* particles, std::size_t from, std::size_t to,
             double* forces) {
  std::size_t k = from;
  for (; k + 2 <= to; k += 2) {
    const MeshSpring &s = springs[k], &t = springs[k + 1];
    Vec3D dp[2], dv[2];
    separation(s, particles, dp[0], dv[0]);
    separation(t, particles, dp[1], dv[1]);
    const LaneVectors<Lanes2> dpLanes = lanes(dp[0], dp[1]);
    LaneVectors<Lanes2> f;
    DampedSpring::forceAlong(Lanes2{s.stiffness, t.stiffness}, Lanes2{s.damping, t.damping},
                             Lanes2{s.restLength, t.restLength}, length(dpLanes), lanes(dv[0], dv[1]), dpLanes, f);
    for (int j = 0; j < 2; ++j) {
      double* at = forces + 3 * (k + static_cast<std::size_t>(j));
      at[0] = f.x[j], at[1] = f.y[j], at[2] = f.z[j];
    }
  }
  oneByOne(springs, particles, k, to, forces);
}

[[gnu::always_inline, gnu::target("avx2")]] inline __m256d load(const Vec3D& v) { return _mm256_loadu_pd(&v.x); }

// Four springs' dp and dv as whole vectors per spring (the fourth lane rides along unused), then turned
// into a lane per spring; the springs' rest lengths a lane each beside the constants they all share.
struct FourSprings {
  LaneVectors<Lanes4> dp, dv;
  Lanes4 stiffness, damping, restLength;
};

[[gnu::always_inline, gnu::target("avx2")]] inline void loadFour(const MeshSpring* springs,
                                                                 const MeshParticle* particles, FourSprings& four) {
  __m256d dp[4], dv[4], columns[4];
  for (int j = 0; j < 4; ++j) {
    const MeshParticle& a = particles[springs[j].first];
    const MeshParticle& b = particles[springs[j].second];
    dp[j] =
        _mm256_sub_pd(_mm256_sub_pd(_mm256_add_pd(load(a.restPosition), load(a.displacement)), load(b.restPosition)),
                      load(b.displacement));
    dv[j] = _mm256_sub_pd(load(a.velocity), load(b.velocity));
  }
  transpose(dp, columns);
  four.dp = {columns[0], columns[1], columns[2]};
  transpose(dv, columns);
  four.dv = {columns[0], columns[1], columns[2]};
  four.stiffness = _mm256_set1_pd(MeshSpring::stiffness), four.damping = _mm256_set1_pd(MeshSpring::damping);
  four.restLength =
      _mm256_set_pd(springs[3].restLength, springs[2].restLength, springs[1].restLength, springs[0].restLength);
}

// Four forces back to a row each, x, y, z packed one spring after the other. Each row's fourth lane
// lands on the next spring's x before that row is written; the last row writes three lanes only, so no
// store reaches past the four springs.
[[gnu::always_inline, gnu::target("avx2")]] inline void storeFour(const LaneVectors<Lanes4>& f, double* at) {
  const __m256d columns[4] = {f.x, f.y, f.z, _mm256_setzero_pd()};
  __m256d rows[4];
  transpose(columns, rows);
  _mm256_storeu_pd(at, rows[0]);
  _mm256_storeu_pd(at + 3, rows[1]);
  _mm256_storeu_pd(at + 6, rows[2]);
  _mm_storeu_pd(at + 9, _mm256_castpd256_pd128(rows[3]));
  _mm_store_sd(at + 11, _mm256_extractf128_pd(rows[3], 1));
}

[[gnu::target("avx2")]] void inFours(const MeshSpring* springs, const MeshParticle* particles, std::size_t from,
                                     std::size_t to, double* forces) {
  std::size_t k = from;
  for (; k + 4 <= to; k += 4) {
    FourSprings four;
    loadFour(springs + k, particles, four);
    LaneVectors<Lanes4> f;
    DampedSpring::forceAlong(four.stiffness, four.damping, four.restLength, length(four.dp), four.dv, four.dp, f);
    storeFour(f, forces + 3 * k);
  }
  oneByOne(springs, particles, k, to, forces);
}

[[gnu::always_inline, gnu::target("avx512f")]] inline Lanes8 joined(Lanes4 low, Lanes4 high) {
  return __builtin_shufflevector(low, high, 0, 1, 2, 3, 4, 5, 6, 7);
}

[[gnu::always_inline, gnu::target("avx512f")]] inline LaneVectors<Lanes8> joined(const LaneVectors<Lanes4>& low,
                                                                                 const LaneVectors<Lanes4>& high) {
  return {joined(low.x, high.x), joined(low.y, high.y), joined(low.z, high.z)};
}

[[gnu::always_inline, gnu::target("avx512f")]] inline LaneVectors<Lanes4> half(const LaneVectors<Lanes8>& v, int h) {
  if (h == 0) {
    return {__builtin_shufflevector(v.x, v.x, 0, 1, 2, 3), __builtin_shufflevector(v.y, v.y, 0, 1, 2, 3),
            __builtin_shufflevector(v.z, v.z, 0, 1, 2, 3)};
  }
  return {__builtin_shufflevector(v.x, v.x, 4, 5, 6, 7), __builtin_shufflevector(v.y, v.y, 4, 5, 6, 7),
          __builtin_shufflevector(v.z, v.z, 4, 5, 6, 7)};
}

// Two fours gathered as above, joined into eight lanes for the law.
[[gnu::target("avx512f")]] void inEights(const MeshSpring* springs, const MeshParticle* particles, std::size_t from,
                                         std::size_t to, double* forces) {
  std::size_t k = from;
  for (; k + 8 <= to; k += 8) {
    FourSprings low, high;
    loadFour(springs + k, particles, low);
    loadFour(springs + k + 4, particles, high);
    const LaneVectors<Lanes8> dp = joined(low.dp, high.dp);
    LaneVectors<Lanes8> f;
    DampedSpring::forceAlong(joined(low.stiffness, high.stiffness), joined(low.damping, high.damping),
                             joined(low.restLength, high.restLength), length(dp), joined(low.dv, high.dv), dp, f);
    storeFour(half(f, 0), forces + 3 * k);
    storeFour(half(f, 1), forces + 3 * (k + 4));
  }
  oneByOne(springs, particles, k, to, forces);
}

bool offered(int width) {
  __builtin_cpu_init();  // may run before the constructors that would otherwise do it
  switch (width) {
    case 1:
    case 2:
      return true;
    case 4:
      return __builtin_cpu_supports("avx2");
    case 8:
      return __builtin_cpu_supports("avx512f");
    default:
      return false;
  }
}

Kernel kernelFor(int width) {
  switch (width) {
    case 1:
      return oneByOne;
    case 2:
      return inPairs;
    case 4:
      return inFours;
    default:
      return inEights;
  }
}

}  // namespace

int SpringForces::widestOffered() {
  for (int width : {8, 4}) {
    if (offered(width)) return width;
  }
  return 2;
}

// Chosen before main, so that the threads of a step only ever read it.
static int chosenWidth = SpringForces::widestOffered();

int SpringForces::width() { return chosenWidth; }

void SpringForces::setWidth(int springs) { chosenWidth = offered(springs) ? springs : widestOffered(); }

void SpringForces::build(const Array<MeshSpring>& springs, std::size_t particleCount) {
  springCount = springs.length();
  endStart.setLength(particleCount + 1);
  for (std::int32_t& start : endStart) start = 0;
  for (const MeshSpring& s : springs) {
    ++endStart[static_cast<std::size_t>(s.first) + 1];
    ++endStart[static_cast<std::size_t>(s.second) + 1];
  }
  for (std::size_t i = 0; i < particleCount; ++i) endStart[i + 1] += endStart[i];
  ends.setLength(2 * springCount);
  Array<std::int32_t> next = endStart;
  for (std::size_t k = 0; k < springCount; ++k) {
    const auto end = static_cast<std::uint32_t>(2 * k);
    ends[static_cast<std::size_t>(next[static_cast<std::size_t>(springs[k].first)]++)] = end;
    ends[static_cast<std::size_t>(next[static_cast<std::size_t>(springs[k].second)]++)] = end + 1;
  }
  forces.setLength(3 * springCount + 1);
  forces[3 * springCount] = 0.0;
}

bool SpringForces::fits(const Array<MeshSpring>& springs, std::size_t particleCount) const {
  return springCount == springs.length() && endStart.length() == particleCount + 1;
}

std::size_t SpringForces::partBegin(int part, int parts) const {
  if (part >= parts) return springCount;
  return springCount * static_cast<std::size_t>(part) / static_cast<std::size_t>(parts) / 8 * 8;
}

void SpringForces::compute(const Array<MeshSpring>& springs, const Array<MeshParticle>& particles, std::size_t from,
                           std::size_t to) {
  kernelFor(width())(springs.data(), particles.data(), from, to, forces.data());
}

void SpringForces::gather(Array<MeshParticle>& particles, std::size_t begin, std::size_t end) const {
  gather(particles, begin, end, [](std::size_t) {});
}

}  // namespace sv
