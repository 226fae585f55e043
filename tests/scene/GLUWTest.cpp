// The scene controller against the recording binding: the shape of a frame (clear first, glFinish
// last, the view transform from the camera), the bodies stepped before they are drawn, the pause of an
// empty client area, a missing model, and every drag rule of onMouse with its wrap and clamp edges.
#include "core/Random.h"
#include "io/ModelFileError.h"
#include "scene/GLUW.h"
#include "support/RecordedCalls.h"
#include "support/SphereModel.h"
#include "support/WorkingDirectory.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sv::test {
namespace {

constexpr int kAlt = GLUW::kAlt, kCtrl = GLUW::kCtrl, kShift = GLUW::kShift;

class GLUWTest : public ::testing::Test {
 protected:
  void SetUp() override { writeFile("sphere_k.obj", sphereModel(3, 4, 0.2)); }  // 10 vertices, 16 faces
  Calls renderFrame() {
    gl::GLRecorder::clear();
    EXPECT_EQ(scene.render(), 0);
    return takeCalls();
  }
  WorkingDirectory directory;
  GLUW scene;
};

TEST_F(GLUWTest, ResizeSetsViewportAndAProjectionWithNear03AndFar200) {
  gl::GLRecorder::clear();
  EXPECT_EQ(scene.resize(640, 480), 0);
  EXPECT_EQ(takeCalls(), (Calls{call("glViewport", {0, 0, 640, 480}), call("glMatrixMode", {0x1701}),
                                call("glLoadIdentity"), call("gluPerspective", {30, 640.0 / 480.0, 0.3, 200.0}),
                                call("gluLookAt", {0, 0, -10, 0, 0, 0, 0, 1, 0}), call("glMatrixMode", {0x1700})}));
}

// The six view-transform calls in order, for the start camera and for a moved one whose values all differ.
TEST_F(GLUWTest, FrameClearsFirstSetsTheViewFromTheCameraAndEndsWithFinish) {
  scene.init();
  scene.resize(512, 384);
  for (const double t : {0, 1}) {
    if (t) scene.camera.translation = {1, 2, 3}, scene.camera.rotation = {10, 20, 30}, scene.camera.eye.z = -7;
    Calls frame = renderFrame(), view;
    for (const GLCall& c : frame) {
      if (c.name.starts_with("glu") || c.name == "glTranslated" || c.name == "glRotated") view.push_back(c);
    }
    EXPECT_EQ(view, (Calls{call("gluPerspective", {30, 512.0 / 384.0, 1, 100}),
                           call("gluLookAt", {0, 0, t ? -7 : -10.0, 0, 0, 0, 0, 1, 0}),
                           call("glTranslated", {t, 2 * t, 3 * t}), call("glRotated", {t ? 10 : -45.0, 1, 0, 0}),
                           call("glRotated", {20 * t, 0, 1, 0}), call("glRotated", {30 * t, 0, 0, 1})}));
    EXPECT_EQ(frame.front(), call("glClear", {0x4100}));
    EXPECT_EQ(frame[2], call("glViewport", {0, 0, 512, 384}));
    EXPECT_EQ(frame.back(), call("glFinish"));
    EXPECT_EQ(countNamed(frame, "glNormal3d"), 3 * 16u) << "every face of the mesh is drawn";
  }
}

// The cloth alone first (without a first mesh only the cloth draws random numbers), then the mesh.
TEST_F(GLUWTest, EachFrameStepsTheClothFiveTimesBy02AndTheMeshTenTimesBy01BeforeDrawingThem) {
  scene.init();
  scene.model->objects[0].reset();
  scene.resize(64, 64);
  seedRandom(7);
  const Calls frame = renderFrame();
  seedRandom(7);
  Cloth cloth;
  for (int k = 0; k < 5; ++k) cloth.step(0.2);
  for (std::size_t k = 0; k < cloth.particles.length(); ++k) {
    EXPECT_TRUE(scene.cloth->particles[k].position.equals(cloth.particles[k].position)) << "cloth particle " << k;
  }
  const Vec3D& corner = cloth.particles[99].position;
  EXPECT_GT(std::count(frame.begin(), frame.end(), call("glVertex3d", {corner.x, corner.y, corner.z})), 0);
  EXPECT_EQ(countNamed(frame, "glNormal3d"), 0u) << "a model without a first mesh draws no mesh";
  scene.init();
  renderFrame();
  double tenSteps = 0;
  for (int i = 0; i < 10; ++i) tenSteps += 0.1;
  EXPECT_EQ(scene.model->objects[0]->time, tenSteps);
}

TEST_F(GLUWTest, EmptyClientAreaNeitherDrawsNorSimulatesUntilRestored) {
  scene.init();
  const Vec3D corner = scene.cloth->particles[99].position;
  for (const auto& [w, h] : {std::pair{512, 0}, std::pair{0, 512}, std::pair{0, 0}}) {
    scene.resize(w, h);
    EXPECT_TRUE(renderFrame().empty()) << w << "x" << h << ": no infinite or NaN aspect reaches GL";
  }
  EXPECT_EQ(scene.model->objects[0]->time, 0.0);
  EXPECT_TRUE(scene.cloth->particles[99].position.equals(corner));
  scene.resize(512, 512);
  EXPECT_EQ(renderFrame().front(), call("glClear", {0x4100}));
  EXPECT_GT(scene.model->objects[0]->time, 0.0);
}

TEST_F(GLUWTest, MissingModelFileThrowsNamingItAndLeavesASceneThatStillRenders) {
  std::filesystem::remove("sphere_k.obj");
  gl::GLRecorder::clear();
  EXPECT_THROW(scene.init(), ModelFileError);
  EXPECT_EQ(scene.model, nullptr);
  EXPECT_EQ(takeCalls().size(), 5u) << "the GL state is set before the model is read";
  try {
    scene.init();
  } catch (const ModelFileError& e) {
    EXPECT_NE(std::string(e.what()).find("sphere_k.obj"), std::string::npos) << e.what();
  }
  scene.resize(200, 100);
  EXPECT_EQ(renderFrame().back(), call("glFinish"));
}

// One drag per row: a press at the origin without keys, then a move to (x, y) with the keys. Only the
// named camera vector may change, from `before` to `after`.
TEST(GLUWMouseTest, DragsTurnZoomAndPanOnlyWithAltAndWithinTheirBounds) {
  constexpr double kNearestEyeZ = 0;  // the zoom clamp nearest the scene
  const int L = GLUW::kLeftDown;
  Vec3D Camera::*const rotation = &Camera::rotation, Camera::*const eye = &Camera::eye,
                       Camera::*const pan = &Camera::translation;
  const struct {
    const char* what;
    int keys, button, x, y;
    Vec3D Camera::*vector;
    Vec3D before, after;
  } rows[] = {
      {"-45 enters 0..360 at the first turn", kAlt, L, -10, 0, rotation, {-45, 0, 0}, {315, 10, 0}},
      {"right button drags like the left", kAlt, GLUW::kRightDown, -30, 0, rotation, {0, 0, 0}, {0, 30, 0}},
      {"below 0 wraps; exactly 0 stays", kAlt, L, 0, -10, rotation, {0, 0, 0}, {350, 0, 0}},
      {"above 360 wraps", kAlt, L, -10, 0, rotation, {0, 355, 0}, {0, 5, 0}},
      {"exactly 360 stays", kAlt, L, -10, 0, rotation, {0, 350, 0}, {0, 360, 0}},
      {"one correction only, up", kAlt, L, -800, 0, rotation, {0, 0, 0}, {0, 440, 0}},
      {"one correction only, down", kAlt, L, 0, -1000, rotation, {10, 0, 0}, {-630, 0, 0}},
      {"zoom in, 10 pixels a unit", kAlt | kCtrl, L, 0, 50, eye, {0, 0, -10}, {0, 0, -5}},
      {"zoom clamps nearest", kAlt | kCtrl, L, 0, 100, eye, {0, 0, -5}, {0, 0, kNearestEyeZ}},
      {"zoom clamps at -100", kAlt | kCtrl, L, 0, -1500, eye, {0, 0, 0}, {0, 0, -100}},
      {"zoom from the bound", kAlt | kCtrl, L, 7, 3, eye, {0, 0, -100}, {0, 0, -99.7}},
      {"pan, 20 pixels a unit", kAlt | kShift, L, 20, -40, pan, {0, 0, 0}, {-1, 2, 0}},
      {"all three keys", kAlt | kShift | kCtrl, L, 30, 60, rotation, {-45, 0, 0}, {-45, 0, 0}},
      {"no keys", 0, L, 30, 60, rotation, {-45, 0, 0}, {-45, 0, 0}},
      {"ctrl without alt", kCtrl, L, 30, 60, eye, {0, 0, -10}, {0, 0, -10}},
      {"shift without alt", kShift, L, 30, 60, pan, {0, 0, 0}, {0, 0, 0}},
  };
  gl::GLRecorder::clear();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    GLUW dragged;
    dragged.camera.*row.vector = row.before;
    Camera expected = dragged.camera;
    expected.*row.vector = row.after;
    dragged.onMouse(0, row.button, 0, 0);
    EXPECT_EQ(dragged.onMouse(row.keys, row.button, row.x, row.y), 1);
    for (auto v : {&Camera::eye, &Camera::center, &Camera::translation, &Camera::rotation}) {
      for (auto axis : {&Vec3D::x, &Vec3D::y, &Vec3D::z}) EXPECT_DOUBLE_EQ(dragged.camera.*v.*axis, expected.*v.*axis);
    }
    EXPECT_EQ(std::pair(dragged.lastX, dragged.lastY), std::pair(row.x, row.y));
  }
  EXPECT_TRUE(gl::GLRecorder::calls().empty()) << "onMouse makes no GL calls";
}

