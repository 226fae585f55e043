// The whole scene at 512 x 512 in a Mesa context with no display server, from a fixed seed: the first frame
// as a person expects it, and later frames pixel for pixel the pictures of the one-batch-per-element drawing.
#include "GeodesicSphere.h"
#include "PngFile.h"
#include "ShippedModel.h"
#include "core/Random.h"
#include "gl/GL.h"
#include "gl/OffscreenContext.h"
#include "scene/GLUW.h"
#include "support/WorkingDirectory.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

namespace sv::test {
namespace {

constexpr int kSize = 512;
using Pixels = std::vector<std::uint8_t>;  // RGBA, top row first

bool isBlue(const std::uint8_t* c) { return c[0] == 0 && c[1] == 0 && c[2] == 255; }
bool isRed(const std::uint8_t* c) { return c[0] > 200 && c[1] < 60 && c[2] < 60; }
bool isGreen(const std::uint8_t* c) { return c[1] > 40 && c[0] < c[1] / 2 && c[2] < c[1] / 2; }
// Pixels of the kind in the box [x0, x1) x [y0, y1), rows counted from the top.
int count(const Pixels& p, bool (*kind)(const std::uint8_t*), int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += kind(&p[(std::size_t(y) * kSize + x) * 4]);
  return n;
}

class OffscreenSceneTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { context = std::make_unique<OffscreenContext>(kSize, kSize); }
  static void TearDownTestSuite() { context.reset(); }
  void SetUp() override { std::filesystem::copy_file(SV_SHIPPED_MODEL, "sphere_k.obj"); }
  // Frame `frames` of a fresh scene as the window would start it, from seed 7.
  Pixels frame(int frames) {
    seedRandom(7);
    const auto scene = startScene(kSize, kSize);
    for (int i = 0; i < frames; ++i) scene->render();
    return context->readPixels();
  }
  static inline std::unique_ptr<OffscreenContext> context;
  WorkingDirectory directory;
};

TEST_F(OffscreenSceneTest, FirstFrameShowsBackgroundClothAndSphereDrawnWithBufferObjects) {
  const Pixels picture = frame(1);
  EXPECT_EQ(gl::getError(), gl::kNoError);
  EXPECT_TRUE(gl::hasBufferObjects()) << "the entry points found through GLX serve this EGL context";
  // The clear colour (alpha 0.5) in the corners, the red cloth upper left, the green sphere in the middle.
  for (auto [x, y] : {std::pair{2, 2}, std::pair{509, 2}, std::pair{2, 509}, std::pair{509, 509}})
    EXPECT_EQ(count(picture, isBlue, x, y, x + 1, y + 1), 1) << x << "," << y;
  EXPECT_EQ(picture[3], 128);
  EXPECT_TRUE(count(picture, isRed, 0, 0, 256, 256) > 400 && count(picture, isRed, 300, 300, kSize, kSize) == 0);
  EXPECT_TRUE(isGreen(&picture[(256 * kSize + 256) * 4]) && count(picture, isGreen, 206, 206, 306, 306) > 8000);
}

// Made by the snapshot tool drawing element by element: the shipped scene at 40, objgen --frequency 100 at 3.
TEST_F(OffscreenSceneTest, PicturesEqualThoseDrawnOneBatchPerElement) {
  for (const auto& [frequency, frames, name] :
       {std::tuple{0, 40, "shipped-40.png"}, std::tuple{100, 3, "sphere100-3.png"}}) {
    if (frequency > 0) {
      std::ofstream model("sphere_k.obj", std::ios::binary | std::ios::trunc);
      GeodesicSphere(frequency, kShippedSphereRadius).writeModel(model, kShippedSphereName);
    }
    const Pixels drawn = frame(frames), expected = PngFile::read(std::string(SV_PICTURES) + "/" + name).rgba;
    ASSERT_EQ(drawn.size(), expected.size()) << name;
    int differing = 0;
    for (std::size_t i = 0; i < drawn.size(); i += 4) differing += std::memcmp(&drawn[i], &expected[i], 3) != 0;
    EXPECT_EQ(differing, 0) << name;
  }
}

}  // namespace
}  // namespace sv::test
