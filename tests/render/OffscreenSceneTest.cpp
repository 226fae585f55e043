// The whole scene in a real Mesa context with no display server: GLUW runs at 512 x 512 with the
// shipped model and a fixed seed; its first frame looks as a person would expect (blue background, red
// cloth, green sphere), and later frames are pixel for pixel the pictures of the one-batch-per-element
// drawing.
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
constexpr std::uint32_t kSeed = 7;

struct Rgb {
  int r, g, b;
};

class Picture {
 public:
  explicit Picture(std::vector<std::uint8_t> rgba) : rgba_(std::move(rgba)) {}
  Rgb at(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * kSize + x) * 4;
    return {rgba_[i], rgba_[i + 1], rgba_[i + 2]};
  }
  // Pixels of the kind in the box [x0, x1) x [y0, y1), rows counted from the top.
  template <typename Kind>
  int count(Kind kind, int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += kind(at(x, y));
    return n;
  }
  int differingPixels(const Picture& other) const {
    int n = 0;
    for (std::size_t i = 0; i < rgba_.size(); i += 4) n += std::memcmp(&rgba_[i], &other.rgba_[i], 3) != 0;
    return n;
  }

 private:
  std::vector<std::uint8_t> rgba_;
};

bool isBlue(Rgb c) { return c.r == 0 && c.g == 0 && c.b == 255; }
bool isRed(Rgb c) { return c.r > 200 && c.g < 60 && c.b < 60; }
bool isGreen(Rgb c) { return c.g > 40 && c.r < c.g / 2 && c.b < c.g / 2; }

class OffscreenSceneTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { context = std::make_unique<OffscreenContext>(kSize, kSize); }
  static void TearDownTestSuite() { context.reset(); }

  void SetUp() override { std::filesystem::copy_file(SV_SHIPPED_MODEL, "sphere_k.obj"); }

  // A fresh scene as the window would start it, from a fixed seed.
  std::unique_ptr<GLUW> seededScene() {
    seedRandom(kSeed);
    return startScene(kSize, kSize);
  }
  Picture frame(GLUW& scene) {
    scene.render();
    return Picture(context->readPixels());
  }

  static inline std::unique_ptr<OffscreenContext> context;
  WorkingDirectory directory;
};

TEST_F(OffscreenSceneTest, FirstFrameShowsBackgroundClothAndSphereDrawnWithBufferObjects) {
  auto scene = seededScene();
  const Picture picture = frame(*scene);
  EXPECT_EQ(gl::getError(), gl::kNoError);
  // The entry points found through GLX serve this EGL context: the drawing used buffer objects.
  EXPECT_TRUE(gl::hasBufferObjects());

  // The clear colour in every corner, its alpha of 0.5 kept (the reference pictures compare colours only);
  // the red cloth to the upper left and the green sphere in the middle. The exact pictures fix the rest.
  for (auto [x, y] : {std::pair{2, 2}, std::pair{509, 2}, std::pair{2, 509}, std::pair{509, 509}})
    EXPECT_TRUE(isBlue(picture.at(x, y))) << x << "," << y;
  EXPECT_EQ(context->readPixels()[3], 128);
  EXPECT_TRUE(picture.count(isRed, 0, 0, 256, 256) > 400 && picture.count(isRed, 300, 300, kSize, kSize) == 0);
  EXPECT_TRUE(isGreen(picture.at(256, 256)) && picture.count(isGreen, 206, 206, 306, 306) > 8000);
}

// The reference pictures were made with the snapshot tool at seed 7 by the element-by-element drawing:
// the shipped scene after 40 frames and a 100,002-vertex sphere ("objgen --frequency 100") after 3.
TEST_F(OffscreenSceneTest, PicturesEqualThoseDrawnOneBatchPerElement) {
  for (const auto& [frequency, frames, name] :
       {std::tuple{0, 40, "shipped-40.png"}, std::tuple{100, 3, "sphere100-3.png"}}) {
    if (frequency > 0) {
      std::ofstream model("sphere_k.obj", std::ios::binary | std::ios::trunc);
      GeodesicSphere(frequency, kShippedSphereRadius).writeModel(model, kShippedSphereName);
    }
    auto scene = seededScene();
    for (int i = 1; i < frames; ++i) scene->render();
    const PngFile expected = PngFile::read(std::string(SV_PICTURES) + "/" + name);
    EXPECT_EQ(frame(*scene).differingPixels(Picture(expected.rgba)), 0) << name;
  }
}

}  // namespace
}  // namespace sv::test
