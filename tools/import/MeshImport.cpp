// Importing an OBJ text (see MeshImport.h): parse, triangles, vertices in use, placement, normals,
// springs, and the text of the model file.
#include "MeshImport.h"

#include "ShippedModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <sstream>
#include <tiny_obj_loader.h>
#include <tuple>

namespace sv {

struct MeshImport::FileMesh {
  tinyobj::attrib_t attrib;
  std::vector<tinyobj::shape_t> shapes;
};

namespace {

using Point = MeshImport::Point;

Point minus(const Point& a, const Point& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Point cross(const Point& a, const Point& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double length(const Point& a) { return std::hypot(a[0], a[1], a[2]); }
bool isFinite(const Point& a) { return std::isfinite(a[0]) && std::isfinite(a[1]) && std::isfinite(a[2]); }

// `a` scaled to length 1, or nothing when it has no direction (a part not a number is none either:
// std::max would pass a NaN over). Large components are scaled down first so that the length itself
// cannot overflow.
bool normalise(Point& a) {
  const double largest = std::max({std::fabs(a[0]), std::fabs(a[1]), std::fabs(a[2])});
  if (!(largest > 0) || !isFinite(a)) return false;
  for (double& c : a) c /= largest;
  const double size = length(a);
  for (double& c : a) c /= size;
  return true;
}

// Twice the triangle's area, in the direction its winding gives (counter-clockwise seen from outside).
Point areaNormal(const std::vector<Point>& points, const MeshImport::Corners& corners) {
  return cross(minus(points[corners[1]], points[corners[0]]), minus(points[corners[2]], points[corners[0]]));
}

// Control bytes other than the blanks and line ends of a text mean the file is no text.
void checkText(const std::string& text) {
  if (text.size() > MeshImport::kMaxBytes) throw ImportError("the file is larger than 1 GiB");
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' && byte != '\v') {
      char where[96];
      std::snprintf(where, sizeof where, "not a text file (byte 0x%02x at offset %zu)", byte, i);
      throw ImportError(where);
    }
  }
}

std::string firstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  return line.empty() ? "unknown error" : line;
}

// A number the model format reads back exactly as written: fixed-point where that keeps the figures
// (as the shipped model is written), with an exponent after a decimal fraction elsewhere.
void writeNumber(std::ostream& out, double value) {
  char text[64];
  const double size = std::fabs(value);
  const bool fixed = size == 0 || (size >= 0.01 && size < 1e6);
  std::snprintf(text, sizeof text, fixed ? "%.6f" : "%.8e", value);
  const bool negativeZero = text[0] == '-' && std::string(text).find_first_not_of("-0.") == std::string::npos;
  out << (negativeZero ? text + 1 : text);
}

void writePoints(std::ostream& out, const char* keyword, const std::vector<Point>& points) {
  for (const Point& p : points) {
    out << keyword;
    for (double c : p) writeNumber(out << ' ', c);
    out << '\n';
  }
}

}  // namespace

MeshImport::MeshImport(const std::string& text, Options options) {
  checkText(text);
  tinyobj::ObjReaderConfig config;
  config.triangulate = false;  // polygons are cut below, where every index has been checked
  config.vertex_color = false;
  tinyobj::ObjReader reader;
  if (!reader.ParseFromString(text, "", config)) throw ImportError("not readable as OBJ: " + firstLine(reader.Error()));
  const FileMesh file{reader.GetAttrib(), reader.GetShapes()};
  readFaces(file);
  keepUsedVertices(file);
  checkGeometry();
  if (!options.keepScale) placeLikeTheShippedModel();
  computeMissingNormals();
  laySprings(options.bend);
}

// Every polygon of every object becomes a fan of triangles around its first corner. A corner's normal
// index stays -1 unless every corner of its polygon names a normal.
void MeshImport::readFaces(const FileMesh& file) {
  const auto vertexCount = static_cast<std::int32_t>(file.attrib.vertices.size() / 3);
  const auto normalCount = static_cast<std::int32_t>(file.attrib.normals.size() / 3);
  std::size_t polygon = 0;
  for (const tinyobj::shape_t& shape : file.shapes) {
    const tinyobj::mesh_t& mesh = shape.mesh;
    std::size_t first = 0;
    for (const unsigned char corners : mesh.num_face_vertices) {
      ++polygon;
      if (first + corners > mesh.indices.size()) break;
      bool allNormals = corners >= 3;
      for (std::size_t k = first; k < first + corners; ++k) {
        const tinyobj::index_t& index = mesh.indices[k];
        if (index.vertex_index < 0 || index.vertex_index >= vertexCount) {
          throw ImportError("face " + std::to_string(polygon) + " names vertex " +
                            std::to_string(static_cast<long>(index.vertex_index) + 1) + ", but the file has " +
                            std::to_string(vertexCount) + " vertices");
        }
        allNormals = allNormals && index.normal_index >= 0 && index.normal_index < normalCount;
      }
      addFan(mesh.indices, first, corners, allNormals);
      first += corners;
    }
    // A polygon of more than 255 corners is counted short by tinyobjloader, which leaves indices over.
    if (first != mesh.indices.size()) throw ImportError("a face has more than 255 corners");
  }
  if (faces.empty()) throw ImportError("no faces with three or more distinct corners");
}

