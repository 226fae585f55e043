// Cutting the icosahedron into a geodesic sphere, and writing it as a model file.
#include "GeodesicSphere.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace sv {

namespace {

using Point = GeodesicSphere::Point;

Point minus(const Point& a, const Point& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

Point cross(const Point& a, const Point& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double dot(const Point& a, const Point& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// from + (to - from) * step / steps, one component at a time.
Point along(const Point& from, const Point& to, int step, int steps) {
  const double s = static_cast<double>(step) / steps;
  return {from[0] + (to[0] - from[0]) * s, from[1] + (to[1] - from[1]) * s, from[2] + (to[2] - from[2]) * s};
}

// The regular icosahedron with corners (0, +-1, +-phi) and their cyclic permutations.
std::vector<Point> icosahedronCorners() {
  const double t = (1.0 + std::sqrt(5.0)) / 2.0;
  return {{-1, t, 0},  {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t},  {0, 1, t},
          {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
}

const std::vector<GeodesicSphere::Triangle> kIcosahedronFaces = {
    {0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
    {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
    {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};

// A fixed-point decimal that the model format accepts; "-0.000000" is written as "0.000000".
std::string decimal(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value);
  if (std::string(text).find_first_not_of("-0.") == std::string::npos && text[0] == '-') return text + 1;
  return text;
}

}  // namespace

GeodesicSphere::GeodesicSphere(int frequency, double radius) : radius_(radius) {
  if (frequency < 1 || frequency > 5000) throw std::invalid_argument("sphere frequency must be 1 to 5000");
  const std::vector<Point> corners = icosahedronCorners();
  positions.reserve(10 * static_cast<std::size_t>(frequency) * frequency + 2);
  for (const Point& corner : corners) addPoint(corner);
  for (Triangle face : kIcosahedronFaces) {
    const Point& a = corners[face[0]];
    const Point& b = corners[face[1]];
    const Point& c = corners[face[2]];
    // Keep every face counter-clockwise seen from outside, whatever order the table lists it in.
    if (dot(cross(minus(b, a), minus(c, a)), a) < 0) std::swap(face[1], face[2]);
    cutFace(face, frequency);
  }
  collectEdges();
  edgePoints_.clear();
}

std::int32_t GeodesicSphere::addPoint(const Point& onFlatFace) {
  const double length = std::sqrt(dot(onFlatFace, onFlatFace));
  const Point normal = {onFlatFace[0] / length, onFlatFace[1] / length, onFlatFace[2] / length};
  normals.push_back(normal);
  positions.push_back({normal[0] * radius_, normal[1] * radius_, normal[2] * radius_});
  return static_cast<std::int32_t>(positions.size() - 1);
}

// Point `step` of `frequency` from corner `from` towards corner `to`, made at the first call for its edge.
std::int32_t GeodesicSphere::edgePoint(std::int32_t from, std::int32_t to, int step, int frequency) {
  const Edge key{std::min(from, to), std::max(from, to)};
  auto found = std::find_if(edgePoints_.begin(), edgePoints_.end(), [&](const auto& e) { return e.first == key; });
  if (found == edgePoints_.end()) {
    const std::vector<Point> ico = icosahedronCorners();
    std::vector<std::int32_t> ids;
    for (int t = 1; t < frequency; ++t) ids.push_back(addPoint(along(ico[key.first], ico[key.second], t, frequency)));
    edgePoints_.emplace_back(key, std::move(ids));
    found = edgePoints_.end() - 1;
  }
  const int fromLower = from == key.first ? step : frequency - step;
  return found->second[fromLower - 1];
}

// Cuts one icosahedron face into frequency^2 triangles. Point (i, j) lies at
// a + (b - a) i / f + (c - a) j / f; points on the face's edges are shared with the neighbour face.
void GeodesicSphere::cutFace(const Triangle& corners, int frequency) {
  const int f = frequency;
  const std::vector<Point> ico = icosahedronCorners();
  const Point& a = ico[corners[0]];
  const Point& b = ico[corners[1]];
  const Point& c = ico[corners[2]];

  std::vector<std::vector<std::int32_t>> id(f + 1, std::vector<std::int32_t>(f + 1, -1));
  for (int i = 0; i <= f; ++i) {
    for (int j = 0; i + j <= f; ++j) {
      if (i == 0 && j == 0) {
        id[i][j] = corners[0];
      } else if (i == f) {
        id[i][j] = corners[1];
      } else if (j == f) {
        id[i][j] = corners[2];
      } else if (j == 0) {
        id[i][j] = edgePoint(corners[0], corners[1], i, f);
      } else if (i == 0) {
        id[i][j] = edgePoint(corners[0], corners[2], j, f);
      } else if (i + j == f) {
        id[i][j] = edgePoint(corners[1], corners[2], j, f);
      } else {
        const Point p = along(a, b, i, f);
        const Point q = along(a, c, j, f);
        id[i][j] = addPoint({p[0] + q[0] - a[0], p[1] + q[1] - a[1], p[2] + q[2] - a[2]});
      }
    }
  }
  for (int i = 0; i < f; ++i) {
    for (int j = 0; i + j < f; ++j) {
      faces.push_back({id[i][j], id[i + 1][j], id[i][j + 1]});
      if (i + j + 2 <= f) faces.push_back({id[i + 1][j], id[i + 1][j + 1], id[i][j + 1]});
    }
  }
}

void GeodesicSphere::collectEdges() {
  edges.reserve(faces.size() * 3);
  for (const Triangle& t : faces) {
    for (int k = 0; k < 3; ++k) {
      const std::int32_t u = t[k], v = t[(k + 1) % 3];
      edges.emplace_back(std::min(u, v), std::max(u, v));
    }
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
}

void GeodesicSphere::writeModel(std::ostream& out, const std::string& objectName) const {
  out << "# geodesic sphere: " << positions.size() << " vertices, " << faces.size() << " faces, " << edges.size()
      << " springs (made by objgen)\n";
  out << "o " << objectName << "\n";
  for (const Point& p : positions) out << "v " << decimal(p[0]) << ' ' << decimal(p[1]) << ' ' << decimal(p[2]) << '\n';
  for (const Point& n : normals) out << "vn " << decimal(n[0]) << ' ' << decimal(n[1]) << ' ' << decimal(n[2]) << '\n';
  for (const Triangle& t : faces) {
    out << "f " << t[0] + 1 << "//" << t[0] + 1 << ' ' << t[1] + 1 << "//" << t[1] + 1 << ' ' << t[2] + 1 << "//"
        << t[2] + 1 << '\n';
  }
  for (const Edge& e : edges) out << "k " << e.first + 1 << ' ' << e.second + 1 << '\n';
}

std::string GeodesicSphere::modelText(const std::string& objectName) const {
  std::ostringstream text;
  writeModel(text, objectName);
  return text.str();
}

}  // namespace sv
