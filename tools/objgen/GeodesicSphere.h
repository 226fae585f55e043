// A geodesic sphere: an icosahedron whose faces are cut into frequency^2 triangles each, with every
// point pushed out onto the sphere. objgen writes it as a model file; tests and benchmarks use it to
// make meshes of any size. The output depends only on IEEE arithmetic, so it is the same bytes on
// every build.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace sv {

class GeodesicSphere {
 public:
  using Point = std::array<double, 3>;
  using Triangle = std::array<std::int32_t, 3>;        // 0-based vertex indices, counter-clockwise from outside
  using Edge = std::pair<std::int32_t, std::int32_t>;  // 0-based, first < second

  // frequency >= 1 cuts each icosahedron edge into that many pieces: 10 f^2 + 2 vertices,
  // 20 f^2 faces and 30 f^2 edges.
  GeodesicSphere(int frequency, double radius);

  // The model file: one o line, v and vn lines (one outward unit normal per vertex),
  // "f a//a b//b c//c" faces and one k line per edge, all indices 1-based.
  void writeModel(std::ostream& out, const std::string& objectName) const;
  std::string modelText(const std::string& objectName) const;

  std::vector<Point> positions;
  std::vector<Point> normals;
  std::vector<Triangle> faces;
  std::vector<Edge> edges;

 private:
  std::int32_t addPoint(const Point& onFlatFace);
  std::int32_t edgePoint(std::int32_t from, std::int32_t to, int step, int frequency);
  void cutFace(const Triangle& corners, int frequency);
  void collectEdges();

  double radius_;
  // Points inside an icosahedron edge, keyed by the edge's corners (lower first), listed from the
  // lower corner on; made once so that the two faces on an edge share them.
  std::vector<std::pair<Edge, std::vector<std::int32_t>>> edgePoints_;
};

}  // namespace sv
