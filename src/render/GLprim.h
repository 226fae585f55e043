// The drawer: floor grid, spring mesh (lit triangles, yellow displacement lines, guide line) and
// cloth (red wire grid) in immediate-mode, fixed-function OpenGL through the binding layer. It keeps
// no scene data; it reads the bodies' fields and never changes them or the matrices.
#pragma once

#include "cloth/Cloth.h"
#include "core/Object.h"
#include "mesh/Object3D.h"

#include <array>

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
  static void drawMeshLines(const Object3D& mesh);
  static void drawMeshFaces(const Object3D& mesh);
};

}  // namespace sv