// A move repeats the last code, so a button still held turns the view whatever that code is.
TEST(GLUWMouseTest, HeldButtonsFollowTheFourTestsInOrderAndOnlyHeldButtonsDrag) {
  const int LD = GLUW::kLeftDown, LU = GLUW::kLeftUp, RD = GLUW::kRightDown, RU = GLUW::kRightUp;
  const int left = GLUW::kLeftHeld, right = GLUW::kRightHeld;
  const std::pair<std::vector<int>, int> rows[] = {
      {{LD}, left},         {{RD}, right},  {{LD, RD}, left | right},
      {{LD, RD, RU}, left}, {{LD, LU}, 0},  {{LD, GLUW::kLeftDoubleClick, GLUW::kRightDoubleClick}, left},
      {{LD | LU}, 0},       {{RD | RU}, 0}, {{LD | RD | LU}, right}};
  for (const auto& [codes, held] : rows) {
    SCOPED_TRACE(codes.back());
    GLUW scene;
    scene.camera.rotation = {0, 0, 0};
    for (int code : codes) scene.onMouse(0, code, 0, 0);
    EXPECT_EQ(scene.dragButtons, held);
    scene.onMouse(kAlt, codes.back(), -12, 0);
    EXPECT_EQ(scene.camera.rotation.y, held ? 12 : 0);
  }
}

TEST(GLUWMouseTest, DragAcrossTheWholeIntegerRangeDoesNotOverflow) {
  GLUW scene;
  scene.onMouse(0, GLUW::kLeftDown, INT32_MIN, INT32_MIN);
  scene.onMouse(kAlt | kShift, GLUW::kLeftDown, INT32_MAX, INT32_MAX);
  EXPECT_EQ(scene.camera.translation.y, (double(INT32_MIN) - INT32_MAX) / 20.0);
  scene.onMouse(kAlt | kCtrl, GLUW::kLeftDown, INT32_MIN, INT32_MIN);
  EXPECT_EQ(scene.camera.eye.z, -100);
}

}  // namespace
}  // namespace sv::test
