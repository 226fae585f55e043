// Models for the benchmarks: a UV sphere centred on the origin with outward normals and one
// spring per edge, either as model file text or fed straight into an Object3D through its add
// operations (much faster than the reader for the 100k-vertex benchmark meshes). rings x segments
// fixes the size: 2 + (rings - 1) * segments vertices, 2 * segments * (rings - 1) faces.
#pragma once

#include "mesh/Object3D.h"

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

namespace sv::test {

// Calls sink.vertex(x, y, z) with sink.normal(nx, ny, nz) for every vertex, then sink.face(a, b, c)
// and sink.spring(a, b) with 1-based indices, as the model file numbers them.
template <typename Sink>
void emitSphere(int rings, int segments, double radius, Sink& sink) {
  const double pi = std::acos(-1.0);
  auto point = [&](double nx, double ny, double nz) {
    sink.vertex(radius * nx, radius * ny, radius * nz);
    sink.normal(nx, ny, nz);
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
  const int top = 1, bottom = 2 + (rings - 1) * segments;
  auto at = [segments](int r, int s) { return 2 + (r - 1) * segments + (s % segments); };
  for (int s = 0; s < segments; ++s) {
    sink.face(top, at(1, s + 1), at(1, s));
    sink.spring(top, at(1, s));
    sink.face(bottom, at(rings - 1, s), at(rings - 1, s + 1));
    sink.spring(bottom, at(rings - 1, s));
  }
  for (int r = 1; r < rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      sink.spring(at(r, s), at(r, s + 1));
      if (r + 1 < rings) {
        sink.face(at(r, s), at(r, s + 1), at(r + 1, s + 1));
        sink.face(at(r, s), at(r + 1, s + 1), at(r + 1, s));
        sink.spring(at(r, s), at(r + 1, s));
      }
    }
  }
}

inline std::string sphereModel(int rings, int segments, double radius) {
  struct TextSink {
    std::ostringstream out;
    void vertex(double x, double y, double z) { out << "v " << x << ' ' << y << ' ' << z << '\n'; }
    void normal(double x, double y, double z) { out << "vn " << x << ' ' << y << ' ' << z << '\n'; }
    void face(int a, int b, int c) {
      out << "f " << a << "//" << a << ' ' << b << "//" << b << ' ' << c << "//" << c << '\n';
    }
    void spring(int a, int b) { out << "k " << a << ' ' << b << '\n'; }
  } sink;
  sink.out.precision(9);
  sink.out << std::fixed << "o sphere\n";
  emitSphere(rings, segments, radius, sink);
  return sink.out.str();
}

// The mesh the reader would build from sphereModel(rings, segments, radius), built.
inline void buildSphereMesh(Object3D& mesh, int rings, int segments, double radius) {
  struct MeshSink {
    Object3D& mesh;
    void vertex(double x, double y, double z) { mesh.addVertex(x, y, z); }
    void normal(double x, double y, double z) { mesh.addNormal(x, y, z); }
    void face(int a, int b, int c) { mesh.addFace({a, b, c}, {}, {a, b, c}); }
    void spring(int a, int b) { mesh.addSpring(a, b); }
  } sink{mesh};
  mesh.init();
  emitSphere(rings, segments, radius, sink);
  mesh.build();
}

inline void writeFile(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
}

}  // namespace sv::test
