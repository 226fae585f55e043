// The view parameters of the scene: eye, point looked at, the scene's translation and rotation in
// front of it, and the field of view. The scene controller turns them into the projection and
// model-view transforms every frame and changes them on mouse drags.
#pragma once

#include "core/Vec3D.h"

#include <limits>

namespace sv {

struct Camera {
  Vec3D center;
  Vec3D eye;
  Vec3D translation;
  Vec3D rotation;  // degrees about x, y, z
  double fovy = std::numeric_limits<double>::quiet_NaN();

  // Start values: looking from (0, 0, -10) at the origin, the scene tilted by -45 degrees about x,
  // a 30 degree field of view. Only x, y and z are set; w stays NaN.
  void setDefaults();
};

}  // namespace sv
