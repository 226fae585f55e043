// Filling, building and stepping a spring mesh. The step runs its passes in a fixed order (body
// forces, mesh springs, anchors with integration, time); see core/Motion.h for why the order matters.
#include "mesh/Object3D.h"

#include "core/Motion.h"
#include "core/Random.h"
#include "core/TurnTable.h"
#include "core/WorkerPool.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace sv {

namespace {

constexpr double kSpringStiffness = 0.0025;
constexpr double kSpringDamping = 0.0025;
constexpr double kAnchorStiffness = 0.025;
constexpr double kAnchorDamping = 0.025;
constexpr double kParticleMass = 0.05;
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

// Two springs' vectors, a component of each per packed pair of DampedSpring's law for two.
using Pair = DampedSpring::Pair;
using Pairs = DampedSpring::Pairs;

Pairs lanes(const Vec3D& u, const Vec3D& v) { return {Pair{u.x, v.x}, Pair{u.y, v.y}, Pair{u.z, v.z}}; }

void store(const Pairs& from, Vec3D& u, Vec3D& v) {
  u.x = from.x[0], u.y = from.y[0], u.z = from.z[0];
  v.x = from.x[1], v.y = from.y[1], v.z = from.z[1];
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
    p.anchorRestLength = 0.0;
    p.anchorStiffness = kAnchorStiffness;
    p.anchorDamping = kAnchorDamping;
    p.mass = kParticleMass;
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
    s.stiffness = kSpringStiffness;
    s.damping = kSpringDamping;
  }

  for (std::size_t i = 0; i < particles.length() && i < kDisturbedParticles; ++i) {
    particles[i].displacement.x += kInitialDisturbance;
  }
  buildBlocks(threadsOffered());
  return 0;
}

// Block b holds the particles blockBegin(b) to blockBegin(b + 1) - 1: equal shares, in order.
std::size_t Object3D::blockBegin(int block) const {
  return particles.length() * static_cast<std::size_t>(block) / static_cast<std::size_t>(blockCount);
}

// A counting sort of the springs by the blocks of their ends; walking the springs in order keeps
// each block's list ascending. Every end is a particle: the reader keeps them so, and both steps
// read the ends' particles unchecked.
void Object3D::buildBlocks(int blocks) {
  blockCount = blocks;
  blockParticles = particles.length();
  blockSpringTotal = springs.length();
  windDraws.setLength(blockParticles);
  Array<std::int32_t> blockOf(blockParticles);
  for (int b = 0; b < blocks; ++b) {
    for (std::size_t i = blockBegin(b); i < blockBegin(b + 1); ++i) blockOf[i] = b;
  }
  auto blocksOf = [&](const MeshSpring& s, int& first, int& second) {
    first = blockOf[static_cast<std::size_t>(s.first)];
    second = blockOf[static_cast<std::size_t>(s.second)];
    if (second == first) second = -1;  // a spring inside one block is listed once
  };
  blockSpringStart.setLength(static_cast<std::size_t>(blocks) + 1);
  for (std::int32_t& start : blockSpringStart) start = 0;
  for (const MeshSpring& s : springs) {
    int first, second;
    blocksOf(s, first, second);
    for (int b : {first, second}) {
      if (b >= 0) ++blockSpringStart[static_cast<std::size_t>(b) + 1];
    }
  }
  for (int b = 0; b < blocks; ++b) blockSpringStart[b + 1] += blockSpringStart[b];
  blockSprings.setLength(static_cast<std::size_t>(blockSpringStart[blocks]));
  Array<std::int32_t> next = blockSpringStart;
  for (std::size_t k = 0; k < springs.length(); ++k) {
    int first, second;
    blocksOf(springs[k], first, second);
    for (int b : {first, second}) {
      if (b >= 0) blockSprings[static_cast<std::size_t>(next[b]++)] = static_cast<std::int32_t>(k);
    }
  }
}

int Object3D::step(double dt) { return advance(1, dt); }

