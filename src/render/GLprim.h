// The drawer: floor grid, spring mesh (lit triangles, yellow displacement lines, guide line) and
// cloth (red wire grid) in fixed-function OpenGL through the binding layer. Where the context has
// buffer objects, what stays the same from frame to frame (face indices, normals, rest positions, the
// floor, the cloth's grid) lives in buffers on the GL side, uploaded once, and a frame writes only
// the positions that move; elsewhere it draws from client-side vertex arrays. It never changes the
// bodies or the matrices.
#pragma once

#include "cloth/Cloth.h"
#include "core/Object.h"
#include "mesh/Object3D.h"
#include "render/GLBuffer.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace sv {

class GLprim : public Object {
 public:
  // Material and light colours (red, green, blue, alpha) of the mesh's faces: olive where a face is
  // marked, green otherwise.
  static constexpr std::array<float, 4> markedDiffuse{0.5f, 0.5f, 0.0f, 1.0f};
  static constexpr std::array<float, 4> markedAmbient{0.2f, 0.2f, 0.0f, 1.0f};
  static constexpr std::array<float, 4> plainDiffuse{0.0f, 0.5f, 0.0f, 1.0f};
  static constexpr std::array<float, 4> plainAmbient{0.0f, 0.2f, 0.0f, 1.0f};

  // No GL calls: whether to use buffer objects is asked, and they are made, at the first draw. From
  // then on the drawer draws into that one context.
  GLprim() = default;

  // Draws a built mesh: its guide and displacement lines, then its lit triangles. With buffer objects
  // a mesh's faces, normals, marks and rest positions are uploaded at its first draw and again only
  // when another mesh, a mesh of other element counts or another mesh position is drawn: the program
  // keeps them fixed once the mesh is built.
  virtual int drawModel(const Object3D& mesh);
  // Writes the mesh's current positions into its buffers now, so that the mesh may move on before
  // drawModel draws it: true when done, and the next drawModel of that mesh draws these positions.
  // False where drawModel reads the mesh itself (no buffer objects, or the mesh's first draw).
  bool preloadModel(const Object3D& mesh);
  virtual int drawCloth(const Cloth& cloth);
  // A white 10 x 10 grid in the plane y = 0: lines size * factor apart, 5 * size * factor either side.
  virtual int drawFloor(double size, double factor);

 private:
  // A run of consecutive drawable faces that share their colour and their way of being read. With
  // buffer objects, the faces that cannot be read in place are counted among those alone.
  struct FaceRun {
    std::size_t first = 0, end = 0;
    bool marked = false, inPlace = false;
  };
  // What the mesh's uploaded data was made from.
  struct MeshShape {
    const Object3D* mesh = nullptr;
    std::size_t vertices = 0, normals = 0, faces = 0, lines = 0, marks = 0;
    double x = 0, y = 0, z = 0;
    bool operator==(const MeshShape&) const = default;
  };
  // Positions and normals go to GL as floats, the precision the rasterizer draws in.
  using Coordinate = float;

  bool buffered();
  static MeshShape shapeOf(const Object3D& mesh);
  template <typename Visit>
  static void forEachFaceRun(const Object3D& mesh, Visit visit);
  void setFaceColours(bool marked) const;
  bool updateClothGrid(std::int64_t columns, std::int64_t rows);
  void fillFloor(double size, double factor);

  // Client-side vertex arrays, for contexts without buffer objects.
  void drawMeshLines(const Object3D& mesh);
  void drawMeshFaces(const Object3D& mesh);
  void drawFaceRun(const Object3D& mesh, const FaceRun& run);

  // Buffer objects.
  void uploadMesh(const Object3D& mesh, const MeshShape& shape);
  void updateMeshPositions(const Object3D& mesh);
  void drawBufferedMeshLines(const Object3D& mesh);
  void drawBufferedFaces();
  static void drawBufferedLines(GLBuffer& points, std::size_t vertexCount);
  Coordinate* staged(std::size_t coordinates);

  enum class Path { undecided, buffers, clientArrays };
  Path path = Path::undecided;

  std::array<double, 2 * 3> guideLine{};
  std::array<double, 44 * 3> floorLines{};
  double floorSize = std::numeric_limits<double>::quiet_NaN(), floorFactor = floorSize;
  std::vector<double> displacementLines;  // current and rest position of each vertex
  std::vector<double> cornerPositions;    // faces that cannot be read in place, three corners each
  std::vector<double> cornerNormals;
  std::vector<std::uint32_t> clothGridIndices;  // the segments' particle pairs for the last grid shape
  std::int64_t clothGridColumns = -1, clothGridRows = -1;

  MeshShape uploaded;
  const Object3D* preloaded = nullptr;  // the mesh whose positions preloadModel wrote
  std::vector<FaceRun> faceRuns;
  std::vector<std::uint32_t> copiedCorners;  // the vertex of each corner of the faces not read in place
  std::vector<Coordinate> staging;           // one frame's positions on their way to a buffer
  std::array<Coordinate, 2 * 3> guideUploaded{};
  bool guideFilled = false;
  GLBuffer meshPositions{gl::kArrayBuffer, gl::kDynamicDraw};  // every vertex, then every rest position
  GLBuffer meshNormals{gl::kArrayBuffer, gl::kStaticDraw};
  GLBuffer faceIndices{gl::kElementArrayBuffer, gl::kStaticDraw};  // every face, drawable or not
  GLBuffer lineIndices{gl::kElementArrayBuffer, gl::kStaticDraw};  // (i, vertices + i) per line
  GLBuffer copiedPositions{gl::kArrayBuffer, gl::kDynamicDraw};
  GLBuffer copiedNormals{gl::kArrayBuffer, gl::kStaticDraw};
  GLBuffer guide{gl::kArrayBuffer, gl::kDynamicDraw};
  GLBuffer floor{gl::kArrayBuffer, gl::kStaticDraw};
  GLBuffer clothPositions{gl::kArrayBuffer, gl::kDynamicDraw};
  GLBuffer clothIndices{gl::kElementArrayBuffer, gl::kStaticDraw};
};

}  // namespace sv
