// The drawer: floor grid, spring mesh (lit triangles, yellow displacement lines, guide line) and
// cloth (red wire grid) in fixed-function OpenGL through the binding layer. What stays the same from
// frame to frame (face corners, normals, rest positions, the floor, the cloth's grid) is laid down
// once in GLBuffers, on the GL side where the context has buffer objects, and a frame writes only the
// positions that move. Its buffers are made at its first draw, in the one context it draws into from
// then on. It never changes the bodies or the matrices.
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

  // Draws a built mesh: its guide and displacement lines, then its lit triangles. A mesh's faces,
  // normals, marks and rest positions are laid down at its first draw and again only when another
  // mesh, a mesh of other element counts or another mesh position is drawn: the program keeps them
  // fixed once the mesh is built.
  virtual int drawModel(const Object3D& mesh);
  // Copies the mesh's current positions for drawing now, so that the mesh may move on before
  // drawModel draws it: true when done, and the next drawModel of that mesh draws these positions.
  // False at a mesh's first draw (or after its shape changed), where drawModel reads the mesh itself.
  bool preloadModel(const Object3D& mesh);
  virtual int drawCloth(const Cloth& cloth);
  // A white 10 x 10 grid in the plane y = 0: lines size * factor apart, 5 * size * factor either side.
  virtual int drawFloor(double size, double factor);

 private:
  // Consecutive drawn faces of one colour, counted in faces of the drawn corners.
  struct FaceRun {
    std::size_t first = 0, end = 0;
    bool marked = false;
  };
  // What the mesh's laid-down data was made from.
  struct MeshShape {
    const Object3D* mesh = nullptr;
    std::size_t vertices = 0, normals = 0, faces = 0, lines = 0, marks = 0;
    double x = 0, y = 0, z = 0;
    bool operator==(const MeshShape&) const = default;
  };
  // Positions and normals go to GL as floats, the precision the rasterizer draws in.
  using Coordinate = float;

  static MeshShape shapeOf(const Object3D& mesh);
  void uploadFaces(const Object3D& mesh);
  void uploadLines(const Object3D& mesh);
  void updateMeshPositions(const Object3D& mesh);
  void drawMeshLines(const Object3D& mesh);
  void drawMeshFaces();
  static void drawLines(GLBuffer& points, std::size_t vertexCount, GLBuffer* ends = nullptr);
  void fillClothGrid(std::int64_t columns, std::int64_t rows);
  void fillFloor(double size, double factor);
  void unbind();
  Coordinate* staged(std::size_t coordinates);

  MeshShape uploaded;
  const Object3D* preloaded = nullptr;  // the mesh whose positions preloadModel wrote
  std::vector<FaceRun> faceRuns;
  std::vector<std::uint32_t> copiedCorners;  // the vertex of each corner that has a position of its own
  std::vector<Coordinate> staging;           // one frame's positions on their way to a buffer
  std::array<Coordinate, 2 * 3> guideUploaded{};
  bool guideFilled = false;
  std::int64_t clothGridColumns = -1, clothGridRows = -1;
  std::size_t clothSegments = 0;
  double floorSize = std::numeric_limits<double>::quiet_NaN(), floorFactor = floorSize;

  GLBuffer meshPositions{gl::kArrayBuffer, gl::kDynamicDraw};      // vertices, copied corners, rest positions
  GLBuffer meshNormals{gl::kArrayBuffer, gl::kStaticDraw};         // by vertex, then the copied corners'
  GLBuffer faceCorners{gl::kElementArrayBuffer, gl::kStaticDraw};  // the drawn faces' corners, run by run
  GLBuffer lineEnds{gl::kElementArrayBuffer, gl::kStaticDraw};     // a vertex and its rest position
  GLBuffer guide{gl::kArrayBuffer, gl::kDynamicDraw};
  GLBuffer floor{gl::kArrayBuffer, gl::kStaticDraw};
  GLBuffer clothPositions{gl::kArrayBuffer, gl::kDynamicDraw};
  GLBuffer clothIndices{gl::kElementArrayBuffer, gl::kStaticDraw};
};

}  // namespace sv
