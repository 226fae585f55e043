// Filling, building and stepping a spring mesh. The step runs its passes in a fixed order (body
// forces, mesh springs, anchors with integration, time); see core/Motion.h for why the order matters.
#include "mesh/Object3D.h"

#include "core/DampedSpring.h"
#include "core/Motion.h"
#include "core/Random.h"
#include "core/TurnTable.h"
#include "core/WorkerPool.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace sv {

namespace {

constexpr int kDisturbedParticles = 60;
constexpr double kInitialDisturbance = 1.0;

constexpr double kWindCoefficient = -0.02;
constexpr double kVerticalCoefficient = -0.098;
constexpr double kPi = 3.141592654;
constexpr float kPeriodDivisor = 10.0f;

// Doubling growth. An array emptied by build still grows (to 1), so a late add cannot write past the end.
template <typename T>
void doubleLength(Array<T>& array) {
  array.setLength(array.empty() ? 1 : array.length() * 2);
}

// The array is full when the count has reached its length.
template <typename T>
void makeRoom(Array<T>& array, std::int32_t count) {
  if (static_cast<std::size_t>(count) >= array.length()) doubleLength(array);
}

// Four particles' vectors of one kind, as lanes: rows as they lie in memory, turned into columns.
[[gnu::always_inline, gnu::target("avx2")]] inline LaneVectors<Lanes4> loadFour(const MeshParticle* p,
                                                                                Vec3D MeshParticle::*field) {
  const __m256d rows[4] = {_mm256_loadu_pd(&(p[0].*field).x), _mm256_loadu_pd(&(p[1].*field).x),
                           _mm256_loadu_pd(&(p[2].*field).x), _mm256_loadu_pd(&(p[3].*field).x)};
  __m256d columns[4];
  transpose(rows, columns);
  return {columns[0], columns[1], columns[2]};
}

// Back to four rows; x, y and z of each are written, never w.
[[gnu::always_inline, gnu::target("avx2")]] inline void storeFour(const LaneVectors<Lanes4>& v, MeshParticle* p,
                                                                  Vec3D MeshParticle::*field) {
  const __m256d columns[4] = {v.x, v.y, v.z, _mm256_setzero_pd()};
  __m256d rows[4];
  transpose(columns, rows);
  for (int j = 0; j < 4; ++j) {
    Vec3D& to = p[j].*field;
    _mm_storeu_pd(&to.x, _mm256_castpd256_pd128(rows[j]));
    _mm_store_sd(&to.z, _mm256_extractf128_pd(rows[j], 1));
  }
}

// applyAnchorAndIntegrate for four particles, a lane each.
[[gnu::always_inline, gnu::target("avx2")]] inline void anchorAndIntegrate(LaneVectors<Lanes4>& force,
                                                                           LaneVectors<Lanes4>& velocity,
                                                                           LaneVectors<Lanes4>& displacement,
                                                                           double dt) {
  LaneVectors<Lanes4> anchor;
  DampedSpring::forceAlong(_mm256_set1_pd(MeshParticle::anchorStiffness), _mm256_set1_pd(MeshParticle::anchorDamping),
                           _mm256_set1_pd(MeshParticle::anchorRestLength), length(displacement), velocity, displacement,
                           anchor);
  force.x += anchor.x, force.y += anchor.y, force.z += anchor.z;
  eulerStep(force, MeshParticle::mass, dt, velocity, displacement);
}

// Four particles from first on: their sums, anchors and integration, velocity and displacement
// stored; the force, which the caller stores or replaces, returned.
[[gnu::always_inline, gnu::target("avx2")]] inline LaneVectors<Lanes4> sumAnchorAndIntegrateFour(
    const SpringForces& sums, Array<MeshParticle>& particles, std::size_t first, double dt) {
  __m256d rows[4], columns[4];
  sums.sumFour(particles, first, rows);
  transpose(rows, columns);
  MeshParticle* p = &particles[first];
  LaneVectors<Lanes4> force{columns[0], columns[1], columns[2]},
      velocity = loadFour(p, &MeshParticle::velocity), displacement = loadFour(p, &MeshParticle::displacement);
  anchorAndIntegrate(force, velocity, displacement, dt);
  storeFour(velocity, p, &MeshParticle::velocity);
  storeFour(displacement, p, &MeshParticle::displacement);
  return force;
}

Vec3D zeroVector() {
  Vec3D v;
  v.fill(0.0);
  return v;
}

}  // namespace