void MeshImport::addFan(const std::vector<tinyobj::index_t>& indices, std::size_t first, std::size_t corners,
                        bool allNormals) {
  for (std::size_t k = first + 1; k + 1 < first + corners; ++k) {
    Triangle t{};
    const tinyobj::index_t* corner[] = {&indices[first], &indices[k], &indices[k + 1]};
    for (int c = 0; c < 3; ++c) {
      t.vertices[c] = corner[c]->vertex_index;
      t.normals[c] = allNormals ? corner[c]->normal_index : -1;
    }
    if (t.vertices[0] == t.vertices[1] || t.vertices[1] == t.vertices[2] || t.vertices[0] == t.vertices[2]) {
      ++droppedFaces;
    } else {
      faces.push_back(t);
    }
    if (faces.size() > kMaxElements) throw ImportError("more than 10000000 triangles");
  }
}

// Only the vertices and normals the triangles use are kept, in the order of the file; normals scaled
// to length 1. A triangle whose file normals include one without direction gets computed ones instead.
void MeshImport::keepUsedVertices(const FileMesh& file) {
  const std::vector<tinyobj::real_t>& v = file.attrib.vertices;
  const std::vector<tinyobj::real_t>& n = file.attrib.normals;
  std::vector<Point> unit(n.size() / 3);
  std::vector<bool> hasDirection(unit.size());
  for (std::size_t at = 0; at < unit.size(); ++at) {
    unit[at] = {n[3 * at], n[3 * at + 1], n[3 * at + 2]};
    hasDirection[at] = normalise(unit[at]);
  }
  std::vector<std::int32_t> newVertex(v.size() / 3, -1), newNormal(unit.size(), -1);  // 0: used
  for (Triangle& t : faces) {
    for (std::int32_t index : t.vertices) newVertex[static_cast<std::size_t>(index)] = 0;
    const bool usable = t.normals[0] >= 0 && std::all_of(t.normals.begin(), t.normals.end(), [&](std::int32_t i) {
                          return hasDirection[static_cast<std::size_t>(i)];
                        });
    if (!usable) t.normals = {-1, -1, -1};
    for (std::int32_t index : t.normals) {
      if (index >= 0) newNormal[static_cast<std::size_t>(index)] = 0;
    }
  }
  for (std::size_t at = 0; at < newVertex.size(); ++at) {
    if (newVertex[at] < 0) continue;
    const Point p{v[3 * at], v[3 * at + 1], v[3 * at + 2]};
    if (!isFinite(p) || std::max({std::fabs(p[0]), std::fabs(p[1]), std::fabs(p[2])}) > kMaxCoordinate) {
      throw ImportError("vertex " + std::to_string(at + 1) + " has a coordinate beyond 1e150 or not a number");
    }
    newVertex[at] = static_cast<std::int32_t>(vertices.size());
    vertices.push_back(p);
  }
  if (vertices.size() > kMaxElements) throw ImportError("more than 10000000 vertices");
  for (std::size_t at = 0; at < newNormal.size(); ++at) {
    if (newNormal[at] >= 0) newNormal[at] = static_cast<std::int32_t>(normals.size()), normals.push_back(unit[at]);
  }
  for (Triangle& t : faces) {
    for (std::int32_t& index : t.vertices) index = newVertex[static_cast<std::size_t>(index)];
    for (std::int32_t& index : t.normals) index = index >= 0 ? newNormal[static_cast<std::size_t>(index)] : -1;
  }
}

void MeshImport::checkGeometry() const {
  for (const Triangle& t : faces) {
    Point direction = areaNormal(vertices, t.vertices);
    if (normalise(direction)) return;
  }
  throw ImportError("degenerate: every face has zero area");
}

