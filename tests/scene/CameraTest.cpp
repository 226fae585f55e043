// The camera's start values, and that nothing but x, y, z and fovy is set by them.
#include "scene/Camera.h"

#include <cmath>

#include <gtest/gtest.h>

namespace sv {
namespace {

void expectXYZ(const Vec3D& v, double x, double y, double z) {
  EXPECT_EQ(v.x, x);
  EXPECT_EQ(v.y, y);
  EXPECT_EQ(v.z, z);
  EXPECT_TRUE(std::isnan(v.w)) << "w is never set";
}

TEST(CameraTest, EveryValueIsUnsetBeforeSetDefaults) {
  Camera camera;
  for (const Vec3D* v : {&camera.center, &camera.eye, &camera.translation, &camera.rotation}) {
    EXPECT_TRUE(std::isnan(v->x) && std::isnan(v->y) && std::isnan(v->z) && std::isnan(v->w));
  }
  EXPECT_TRUE(std::isnan(camera.fovy));
}

TEST(CameraTest, SetDefaultsLooksFromMinus10OnZAtTheOriginTiltedByMinus45) {
  Camera camera;
  camera.setDefaults();
  expectXYZ(camera.center, 0, 0, 0);
  expectXYZ(camera.eye, 0, 0, -10);
  expectXYZ(camera.translation, 0, 0, 0);
  expectXYZ(camera.rotation, -45, 0, 0);
  EXPECT_EQ(camera.fovy, 30);
}

}  // namespace
}  // namespace sv