Object3D::Object3D() {
  vertices.setLength(kInitialCapacity);
  normals.setLength(kInitialCapacity);
  faces.setLength(kInitialCapacity);
  faceNormalIndices.setLength(kInitialCapacity);
  springs.setLength(kInitialCapacity);
  position = zeroVector();
  guidePoint = zeroVector();
}

int Object3D::init() { return 0; }

void Object3D::addVertex(double x, double y, double z) {
  makeRoom(vertices, vertexCount);
  Vec3D& v = vertices[vertexCount];
  v.x = 5 * x, v.y = 5 * y, v.z = 5 * z;
  ++vertexCount;
}

void Object3D::addNormal(double x, double y, double z) {
  makeRoom(normals, normalCount);
  Vec3D& n = normals[normalCount];
  n.x = -x, n.y = -y, n.z = -z;
  ++normalCount;
}

void Object3D::addFace(FaceIndices vertexIndices, FaceIndices /*textureIndices*/, FaceIndices normalIndices) {
  // The two face arrays are parallel: when faces is full, each of them doubles from its own length.
  if (static_cast<std::size_t>(faceCount) >= faces.length()) {
    doubleLength(faces);
    doubleLength(faceNormalIndices);
  }
  faces[faceCount] = {vertexIndices.a - 1, vertexIndices.b - 1, vertexIndices.c - 1};
  faceNormalIndices[faceCount] = {normalIndices.a - 1, normalIndices.b - 1, normalIndices.c - 1};
  ++faceCount;
}

void Object3D::addSpring(std::int32_t first, std::int32_t second) {
  makeRoom(springs, springCount);
  MeshSpring& s = springs[springCount];
  s.first = first - 1;
  s.second = second - 1;
  ++springCount;
}

int Object3D::build() {
  vertices.setLength(vertexCount);
  normals.setLength(normalCount);
  faces.setLength(faceCount);
  faceNormalIndices.setLength(faceCount);
  faceMarks.setLength(faceCount);
  springs.setLength(springCount);
  particles.setLength(vertexCount);

  for (std::size_t i = 0; i < vertices.length(); ++i) {
    MeshParticle& p = particles[i];
    p.restPosition.set(vertices[i]);
    p.displacement.fill(0.0);
  }

  std::printf("vtx   =%d\n", static_cast<int>(vertices.length()));
  std::printf("nml   =%d\n", static_cast<int>(normals.length()));
  std::printf("face  =%d\n", static_cast<int>(faces.length()));
  std::printf("spring=%d\n", static_cast<int>(springs.length()));

  for (MeshSpring& s : springs) {
    Vec3D d;
    d.set(vertices[s.first]);
    d.sub(vertices[s.second]);
    s.restLength = d.length();
  }

  for (std::size_t i = 0; i < particles.length() && i < kDisturbedParticles; ++i) {
    particles[i].displacement.x += kInitialDisturbance;
  }
  meshSpringForces.build(springs, particles.length());
  buildBlocks(threadsOffered());
  return 0;
}

// Block b holds the particles blockBegin(b) to blockBegin(b + 1) - 1: equal shares, in order.
std::size_t Object3D::blockBegin(int block) const {
  return particles.length() * static_cast<std::size_t>(block) / static_cast<std::size_t>(blockCount);
}

// The particles' blocks; the springs' ends are listed per particle once for all block counts. Every
// end is a particle: the reader keeps them so, and the step reads the ends' particles unchecked.
void Object3D::buildBlocks(int blocks) {
  blockCount = blocks;
  blockParticles = particles.length();
  windDraws.setLength(blockParticles);
  if (!meshSpringForces.fits(springs, particles.length())) meshSpringForces.build(springs, particles.length());
}

int Object3D::step(double dt) { return advance(1, dt); }

