// A second, independent implementation of the two time steps, written pass by pass from their
// description with its own vector arithmetic and its own generator, sharing no code with src/. The
// reference tests step it beside Object3D and Cloth and demand the same bits.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace sv::reference {

struct V {
  double x, y, z;
};

inline V plus(V a, V b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V minus(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V times(V a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline V negated(V a) { return {-a.x, -a.y, -a.z}; }
inline double dotOf(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double lengthOf(V a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }
inline V unit(V a) {
  const double len = lengthOf(a);
  if (len == 0) return {0.0, 0.0, 0.0};
  return {a.x / len, a.y / len, a.z / len};
}
// Rotation by -angle through the constant 6.283185308, axis used as given.
inline V turned(V v, double angle, V axis) {
  const double th = 6.283185308 - angle;
  const double s = std::sin(th), c = std::cos(th), t = 1 - c;
  const double ax = axis.x, ay = axis.y, az = axis.z;
  return {(c + ax * ax * t) * v.x + (ax * ay * t - az * s) * v.y + (ax * az * t + ay * s) * v.z,
          (ax * ay * t + az * s) * v.x + (c + ay * ay * t) * v.y + (ay * az * t - ax * s) * v.z,
          (ax * az * t - ay * s) * v.x + (ay * az * t + ax * s) * v.y + (c + az * az * t) * v.z};
}
// Angle from the low 16 bits, in single precision: k * 4.0f * (1/65536)f.
inline double angleFrom(std::uint32_t r) {
  const float k = static_cast<float>(r % 65536u);
  return static_cast<double>(k * 4.0f * 1.52587890625e-05f);
}
inline double springMagnitude(double k, double c, double len, double rest, V dv, V dp) {
  if (len > 0.01) return -(k * (len - rest) + c * dotOf(dv, dp) / len);
  return -(k * (len - rest));
}

struct Spring {
  int a, b;
  double k, c, rest;
};

// Clears every force, then pushes each particle by perMass * mass along x turned by its own draw.
template <typename Particle>
void clearAndPush(std::vector<Particle>& particles, double perMass, std::mt19937& random) {
  for (Particle& p : particles) p.force = {0.0, 0.0, 0.0};
  for (Particle& p : particles) {
    p.force.x = p.mass * perMass;
    p.force = turned(p.force, angleFrom(static_cast<std::uint32_t>(random())), {0.0, 1.0, 0.0});
  }
}

struct Mesh {
  struct Particle {
    V force, velocity, rest, displacement;
    double ks, kd, restLength, mass;
  };
  std::vector<V> vertices;
  std::vector<Particle> particles;
  std::vector<Spring> springs;
  double time = 0.0;

  // File coordinates and 1-based spring ends, as the add operations receive them.
  Mesh(const std::vector<V>& fileVertices, const std::vector<std::pair<int, int>>& fileSprings) {
    for (V v : fileVertices) vertices.push_back({5 * v.x, 5 * v.y, 5 * v.z});
    for (V v : vertices) particles.push_back({{0, 0, 0}, {0, 0, 0}, v, {0, 0, 0}, 0.025, 0.025, 0.0, 0.05});
    for (auto [a, b] : fileSprings) {
      const int first = a - 1, second = b - 1;
      springs.push_back({first, second, 0.0025, 0.0025, lengthOf(minus(vertices[first], vertices[second]))});
    }
    for (std::size_t i = 0; i < particles.size() && i < 60; ++i) particles[i].displacement.x += 1.0;
  }

  void step(double dt, std::mt19937& random) {
    clearAndPush(particles, -0.02, random);
    for (Particle& p : particles) p.force.y = (p.mass * -0.098) * std::sin(time * 3.141592654 / 10.0);
    for (const Spring& s : springs) {
      Particle& a = particles[s.a];
      Particle& b = particles[s.b];
      const V dp = minus(minus(plus(a.rest, a.displacement), b.rest), b.displacement);
      const V dv = minus(a.velocity, b.velocity);
      const double len = lengthOf(dp);
      const V f = times(unit(dp), springMagnitude(s.k, s.c, len, s.rest, dv, dp));
      a.force = plus(a.force, f);
      b.force = plus(b.force, negated(f));
    }
    for (Particle& p : particles) {
      const double len = lengthOf(p.displacement);
      const double f = springMagnitude(p.ks, p.kd, len, p.restLength, p.velocity, p.displacement);
      p.force = plus(p.force, times(unit(p.displacement), f));
    }
    for (std::size_t i = 0; i < vertices.size(); ++i) {
      Particle& p = particles[i];
      const V acceleration = times(p.force, dt / p.mass);
      p.velocity = plus(p.velocity, times(acceleration, dt));
      p.displacement = plus(p.displacement, times(p.velocity, dt));
      vertices[i] = plus(p.rest, p.displacement);
    }
    time += dt;
  }
};

struct Cloth {
  struct Particle {
    V position, velocity, acceleration, force;
    double mass;
    int pinned;
  };
  static constexpr int kSide = 10;
  std::vector<Particle> particles;
  std::vector<Spring> springs;

  Cloth() {
    for (int j = 0; j < kSide; ++j)
      for (int i = 0; i < kSide; ++i)
        particles.push_back({{i * 0.5, j * 0.5, 0.0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, 0.09, j == 0 ? 1 : 0});
    auto join = [this](int a, int b) {
      springs.push_back({a, b, 0.28, 0.21, lengthOf(minus(particles[a].position, particles[b].position))});
    };
    for (int j = 0; j < kSide; ++j)
      for (int i = 0; i + 1 < kSide; ++i) join(i + j * kSide, i + 1 + j * kSide);
    for (int j = 0; j + 1 < kSide; ++j)
      for (int i = 0; i < kSide; ++i) join(i + j * kSide, i + (j + 1) * kSide);
    for (int j = 0; j + 1 < kSide; ++j) {
      for (int i = 0; i + 1 < kSide; ++i) {
        join(i + j * kSide, i + 1 + (j + 1) * kSide);
        join(i + 1 + j * kSide, i + (j + 1) * kSide);
      }
    }
  }

  void step(double dt, std::mt19937& random) {
    clearAndPush(particles, -0.002, random);
    for (Particle& p : particles) p.force.y = p.mass * -0.0098;
    for (const Spring& s : springs) {
      Particle& a = particles[s.a];
      Particle& b = particles[s.b];
      const V dp = minus(a.position, b.position);
      const V dv = minus(a.velocity, b.velocity);
      const double len = lengthOf(dp);
      const V f = times(unit(dp), springMagnitude(s.k, s.c, len, s.rest, dv, dp));
      if (a.pinned == 0) a.force = plus(a.force, f);
      if (b.pinned == 0) b.force = plus(b.force, negated(f));
    }
    for (Particle& p : particles) {
      if (p.pinned == 1) continue;
      p.acceleration = times(p.force, dt / p.mass);
      p.velocity = plus(p.velocity, times(p.acceleration, dt));
      p.position = plus(p.position, times(p.velocity, dt));
    }
  }
};

}  // namespace sv::reference
