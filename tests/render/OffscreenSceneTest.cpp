// The whole scene in a real Mesa context with no display server: GLUW runs at 512 x 512 with the
// shipped model and a fixed seed, and the test looks at the pixels as a person would: blue background,
// white floor, red cloth, a green sphere lit on the side facing the camera, yellow displacement lines,
// and a picture that turns with an Alt drag and stays put for a drag without Alt.
#include "core/Random.h"
#include "gl/GL.h"
#include "gl/OffscreenContext.h"
#include "scene/GLUW.h"
#include "support/WorkingDirectory.h"

#include <cstdint>
#include <filesystem>
#include <memory>
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
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) n += kind(at(x, y));
    }
    return n;
  }
  double meanGreen(int cx, int cy, int half) const {
    const int side = 2 * half + 1;
    return count([](Rgb c) { return c.g; }, cx - half, cy - half, cx + half + 1, cy + half + 1) / double(side * side);
  }
  int differingPixels(const Picture& other) const {
    int n = 0;
    for (std::size_t i = 0; i < rgba_.size(); i += 4) {
      n += rgba_[i] != other.rgba_[i] || rgba_[i + 1] != other.rgba_[i + 1] || rgba_[i + 2] != other.rgba_[i + 2];
    }
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

  // A fresh scene as the window would start it: seed, construct, init, first resize.
  std::unique_ptr<GLUW> startScene() {
    seedRandom(kSeed);
    auto scene = std::make_unique<GLUW>();
    scene->init();
    scene->resize(kSize, kSize);
    return scene;
  }
  Picture frame(GLUW& scene) {
    scene.render();
    return Picture(context->readPixels());
  }

  static inline std::unique_ptr<OffscreenContext> context;
  WorkingDirectory directory;
};

TEST_F(OffscreenSceneTest, InitLeavesBlueClearColourDepthTestLightingAndGreyAmbient) {
  auto scene = startScene();
  float clear[4] = {}, ambient[4] = {};
  gl::getFloatv(gl::kColorClearValue, clear);
  gl::getLightfv(gl::kLight0, gl::kAmbient, ambient);
  EXPECT_EQ(std::vector<float>(clear, clear + 4), (std::vector<float>{0, 0, 1, 0.5f}));
  EXPECT_EQ(std::vector<float>(ambient, ambient + 4), (std::vector<float>{0.2f, 0.2f, 0.2f, 1}));
  EXPECT_TRUE(gl::isEnabled(gl::kDepthTest) && gl::isEnabled(gl::kLighting) && gl::isEnabled(gl::kLight0));
  EXPECT_EQ(gl::getError(), gl::kNoError);
}

TEST_F(OffscreenSceneTest, FirstFrameShowsBackgroundFloorClothLitSphereAndDisplacementLines) {
  auto scene = startScene();
  const Picture picture = frame(*scene);
  EXPECT_EQ(gl::getError(), gl::kNoError);

  // Background: the clear colour in every corner, its alpha of 0.5 kept.
  for (auto [x, y] : {std::pair{2, 2}, std::pair{509, 2}, std::pair{2, 509}, std::pair{509, 509}}) {
    EXPECT_TRUE(isBlue(picture.at(x, y))) << x << "," << y;
  }
  EXPECT_EQ(context->readPixels()[3], 128);
  // The floor: white lines cross the lower part of the picture, below the sphere.
  EXPECT_GT(picture.count(isWhite, 0, 380, kSize, kSize), 600);
  // The cloth hangs from the origin to the upper left as a red grid.
  EXPECT_GT(picture.count(isRed, 0, 0, 256, 256), 400);
  EXPECT_EQ(picture.count(isRed, 300, 300, kSize, kSize), 0);
  // The sphere sits in the middle, green, brightest on the side facing the camera.
  EXPECT_TRUE(isGreen(picture.at(256, 256)));
  EXPECT_GT(picture.count(isGreen, 206, 206, 306, 306), 8000);
  const double middle = picture.meanGreen(256, 256, 4);
  EXPECT_GT(middle, 120);
  EXPECT_GT(middle - picture.meanGreen(336, 256, 3), 30) << "the sphere's rim is darker than its middle";
  EXPECT_GT(middle - picture.meanGreen(312, 312, 3), 30);
  // The mesh has moved in its first ten steps: yellow lines join vertices to their rest positions.
  EXPECT_GT(picture.count(isYellow, 0, 0, kSize, kSize), 100);
}

TEST_F(OffscreenSceneTest, AltDragTurnsThePictureAndADragWithoutAltLeavesItAsIs) {
  auto still = startScene();
  frame(*still);
  const Picture stillPicture = frame(*still);

  auto plainDrag = startScene();
  frame(*plainDrag);
  plainDrag->onMouse(0, 0, 256, 256);
  plainDrag->onMouse(0, GLUW::kLeftDown, 196, 236);
  plainDrag->onMouse(GLUW::kCtrl | GLUW::kShift, GLUW::kLeftDown, 150, 200);
  const Picture plainPicture = frame(*plainDrag);
  EXPECT_EQ(plainPicture.differingPixels(stillPicture), 0);

  auto rotated = startScene();
  frame(*rotated);
  rotated->onMouse(0, 0, 256, 256);
  rotated->onMouse(GLUW::kAlt, GLUW::kLeftDown, 196, 256);  // 60 degrees about y
  const Picture rotatedPicture = frame(*rotated);
  EXPECT_GT(rotatedPicture.differingPixels(stillPicture), kSize * kSize / 50);
  // Turned 60 degrees about the vertical, the cloth swings down into the lower half of the picture.
  EXPECT_EQ(stillPicture.count(isRed, 0, 300, kSize, kSize), 0);
  EXPECT_GT(rotatedPicture.count(isRed, 0, 300, kSize, kSize), 200);
}

// The eye stops just in front of the point it looks at; on it, the view would have no direction and the
// picture would be the clear colour alone.
TEST_F(OffscreenSceneTest, ZoomedInAsFarAsTheDragGoesTheSceneIsStillDrawn) {
  auto scene = startScene();
  scene->onMouse(0, GLUW::kLeftDown, 0, 0);
  scene->onMouse(GLUW::kAlt | GLUW::kCtrl, GLUW::kLeftDown, 0, 1000);  // 100 units closer: far past the centre
  const Picture picture = frame(*scene);
  EXPECT_GT(kSize * kSize - picture.count(isBlue, 0, 0, kSize, kSize), kSize * kSize / 10);
}

}  // namespace
}  // namespace sv::test
