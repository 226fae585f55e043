// The shipped model is exactly what the sphere generator writes, byte for byte. How it loads and looks
// is fixed by the scene's reference pictures, which draw both.
#include "GeodesicSphere.h"
#include "ShippedModel.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(GeodesicSphereFileTest, ShippedModelIsExactlyWhatTheGeneratorWrites) {
  std::ostringstream shipped;
  shipped << std::ifstream(SV_ASSETS_DIR "/sphere_k.obj", std::ios::binary).rdbuf();
  const GeodesicSphere sphere(kShippedSphereFrequency, kShippedSphereRadius);
  EXPECT_TRUE(shipped.str() == sphere.modelText(kShippedSphereName))
      << "assets/sphere_k.obj differs from objgen's output: regenerate it with objgen --output assets/sphere_k.obj";
}

}  // namespace
}  // namespace sv