// Each step takes its wind draws first, one per particle in particle order, so the threads can take
// theirs in any order. Then its passes: body forces, mesh springs, anchors with integration, time.
// Where one step ends and the next begins, the passes that touch only their own particle are walked in
// one sweep: none reads what another particle's pass writes, so the bits equal separate sweeps, with one
// trip through memory fewer per step. The springs need every particle's body force and run between:
//   draws 1, body forces 1 | springs 1 | draws 2, anchors and integration 1 with body forces 2 | ...
//   | springs n | anchors and integration n, vertices
// The vertices are written by the last step only: nothing reads them in between.
int Object3D::advance(int steps, double dt) {
  if (steps <= 0) return 0;
  WorkerPool& pool = WorkerPool::shared();
  const bool large = particles.length() >= parallelFrom && vertices.length() == particles.length();
  const int threads = large ? pool.threadCount() : 1;
  if (threads > 1 && !blocksFit(threads)) buildBlocks(threads);
  // pass(begin, end) on each block's share of the particles, each block on one of the pool's threads; on
  // one thread, pass(0, length) over the pass's own extent on the calling thread.
  auto everyBlock = [&](std::size_t length, auto&& pass) {
    if (threads == 1) return pass(0, length);
    pool.run([&](int member, int team) {
      for (int b = member; b < blockCount; b += team) pass(blockBegin(b), blockBegin(b + 1));
    });
  };
  auto springsOfEveryBlock = [&] {
    if (threads == 1) return applyMeshSprings();
    pool.run([&](int member, int team) {
      for (int block = member; block < blockCount; block += team) applyBlockSprings(block);
    });
  };

  drawWinds();
  const double swell = swellAt(time);
  everyBlock(particles.length(), [&](std::size_t begin, std::size_t end) { applyBodyForces(begin, end, swell); });
  for (int k = 1; k < steps; ++k) {
    springsOfEveryBlock();
    drawWinds();
    const double nextSwell = swellAt(time + dt);
    everyBlock(vertices.length(),
               [&](std::size_t begin, std::size_t end) { endStepAndApplyNextBodyForces(begin, end, dt, nextSwell); });
    time += dt;
  }
  springsOfEveryBlock();
  everyBlock(vertices.length(), [&](std::size_t begin, std::size_t end) { applyAnchorsAndIntegrate(begin, end, dt); });
  time += dt;
  return 0;
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
  return blockCount == blocks && blockParticles == particles.length() && blockSpringTotal == springs.length();
}

// The same sums in the same order as the serial spring loop, so the same bits for any thread count:
// the block's springs in ascending order, each adding its force to the ends inside the block (a spring
// across two blocks is computed by both, from the same positions, to the same bits).
void Object3D::applyBlockSprings(int block) {
  const std::size_t begin = blockBegin(block), end = blockBegin(block + 1);
  MeshParticle* const ps = particles.data();
  auto apply = [&](const MeshSpring& s, const Vec3D& f) {
    auto inBlock = [&](std::int32_t i) {
      return static_cast<std::size_t>(i) >= begin && static_cast<std::size_t>(i) < end;
    };
    if (inBlock(s.first)) ps[s.first].force.add(f);
    if (inBlock(s.second)) {
      Vec3D g = f;
      g.negate();
      ps[s.second].force.add(g);
    }
  };
  forEachSpringForce(
      static_cast<std::size_t>(blockSpringStart[block]), static_cast<std::size_t>(blockSpringStart[block + 1]),
      [&](std::size_t e) -> const MeshSpring& { return springs[static_cast<std::size_t>(blockSprings[e])]; }, apply);
}

// apply(spring, force on its first end) for springAt(from) to springAt(to - 1) in order, the forces
// taken two at a time.
template <typename SpringAt, typename Apply>
void Object3D::forEachSpringForce(std::size_t from, std::size_t to, SpringAt springAt, Apply apply) const {
  std::size_t e = from;
  for (; e + 2 <= to; e += 2) {
    Vec3D f[2];
    springForces(springAt(e), springAt(e + 1), f);
    apply(springAt(e), f[0]);
    apply(springAt(e + 1), f[1]);
  }
  if (e < to) apply(springAt(e), springForce(springAt(e)));
}