// Each step takes its wind draws first, one per particle in particle order, so the threads can take
// theirs in any order. Then its passes: body forces, mesh springs, anchors with integration, time.
// The springs need every particle's body force and position, so their forces are computed apart first;
// after that every pass touches only its own particle, so each particle's spring sum, its anchor and
// integration, and the next step's body force are walked in one sweep: none reads what another
// particle's pass writes, so the bits equal separate sweeps, with fewer trips through memory:
//   draws 1, body forces 1 | spring forces 1 | draws 2, sums, anchors and integration 1, body forces 2
//   | ... | spring forces n | sums, anchors and integration n, vertices
// The vertices are written by the last step only: nothing reads them in between.
int Object3D::advance(int steps, double dt) {
  if (steps <= 0) return 0;
  WorkerPool& pool = WorkerPool::shared();
  const bool large = particles.length() >= parallelFrom && vertices.length() == particles.length();
  const int threads = large ? pool.threadCount() : 1;
  if (threads > 1 && !blocksFit(threads)) buildBlocks(threads);
  if (threads == 1 && !meshSpringForces.fits(springs, particles.length()))
    meshSpringForces.build(springs, particles.length());
  // pass(block) on every block, each on one of the pool's threads; block -1 is the whole mesh on the
  // calling thread.
  auto everyBlock = [&](auto&& pass) {
    if (threads == 1) return pass(-1);
    pool.run([&](int member, int team) {
      for (int block = member; block < blockCount; block += team) pass(block);
    });
  };

  drawWinds();
  const double swell = swellAt(time);
  everyBlock([&](int block) { applyBodyForces(particlesOf(block), swell); });
  for (int k = 1; k < steps; ++k) {
    everyBlock([&](int block) { computeSpringForces(block); });
    drawWinds();
    const double nextSwell = swellAt(time + dt);
    everyBlock([&](int block) { endStepAndApplyNextBodyForces(particlesOf(block), dt, nextSwell); });
    time += dt;
  }
  everyBlock([&](int block) { computeSpringForces(block); });
  everyBlock([&](int block) { endLastStep(particlesOf(block), dt); });
  time += dt;
  return 0;
}

// The particles of a block; block -1 is all of them.
Object3D::Range Object3D::particlesOf(int block) const {
  if (block < 0) return {0, particles.length()};
  return {blockBegin(block), blockBegin(block + 1)};
}

// The vertical force's factor at a time: it swells and reverses with period 20.
double Object3D::swellAt(double t) { return std::sin(t * kPi / kPeriodDivisor); }

void Object3D::drawWinds() {
  if (windDraws.length() != particles.length()) windDraws.setLength(particles.length());
  for (std::uint32_t& draw : windDraws) draw = nextRandom();
}

// As many blocks as the pool has threads; on one thread the serial loops are the step.
int Object3D::threadsOffered() { return WorkerPool::shared().threadCount(); }

bool Object3D::blocksFit(int blocks) const {
  return blockCount == blocks && blockParticles == particles.length() &&
         meshSpringForces.fits(springs, particles.length());
}

// Every spring pushes its two ends equally and oppositely along the line between them: first each
// spring's force, on any thread, then each particle's sum in spring order (in the sweeps that end a
// step), as one loop over the springs adding into both ends would make it.
void Object3D::computeSpringForces(int block) {
  if (block < 0) return meshSpringForces.compute(springs, particles, 0, springs.length());
  meshSpringForces.compute(springs, particles, meshSpringForces.partBegin(block, blockCount),
                           meshSpringForces.partBegin(block + 1, blockCount));
}

// A wind of random heading, then a vertical force that swells and reverses with the time at the
// start of the step.
void Object3D::applyBodyForces(Range range, double swell) {
  const TurnTable& turns = TurnTable::instance();
  for (std::size_t i = range.begin; i < range.end; ++i) {
    fetchTurnAhead(turns, i, range.end);
    applyBodyForce(particles[i], turns.forDraw(windDraws[i]), swell);
  }
}

// The headings' sines and cosines are scattered over a table of 1 MiB, so each is fetched a few
// particles ahead of its use.
inline void Object3D::fetchTurnAhead(const TurnTable& turns, std::size_t i, std::size_t end) const {
  constexpr std::size_t kFetchAhead = 8;
  if (i + kFetchAhead < end) __builtin_prefetch(&turns.forDraw(windDraws[i + kFetchAhead]));
}

