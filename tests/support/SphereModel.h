// Model files for tests and benchmarks: a UV sphere in the model file format, with outward normals,
// one spring per edge, centred on the origin. rings x segments fixes the size, so the same generator
// makes a handful of vertices for call-by-call tests and 100k for benchmarks.
#pragma once

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

namespace sv::test {

// Vertex count: 2 + (rings - 1) * segments; faces: 2 * segments * (rings - 1).
inline std::string sphereModel(int rings, int segments, double radius) {
  std::ostringstream out;
  out.precision(9);
  out << "o sphere\n";
  const double pi = std::acos(-1.0);
  auto point = [&](double nx, double ny, double nz) {
    out << "v " << std::fixed << radius * nx << ' ' << radius * ny << ' ' << radius * nz << '\n';
    out << "vn " << nx << ' ' << ny << ' ' << nz << '\n';
  };
  point(0, 1, 0);
  for (int r = 1; r < rings; ++r) {
    const double theta = pi * r / rings;
    for (int s = 0; s < segments; ++s) {
      const double phi = 2 * pi * s / segments;
      point(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
    }
  }
  point(0, -1, 0);
  // 1-based indices; vertex k has normal k.
  const int top = 1, bottom = 2 + (rings - 1) * segments;
  auto at = [segments](int r, int s) { return 2 + (r - 1) * segments + (s % segments); };
  auto face = [&](int a, int b, int c) {
    out << "f " << a << "//" << a << ' ' << b << "//" << b << ' ' << c << "//" << c << '\n';
  };
  auto spring = [&](int a, int b) { out << "k " << a << ' ' << b << '\n'; };
  for (int s = 0; s < segments; ++s) {
    face(top, at(1, s + 1), at(1, s));
    spring(top, at(1, s));
    face(bottom, at(rings - 1, s), at(rings - 1, s + 1));
    spring(bottom, at(rings - 1, s));
  }
  for (int r = 1; r < rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      spring(at(r, s), at(r, s + 1));
      if (r + 1 < rings) {
        face(at(r, s), at(r, s + 1), at(r + 1, s + 1));
        face(at(r, s), at(r + 1, s + 1), at(r + 1, s));
        spring(at(r, s), at(r + 1, s));
      }
    }
  }
  return out.str();
}

inline void writeFile(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
}

}  // namespace sv::test
