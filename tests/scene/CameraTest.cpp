// The camera's start values, and that nothing but x, y, z and fovy is set by them.
#include "scene/Camera.h"

#include <cmath>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(CameraTest, SetDefaultsLooksFromMinus10OnZAtTheOriginTiltedByMinus45) {
  Camera camera;
  EXPECT_TRUE(std::isnan(camera.fovy) && std::isnan(camera.eye.z)) << "unset before setDefaults";
  camera.setDefaults();
  const struct {
    const Vec3D& v;
    double x, y, z;
  } rows[] = {
      {camera.center, 0, 0, 0}, {camera.eye, 0, 0, -10}, {camera.translation, 0, 0, 0}, {camera.rotation, -45, 0, 0}};
  for (const auto& row : rows) {
    EXPECT_EQ(row.v.x, row.x);
    EXPECT_EQ(row.v.y, row.y);
    EXPECT_EQ(row.v.z, row.z);
    EXPECT_TRUE(std::isnan(row.v.w)) << "w is never set";
  }
  EXPECT_EQ(camera.fovy, 30);
}

}  // namespace
}  // namespace sv
