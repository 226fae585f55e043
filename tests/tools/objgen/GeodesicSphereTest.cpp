// The shipped model is exactly what the sphere generator writes, byte for byte, and loads cleanly as a
// sphere of radius 1.
#include "GeodesicSphere.h"
#include "ShippedModel.h"
#include "io/OBJ3D.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(GeodesicSphereFileTest, ShippedModelIsExactlyWhatTheGeneratorWritesAndLoadsAsAUnitSphere) {
  std::ostringstream shipped;
  shipped << std::ifstream(SV_ASSETS_DIR "/sphere_k.obj", std::ios::binary).rdbuf();
  const GeodesicSphere sphere(kShippedSphereFrequency, kShippedSphereRadius);
  EXPECT_TRUE(shipped.str() == sphere.modelText(kShippedSphereName))
      << "assets/sphere_k.obj differs from objgen's output: regenerate it with objgen --output assets/sphere_k.obj";

  OBJ3D reader;
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  reader.open(SV_ASSETS_DIR "/sphere_k.obj");
  reader.load();
  reader.close();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "vtx   =1002\nnml   =1002\nface  =2000\nspring=3000\n");
  for (const Vec3D& v : reader.objects[0]->vertices) EXPECT_NEAR(v.length(), 1.0, 5e-6);
}

}  // namespace
}  // namespace sv
