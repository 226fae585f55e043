// The whole scene in a real Mesa context with no display server: GLUW runs at 512 x 512 with the
// shipped model and a fixed seed, and the test looks at the pixels as a person would: blue background,
// white floor, red cloth, a green sphere lit on the side facing the camera, yellow displacement lines;
// and pixel for pixel the pictures that the drawing gave when it sent one batch per element.
#include "GeodesicSphere.h"
#include "PngFile.h"
#include "ShippedModel.h"
#include "core/Random.h"
#include "gl/GL.h"
#include "gl/OffscreenContext.h"
#include "scene/GLUW.h"
#include "support/WorkingDirectory.h"

#include <algorithm>
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
  double meanGreen(int cx, int cy, int half) const {
    return count([](Rgb c) { return c.g; }, cx - half, cy - half, cx + half + 1, cy + half + 1) /
           double((2 * half + 1) * (2 * half + 1));
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
bool isWhite(Rgb c) { return c.r > 200 && c.g > 200 && c.b > 200; }
bool isRed(Rgb c) { return c.r > 200 && c.g < 60 && c.b < 60; }
bool isYellow(Rgb c) { return c.r > 200 && c.g > 200 && c.b < 60; }
bool isGreen(Rgb c) { return c.g > 40 && c.r < c.g / 2 && c.b < c.g / 2; }

class OffscreenSceneTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { context = std::make_unique<OffscreenContext>(kSize, kSize); }
  static void TearDownTestSuite() { context.reset(); }

  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(SV_SHIPPED_MODEL)) << SV_SHIPPED_MODEL;
    std::filesystem::copy_file(SV_SHIPPED_MODEL, "sphere_k.obj");
  }

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

TEST_F(OffscreenSceneTest, FirstFrameShowsBackgroundFloorClothLitSphereAndDisplacementLines) {
  auto scene = seededScene();
  const Picture picture = frame(*scene);
  EXPECT_EQ(gl::getError(), gl::kNoError);
  // The entry points found through GLX serve this EGL context: the drawing used buffer objects.
  EXPECT_TRUE(gl::hasBufferObjects());

  // Background: the clear colour in every corner, its alpha of 0.5 kept. Below the sphere, the white
  // floor; to the upper left, the red cloth; the yellow lines of the mesh's first ten steps.
  for (auto [x, y] : {std::pair{2, 2}, std::pair{509, 2}, std::pair{2, 509}, std::pair{509, 509}})
    EXPECT_TRUE(isBlue(picture.at(x, y))) << x << "," << y;
  EXPECT_EQ(context->readPixels()[3], 128);
  EXPECT_GT(picture.count(isWhite, 0, 380, kSize, kSize), 600);
  EXPECT_TRUE(picture.count(isRed, 0, 0, 256, 256) > 400 && picture.count(isRed, 300, 300, kSize, kSize) == 0);
  EXPECT_GT(picture.count(isYellow, 0, 0, kSize, kSize), 100);
  // The sphere sits in the middle, green, brightest on the side facing the camera.
  const double middle = picture.meanGreen(256, 256, 4);
  EXPECT_TRUE(isGreen(picture.at(256, 256)) && picture.count(isGreen, 206, 206, 306, 306) > 8000 && middle > 120);
  EXPECT_GT(middle - std::max(picture.meanGreen(336, 256, 3), picture.meanGreen(312, 312, 3)), 30) << "rim not darker";
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

// The eye stops just in front of the point it looks at; on it, the view would have no direction and the
// picture would be the clear colour alone.
TEST_F(OffscreenSceneTest, ZoomedInAsFarAsTheDragGoesTheSceneIsStillDrawn) {
  auto scene = seededScene();
  scene->onMouse(0, GLUW::kLeftDown, 0, 0);
  scene->onMouse(GLUW::kAlt | GLUW::kCtrl, GLUW::kLeftDown, 0, 1000);  // 100 units closer: far past the centre
  const Picture picture = frame(*scene);
  EXPECT_GT(kSize * kSize - picture.count(isBlue, 0, 0, kSize, kSize), kSize * kSize / 10);
}

}  // namespace
}  // namespace sv::test