// Two springs' forces at once: springForce's operations in its order.
void Object3D::springForces(const MeshSpring& s, const MeshSpring& t, Vec3D* f) const {
  const MeshParticle& a = particles[static_cast<std::size_t>(s.first)];
  const MeshParticle& b = particles[static_cast<std::size_t>(s.second)];
  const MeshParticle& c = particles[static_cast<std::size_t>(t.first)];
  const MeshParticle& d = particles[static_cast<std::size_t>(t.second)];
  const Pairs firstRest = lanes(a.restPosition, c.restPosition), firstShift = lanes(a.displacement, c.displacement);
  const Pairs secondRest = lanes(b.restPosition, d.restPosition), secondShift = lanes(b.displacement, d.displacement);
  const Pairs firstVelocity = lanes(a.velocity, c.velocity), secondVelocity = lanes(b.velocity, d.velocity);
  auto separation = [&](Pair Pairs::*axis) {
    return ((firstRest.*axis + firstShift.*axis) - secondRest.*axis) - secondShift.*axis;
  };
  const Pairs dp = {separation(&Pairs::x), separation(&Pairs::y), separation(&Pairs::z)};
  const Pairs dv = {firstVelocity.x - secondVelocity.x, firstVelocity.y - secondVelocity.y,
                    firstVelocity.z - secondVelocity.z};
  const Pairs force = DampedSpring::forceAlong(Pair{s.stiffness, t.stiffness}, Pair{s.damping, t.damping},
                                               Pair{s.restLength, t.restLength}, dv, dp);
  store(force, f[0], f[1]);
}

// A wind of random heading, then a vertical force that swells and reverses with the time at the
// start of the step.
void Object3D::applyBodyForces(std::size_t begin, std::size_t end, double swell) {
  const TurnTable& turns = TurnTable::instance();
  for (std::size_t i = begin; i < end; ++i) {
    fetchTurnAhead(turns, i, end);
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

// The force on the spring's first end, along the line between the ends; the second end gets its
// negation.
inline Vec3D Object3D::springForce(const MeshSpring& s) const {
  const MeshParticle& a = particles[static_cast<std::size_t>(s.first)];
  const MeshParticle& b = particles[static_cast<std::size_t>(s.second)];
  Vec3D dp;
  dp.set(a.restPosition);
  dp.add(a.displacement);
  dp.sub(b.restPosition);
  dp.sub(b.displacement);
  return s.forceOnFirst(dp, a.velocity, b.velocity);
}

// Every spring pushes its two ends equally and oppositely along the line between them.
void Object3D::applyMeshSprings() {
  MeshParticle* const ps = particles.data();
  forEachSpringForce(
      0, springs.length(), [&](std::size_t k) -> const MeshSpring& { return springs[k]; },
      [&](const MeshSpring& s, const Vec3D& f) {
        Vec3D g = f;
        g.negate();
        ps[s.first].force.add(f);
        ps[s.second].force.add(g);
      });
}

// The anchor spring (rest length 0) draws each particle back to its rest position; then the particle
// moves and its vertex follows.
void Object3D::applyAnchorsAndIntegrate(std::size_t begin, std::size_t end, double dt) {
  for (std::size_t i = begin; i < end; ++i) {
    MeshParticle& p = particles[i];
    applyAnchorAndIntegrate(p, dt);
    vertices[i].set(p.restPosition);
    vertices[i].add(p.displacement);
  }
}

// A step's anchors and integration fused with the next step's body forces, whose draws are taken: one
// trip through the particles instead of two. The vertices are left to the last step.
void Object3D::endStepAndApplyNextBodyForces(std::size_t begin, std::size_t end, double dt, double nextSwell) {
  const TurnTable& turns = TurnTable::instance();
  for (std::size_t i = begin; i < end; ++i) {
    fetchTurnAhead(turns, i, end);
    MeshParticle& p = particles[i];
    applyAnchorAndIntegrate(p, dt);
    applyBodyForce(p, turns.forDraw(windDraws[i]), nextSwell);
  }
}

inline void Object3D::applyAnchorAndIntegrate(MeshParticle& p, double dt) {
  p.force.add(
      DampedSpring::forceAlong(p.anchorStiffness, p.anchorDamping, p.anchorRestLength, p.velocity, p.displacement));
  eulerStep(p.force, p.mass, dt, p.velocity, p.displacement);
}

}  // namespace sv
