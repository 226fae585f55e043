// Turns any Wavefront OBJ text into one triangle mesh in the viewer's model format: tinyobjloader reads
// the file; polygons are cut into fans, all objects merged, normals taken from the file where a face
// has one at every corner and computed elsewhere, one spring laid along every distinct edge. Texture
// coordinates, groups, smoothing and materials are left behind, as the viewer has no use for them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tinyobj {
struct index_t;
}

namespace sv {

// What makes a text no mesh the viewer could show; the message says what, and where when it can.
class ImportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class MeshImport {
 public:
  struct Options {
    bool bend = false;       // also a spring across every two triangles that share an edge
    bool keepScale = false;  // keep the file's coordinates instead of centring and scaling
  };
  using Point = std::array<double, 3>;
  using Corners = std::array<std::int32_t, 3>;
  struct Triangle {
    Corners vertices, normals;  // 0-based
  };
  using Spring = std::pair<std::int32_t, std::int32_t>;  // 0-based, first < second

  // The most vertices or triangles a mesh may have, far beyond what the viewer steps in real time.
  static constexpr std::size_t kMaxElements = 10'000'000;
  // The longest text read.
  static constexpr std::size_t kMaxBytes = std::size_t{1} << 30;
  // The largest coordinate written: the largest the reader accepts.
  static constexpr double kMaxCoordinate = 1e150;

  // Throws ImportError when the text is not a mesh: not text, unreadable, no faces, an index out of
  // range, coordinates that are not finite, a mesh without area or one too large.
  MeshImport(const std::string& text, Options options);

  // The model file: one `o` line, then v, vn, f and k lines, each ending in a line feed.
  std::string toText(const std::string& objectName) const;

  std::vector<Point> vertices;
  std::vector<Point> normals;
  std::vector<Triangle> faces;
  std::vector<Spring> springs;
  std::size_t droppedFaces = 0;  // triangles that named one vertex twice, left out

 private:
  struct FileMesh;
  void readFaces(const FileMesh& file);
  // The polygon of `corners` indices from `first` on, as a fan of triangles around its first corner.
  void addFan(const std::vector<tinyobj::index_t>& indices, std::size_t first, std::size_t corners, bool allNormals);
  void keepUsedVertices(const FileMesh& file);
  void computeMissingNormals();
  void checkGeometry() const;
  void placeLikeTheShippedModel();
  void laySprings(bool bend);
};

}  // namespace sv
