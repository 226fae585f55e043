// The camera's start values.
#include "scene/Camera.h"

namespace sv {

void Camera::setDefaults() {
  center.x = 0.0, center.y = 0.0, center.z = 0.0;
  eye.x = 0.0, eye.y = 0.0, eye.z = -10.0;
  translation.x = 0.0, translation.y = 0.0, translation.z = 0.0;
  rotation.x = -45.0, rotation.y = 0.0, rotation.z = 0.0;
  fovy = 30.0;
}

}  // namespace sv
