// Filling, building and stepping a spring mesh. The step runs its passes in a fixed order (body
// forces, mesh springs, anchors with integration, time); see core/Motion.h for why the order matters.
#include "mesh/Object3D.h"

#include "core/Motion.h"

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

// Passes that only touch their own particle are walked together per particle (clear, wind and
// vertical force; anchor and integration): none reads what another particle's pass writes, so the
// bits equal separate sweeps, with fewer trips through memory. The springs need every particle's
// body force first and run in between.
int Object3D::step(double dt) {
  applyBodyForces();
  applyMeshSprings();
  applyAnchorsAndIntegrate(dt);
  time += dt;
  return 0;
}

// A wind of random heading, then a vertical force that swells and reverses with the time at the
// start of the step (period 20).
void Object3D::applyBodyForces() {
  const double swell = std::sin(time * kPi / kPeriodDivisor);
  for (MeshParticle& p : particles) {
    pushWithRandomHeading(p.force, p.mass * kWindCoefficient);
    p.force.y = (p.mass * kVerticalCoefficient) * swell;
  }
}

// Every spring pushes its two ends equally and oppositely along the line between them.
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
    const Vec3D f = s.forceOnFirst(dp, a.velocity, b.velocity);
    Vec3D g = f;
    g.negate();
    a.force.add(f);
    b.force.add(g);
  }
}

// The anchor spring (rest length 0) draws each particle back to its rest position; then the particle
// moves and its vertex follows.
void Object3D::applyAnchorsAndIntegrate(double dt) {
  for (std::size_t i = 0; i < vertices.length(); ++i) {
    MeshParticle& p = particles[i];

    Vec3D dir = p.displacement;
    const double len = dir.normalize();
    dir.scale(
        DampedSpring::force(p.anchorStiffness, p.anchorDamping, p.anchorRestLength, len, p.velocity, p.displacement));
    p.force.add(dir);

    eulerStep(p.force, p.mass, dt, p.velocity, p.displacement);
    vertices[i].set(p.restPosition);
    vertices[i].add(p.displacement);
  }
}

}  // namespace sv
