// Filling, building and stepping a spring mesh. The step keeps the order of its seven passes and of
// every operation inside them: the same seed must give the same bits on every build.
#include "mesh/Object3D.h"

#include "core/Random.h"
#include "core/TurnTable.h"

#include <cmath>
#include <cstdio>

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
constexpr double kDampingThreshold = 0.01;
const Vec3D kTurningAxis{0.0, 1.0, 0.0};

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

Vec3D zeroVector() {
  Vec3D v;
  v.fill(0.0);
  return v;
}

// The damped spring law shared by mesh and anchor springs: stretch pulls the ends together, the
// damping term (only for lengths above the threshold) opposes the rate at which they separate.
double springForce(double stiffness, double damping, double len, double restLength, const Vec3D& dv, const Vec3D& dp) {
  if (len > kDampingThreshold) return -(stiffness * (len - restLength) + damping * dv.dot(dp) / len);
  return -(stiffness * (len - restLength));
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
  return 0;
}

// The seven passes run in order. Passes that only touch their own particle (clear, wind and vertical
// force; anchor and integration) are walked together per particle: each reads nothing another
// particle's pass writes, so the bits are the same as seven separate sweeps, with fewer trips
// through memory.
int Object3D::step(double dt) {
  applyBodyForces();
  applyMeshSprings();
  applyAnchorsAndIntegrate(dt);
  time += dt;
  return 0;
}

// Passes 1-3: clear the force, blow a wind of random heading, then pull vertically with a force that
// swells and reverses with the time at the start of the step (period 20).
void Object3D::applyBodyForces() {
  const double swell = std::sin(time * kPi / kPeriodDivisor);
  const TurnTable& turns = TurnTable::instance();
  for (MeshParticle& p : particles) {
    p.force.fill(0.0);

    p.force.x = p.mass * kWindCoefficient;
    const TurnTable::SinCos& turn = turns.forDraw(nextRandom());  // rotate(angleOf(draw), axis), looked up
    p.force.rotateBySinCos(turn.sin, turn.cos, kTurningAxis);

    p.force.y = (p.mass * kVerticalCoefficient) * swell;
  }
}

// Pass 4: F = -(k (|dp| - L) + c (dv . dp) / |dp|) along dp, equal and opposite on the two ends.
void Object3D::applyMeshSprings() {
  MeshParticle* const ps = particles.data();
  for (const MeshSpring& s : springs) {
    MeshParticle& a = ps[s.first];
    MeshParticle& b = ps[s.second];
    Vec3D dp;
    dp.set(a.restPosition);
    dp.add(a.displacement);
    dp.sub(b.restPosition);
    dp.sub(b.displacement);
    Vec3D dv;
    dv.set(a.velocity);
    dv.sub(b.velocity);

    Vec3D dir = dp;
    const double len = dir.normalize();  // the same sqrt(x^2 + y^2 + z^2) that length() gives
    Vec3D f = dir;
    f.scale(springForce(s.stiffness, s.damping, len, s.restLength, dv, dp));
    Vec3D g = f;
    g.negate();
    a.force.add(f);
    b.force.add(g);
  }
}

// Passes 5-6: the anchor spring draws each particle back to its rest position; then semi-implicit
// Euler, with a velocity change of force * dt^2 / mass, and the vertex moved to its new position.
void Object3D::applyAnchorsAndIntegrate(double dt) {
  for (std::size_t i = 0; i < vertices.length(); ++i) {
    MeshParticle& p = particles[i];

    Vec3D dir = p.displacement;
    const double len = dir.normalize();
    dir.scale(springForce(p.anchorStiffness, p.anchorDamping, len, p.anchorRestLength, p.velocity, p.displacement));
    p.force.add(dir);

    Vec3D a = p.force;
    a.scale(dt / p.mass);
    a.scale(dt);
    p.velocity.add(a);
    Vec3D travel = p.velocity;
    travel.scale(dt);
    p.displacement.add(travel);
    vertices[i].set(p.restPosition);
    vertices[i].add(p.displacement);
  }
}

}  // namespace sv
