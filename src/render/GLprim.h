// The drawer: floor grid, spring mesh (lit triangles, yellow displacement lines, guide line) and
// cloth (red wire grid) in immediate-mode, fixed-function OpenGL through the binding layer. It keeps
// no scene data; it reads the bodies' fields and never changes them or the matrices.
#pragma once

#include "cloth/Cloth.h"
#include "core/Array.h"
#include "core/Object.h"
#include "io/OBJ3D.h"

namespace sv {

class GLprim : public Object {
 public:
  // The four material/light colour tables (red, green, blue, alpha), one set for the program,
  // filled by the constructor.
  static inline Array<float> markedDiffuse;
  static inline Array<float> markedAmbient;
  static inline Array<float> plainDiffuse;
  static inline Array<float> plainAmbient;

  GLprim();  // no GL calls

  // Draws objects[0] of the model; a model without a first mesh draws nothing.
  virtual int drawModel(const OBJ3D& model);
  virtual int drawCloth(const Cloth& cloth);
  // A white 10 x 10 grid in the plane y = 0: lines size * factor apart, 5 * size * factor either side.
  virtual int drawFloor(double size, double factor);

 private:
  static void drawMeshLines(const Object3D& mesh);
  static void drawMeshFaces(const Object3D& mesh);
};

}  // namespace sv