// Centred on the middle of its bounding box, and as large as the shipped sphere: its farthest vertex
// lies at the sphere's radius. Normals keep their directions.
void MeshImport::placeLikeTheShippedModel() {
  Point low = vertices.front(), high = vertices.front();
  for (const Point& p : vertices) {
    for (int c = 0; c < 3; ++c) low[c] = std::min(low[c], p[c]), high[c] = std::max(high[c], p[c]);
  }
  const Point centre{(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2};
  double radius = 0;
  for (const Point& p : vertices) radius = std::max(radius, length(minus(p, centre)));
  const double scale = kShippedSphereRadius / radius;
  for (Point& p : vertices) {
    for (int c = 0; c < 3; ++c) p[c] = (p[c] - centre[c]) * scale;
  }
}

// Area-weighted vertex normals: the sum of the area normals of the triangles around each vertex, which
// point outward where the winding is counter-clockwise seen from outside. A vertex whose triangles
// cancel out, or have no area, points up.
void MeshImport::computeMissingNormals() {
  std::vector<Point> sum(vertices.size(), Point{0, 0, 0});
  for (const Triangle& t : faces) {
    const Point area = areaNormal(vertices, t.vertices);
    for (std::int32_t v : t.vertices) {
      for (int c = 0; c < 3; ++c) sum[static_cast<std::size_t>(v)][c] += area[c];
    }
  }
  std::vector<std::int32_t> computed(vertices.size(), -1);
  for (Triangle& t : faces) {
    if (t.normals[0] >= 0) continue;
    for (int c = 0; c < 3; ++c) {
      const auto v = static_cast<std::size_t>(t.vertices[c]);
      if (computed[v] < 0) {
        Point direction = sum[v];
        if (!normalise(direction)) direction = {0, 1, 0};
        computed[v] = static_cast<std::int32_t>(normals.size());
        normals.push_back(direction);
      }
      t.normals[c] = computed[v];
    }
  }
}

// One spring per distinct edge; with `bend`, also one between the far corners of every two triangles
// that share an edge, unless an edge joins those two already.
void MeshImport::laySprings(bool bend) {
  std::vector<std::tuple<std::int32_t, std::int32_t, std::int32_t>> sides;  // edge, opposite corner
  for (const Triangle& t : faces) {
    for (int c = 0; c < 3; ++c) {
      const std::int32_t a = t.vertices[c], b = t.vertices[(c + 1) % 3], opposite = t.vertices[(c + 2) % 3];
      sides.emplace_back(std::min(a, b), std::max(a, b), opposite);
    }
  }
  std::sort(sides.begin(), sides.end());
  std::vector<Spring> bends;
  for (std::size_t run = 0, end = 0; run < sides.size(); run = end) {
    for (end = run; end < sides.size() && std::get<0>(sides[end]) == std::get<0>(sides[run]) &&
                    std::get<1>(sides[end]) == std::get<1>(sides[run]);
         ++end) {
    }
    springs.emplace_back(std::get<0>(sides[run]), std::get<1>(sides[run]));
    for (std::size_t i = run; bend && i < end; ++i) {
      for (std::size_t j = i + 1; j < end; ++j) {
        const std::int32_t a = std::get<2>(sides[i]), b = std::get<2>(sides[j]);
        if (a != b) bends.emplace_back(std::min(a, b), std::max(a, b));
        if (bends.size() > kMaxElements) throw ImportError("more than 10000000 bending springs");
      }
    }
  }
  std::sort(bends.begin(), bends.end());
  bends.erase(std::unique(bends.begin(), bends.end()), bends.end());
  std::vector<Spring> across;
  std::set_difference(bends.begin(), bends.end(), springs.begin(), springs.end(), std::back_inserter(across));
  springs.insert(springs.end(), across.begin(), across.end());
}

std::string MeshImport::toText(const std::string& objectName) const {
  std::ostringstream out;
  out << "# " << vertices.size() << " vertices, " << faces.size() << " faces, " << springs.size()
      << " springs (made by springview-import)\no " << objectName << '\n';
  writePoints(out, "v", vertices);
  writePoints(out, "vn", normals);
  for (const Triangle& t : faces) {
    out << 'f';
    for (int c = 0; c < 3; ++c) out << ' ' << t.vertices[c] + 1 << "//" << t.normals[c] + 1;
    out << '\n';
  }
  for (const Spring& s : springs) out << "k " << s.first + 1 << ' ' << s.second + 1 << '\n';
  return out.str();
}

}  // namespace sv