inline void Object3D::applyBodyForce(MeshParticle& p, const TurnTable::SinCos& turn, double swell) {
  pushWithTurn(p.force, p.mass * kWindCoefficient, turn);
  p.force.y = (p.mass * kVerticalCoefficient) * swell;
}

// The last step's sums, then the anchor spring (rest length 0) draws each particle back to its rest
// position; the particle moves and its vertex follows. Four particles at a time where the springs are.
void Object3D::endLastStep(Range range, double dt) {
  const std::size_t rest = SpringForces::width() >= 4 ? endLastStepInFours(range, dt) : range.begin;
  meshSpringForces.gather(particles, rest, range.end, [&](std::size_t i) {
    MeshParticle& p = particles[i];
    applyAnchorAndIntegrate(p, dt);
    followParticle(i);
  });
}

// A step's sums, anchors and integration fused with the next step's body forces, whose draws are taken:
// one trip through the particles instead of three. The vertices are left to the last step.
void Object3D::endStepAndApplyNextBodyForces(Range range, double dt, double nextSwell) {
  const TurnTable& turns = TurnTable::instance();
  const std::size_t rest = SpringForces::width() >= 4 ? endStepInFours(range, dt, nextSwell) : range.begin;
  meshSpringForces.gather(particles, rest, range.end, [&](std::size_t i) {
    fetchTurnAhead(turns, i, range.end);
    MeshParticle& p = particles[i];
    applyAnchorAndIntegrate(p, dt);
    applyBodyForce(p, turns.forDraw(windDraws[i]), nextSwell);
  });
}

// endLastStep four particles a lane each, as far as fours go; returns where they stopped.
[[gnu::target("avx2")]] std::size_t Object3D::endLastStepInFours(Range range, double dt) {
  std::size_t i = range.begin;
  for (; i + 4 <= range.end; i += 4) {
    storeFour(sumAnchorAndIntegrateFour(meshSpringForces, particles, i, dt), &particles[i], &MeshParticle::force);
    for (std::size_t j = i; j < i + 4; ++j) followParticle(j);
  }
  return i;
}

// endStepAndApplyNextBodyForces four particles a lane each, as far as fours go; returns where they stopped.
[[gnu::target("avx2")]] std::size_t Object3D::endStepInFours(Range range, double dt, double nextSwell) {
  const TurnTable& turns = TurnTable::instance();
  const Lanes4 vertical = _mm256_set1_pd((MeshParticle::mass * kVerticalCoefficient) * nextSwell);
  std::size_t i = range.begin;
  for (; i + 4 <= range.end; i += 4) {
    for (std::size_t j = i; j < i + 4; ++j) fetchTurnAhead(turns, j, range.end);
    LaneVectors<Lanes4> force = sumAnchorAndIntegrateFour(meshSpringForces, particles, i, dt);
    const TurnTable::SinCos* turn[4] = {&turns.forDraw(windDraws[i]), &turns.forDraw(windDraws[i + 1]),
                                        &turns.forDraw(windDraws[i + 2]), &turns.forDraw(windDraws[i + 3])};
    pushWithTurn(force, MeshParticle::mass * kWindCoefficient,
                 Lanes4{turn[0]->sin, turn[1]->sin, turn[2]->sin, turn[3]->sin},
                 Lanes4{turn[0]->cos, turn[1]->cos, turn[2]->cos, turn[3]->cos});
    force.y = vertical;
    storeFour(force, &particles[i], &MeshParticle::force);
  }
  return i;
}

// Vertex i is where its particle now is.
inline void Object3D::followParticle(std::size_t i) {
  vertices[i].set(particles[i].restPosition);
  vertices[i].add(particles[i].displacement);
}

inline void Object3D::applyAnchorAndIntegrate(MeshParticle& p, double dt) {
  p.force.add(
      DampedSpring::forceAlong(p.anchorStiffness, p.anchorDamping, p.anchorRestLength, p.velocity, p.displacement));
  eulerStep(p.force, p.mass, dt, p.velocity, p.displacement);
}

}  // namespace sv
