// The drawer: floor grid, spring mesh (lit triangles, yellow displacement lines, guide line) and
// cloth (red wire grid) in fixed-function OpenGL through the binding layer, from client-side vertex
// arrays. It keeps no scene data: it reads the bodies' fields in place where their layout allows and
// otherwise copies them into buffers it keeps between frames; it never changes the bodies or the matrices.
#pragma once

#include "cloth/Cloth.h"
#include "core/Object.h"
#include "mesh/Object3D.h"

#include <array>
#include <cstddef>
#include <cstdint>
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

  GLprim() = default;  // no GL calls

  // Draws a built mesh: its guide and displacement lines, then its lit triangles.
  virtual int drawModel(const Object3D& mesh);
  virtual int drawCloth(const Cloth& cloth);
  // A white 10 x 10 grid in the plane y = 0: lines size * factor apart, 5 * size * factor either side.
  virtual int drawFloor(double size, double factor);

 private:
  // A run of consecutive drawable faces that share their colour and their way of being read.
  struct FaceRun {
    std::size_t first = 0, end = 0;
    bool marked = false, inPlace = false;
  };

  void drawMeshLines(const Object3D& mesh);
  void drawMeshFaces(const Object3D& mesh);
  void drawFaceRun(const Object3D& mesh, const FaceRun& run);
  const std::vector<std::uint32_t>& clothGrid(std::int64_t columns, std::int64_t rows);

  std::array<double, 2 * 3> guideLine{};
  std::array<double, 44 * 3> floorLines{};
  std::vector<double> displacementLines;  // current and rest position of each vertex
  std::vector<double> cornerPositions;    // faces that cannot be read in place, three corners each
  std::vector<double> cornerNormals;
  std::vector<std::uint32_t> clothGridIndices;  // the segments' particle pairs for the last grid shape
  std::int64_t clothGridColumns = -1, clothGridRows = -1;
};

}  // namespace sv
