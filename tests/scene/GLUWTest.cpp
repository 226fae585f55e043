// The scene controller against the recording binding: a frame's shape and steps, a missing model, the
// pause of an empty client area, and every drag rule of onMouse with its wrap and clamp edges.
#include "GeodesicSphere.h"
#include "io/ModelFileError.h"
#include "scene/GLUW.h"
#include "support/RecordedCalls.h"
#include "support/WorkingDirectory.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include <gtest/gtest.h>

namespace sv::test {
namespace {

constexpr int kAlt = GLUW::kAlt, kCtrl = GLUW::kCtrl, kShift = GLUW::kShift, kLeftDown = GLUW::kLeftDown;

class GLUWTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream("sphere_k.obj") << GeodesicSphere(1, 0.2).modelText("ball");  // 12 vertices, 20 faces
    gl::GLRecorder::clear();
  }
  Calls renderFrame() {
    takeCalls();
    EXPECT_EQ(scene.render(), 0);
    return takeCalls();
  }
  WorkingDirectory directory;
  GLUW scene;
};

// The six view-transform calls in order, for a camera whose values all differ (the start one is in the pictures).
TEST_F(GLUWTest, FrameClearsFirstSetsTheViewFromTheCameraAndEndsWithFinish) {
  const Calls resized = (scene.resize(512, 384), takeCalls());
  EXPECT_EQ(resized[3], call("gluPerspective", {30, 512.0 / 384.0, 0.3, 200})) << "resize: near 0.3, far 200";
  EXPECT_EQ(resized.back(), call("glMatrixMode", {gl::kModelview})) << "resize leaves the model-view matrix current";
  scene.init();
  scene.camera.translation = {1, 2, 3}, scene.camera.rotation = {10, 20, 30}, scene.camera.eye.z = -7;
  const Calls frame = renderFrame();
  const Calls view = only(frame, [](const GLCall& c) {
    return c.name.starts_with("glu") || c.name.starts_with("glRo") || c.name == "glTranslated";
  });
  EXPECT_EQ(view,
            (Calls{call("gluPerspective", {30, 512.0 / 384.0, 1, 100}), call("gluLookAt", {0, 0, -7, 0, 0, 0, 0, 1, 0}),
                   call("glTranslated", {1, 2, 3}), call("glRotated", {10, 1, 0, 0}), call("glRotated", {20, 0, 1, 0}),
                   call("glRotated", {30, 0, 0, 1})}));
  EXPECT_TRUE(frame.front() == call("glClear", {gl::kColorBufferBit | gl::kDepthBufferBit}) && frame.back() == call("glFinish"));
  EXPECT_EQ(frame[2], call("glViewport", {0, 0, 512, 384})) << "after the clear and a glLoadIdentity";
  EXPECT_DOUBLE_EQ(scene.model->objects[0]->time, 1) << "ten mesh steps of 0.1 a frame";
}

TEST_F(GLUWTest, MissingModelThrowsAnEmptyClientAreaPausesAndAFrameStillStepsAndDrawsTheCloth) {
  std::filesystem::remove("sphere_k.obj");
  EXPECT_THROW(scene.init(), ModelFileError);
  EXPECT_EQ(takeCalls().back(), call("glLightfv", {gl::kLight0, gl::kAmbient, 0.2f, 0.2f, 0.2f, 1})) << "set before the read";
  const std::size_t freeCorner = scene.cloth->particles.length() - 1;
  const Vec3D corner = scene.cloth->particles[freeCorner].position;
  for (const auto& [w, h] : {std::pair{512, 0}, std::pair{0, 512}, std::pair{0, 0}}) {
    scene.resize(w, h), scene.render();
    EXPECT_TRUE(takeCalls().empty()) << w << "x" << h << ": no infinite or NaN aspect reaches GL";
  }
  EXPECT_TRUE(scene.cloth->particles[freeCorner].position.equals(corner)) << "an unseen frame is not simulated";
  scene.resize(200, 100);
  const Calls frame = renderFrame();
  EXPECT_FALSE(scene.cloth->particles[freeCorner].position.equals(corner)) << "a seen frame steps the cloth";
  EXPECT_EQ(countNamed(frame, "glDrawElements"), 1u) << "the cloth alone is drawn";
  EXPECT_EQ(countNamed(frame, "glNormalPointer"), 0u) << "no mesh to draw";
}

// Per row: a left press at the origin, then a move to (x, y) with the keys; only `vector` changes.
TEST(GLUWMouseTest, DragsTurnZoomAndPanOnlyWithAltAndWithinTheirBounds) {
  Vec3D Camera::*turn = &Camera::rotation, Camera::*eye = &Camera::eye, Camera::*pan = &Camera::translation;
  const struct {
    const char* what;
    int keys, x, y;
    Vec3D Camera::*vector;
    Vec3D before, after;
  } rows[] = {
      {"-45 enters 0..360 at the first turn", kAlt, -10, 0, turn, {-45, 0, 0}, {315, 10, 0}},
      {"below 0 wraps; exactly 0 stays", kAlt, 0, -10, turn, {0, 0, 0}, {350, 0, 0}},
      {"above 360 wraps", kAlt, -10, 0, turn, {0, 355, 0}, {0, 5, 0}},
      {"exactly 360 stays", kAlt, -10, 0, turn, {0, 350, 0}, {0, 360, 0}},
      {"one correction only, up", kAlt, -800, 0, turn, {0, 0, 0}, {0, 440, 0}},
      {"one correction only, down", kAlt, 0, -1000, turn, {10, 0, 0}, {-630, 0, 0}},
      {"zoom in, 10 pixels a unit", kAlt | kCtrl, 0, 50, eye, {0, 0, -10}, {0, 0, -5}},
      {"zoom stops before the centre", kAlt | kCtrl, 0, 100, eye, {0, 0, -5}, {0, 0, -0.01}},
      {"zoom clamps at -100", kAlt | kCtrl, 0, -1500, eye, {0, 0, -0.01}, {0, 0, -100}},
      {"zoom from the bound", kAlt | kCtrl, 7, 3, eye, {0, 0, -100}, {0, 0, -99.7}},
      {"pan, 20 pixels a unit", kAlt | kShift, 20, -40, pan, {0, 0, 0}, {-1, 2, 0}},
      {"all three keys", kAlt | kShift | kCtrl, 30, 60, turn, {-45, 0, 0}, {-45, 0, 0}},
      {"no keys", 0, 30, 60, turn, {-45, 0, 0}, {-45, 0, 0}},
      {"ctrl without alt", kCtrl, 30, 60, eye, {0, 0, -10}, {0, 0, -10}},
      {"shift without alt", kShift, 30, 60, pan, {0, 0, 0}, {0, 0, 0}},
  };
  gl::GLRecorder::clear();
  for (const auto& row : rows) {
    GLUW dragged;
    dragged.camera.*row.vector = row.before;
    Camera expected = dragged.camera;
    expected.*row.vector = row.after;
    dragged.onMouse(0, kLeftDown, 0, 0);
    EXPECT_EQ(dragged.onMouse(row.keys, kLeftDown, row.x, row.y), 1);
    for (auto v : {&Camera::eye, &Camera::center, &Camera::translation, &Camera::rotation})
      for (auto axis : {&Vec3D::x, &Vec3D::y, &Vec3D::z})
        EXPECT_DOUBLE_EQ(dragged.camera.*v.*axis, expected.*v.*axis) << row.what;
  }
  EXPECT_TRUE(gl::GLRecorder::calls().empty()) << "onMouse makes no GL calls";
}

// A move repeats the last code, so a button still held turns the view whatever that code is.
TEST(GLUWMouseTest, HeldButtonsFollowTheFourTestsInOrderAndOnlyHeldButtonsDrag) {
  const int LD = kLeftDown, LU = GLUW::kLeftUp, RD = GLUW::kRightDown, RU = GLUW::kRightUp;
  const int left = GLUW::kLeftHeld, right = GLUW::kRightHeld;
  const std::pair<std::vector<int>, int> rows[] = {
      {{LD}, left},         {{RD}, right},  {{LD, RD}, left | right},
      {{LD, RD, RU}, left}, {{LD, LU}, 0},  {{LD, GLUW::kLeftDoubleClick, GLUW::kRightDoubleClick}, left},
      {{LD | LU}, 0},       {{RD | RU}, 0}, {{LD | RD | LU}, right}};
  for (const auto& [codes, held] : rows) {
    GLUW scene;
    scene.camera.rotation = {0, 0, 0};
    for (int code : codes) scene.onMouse(0, code, 0, 0);
    scene.onMouse(kAlt, codes.back(), -12, 0);
    EXPECT_EQ(std::pair(scene.dragButtons, scene.camera.rotation.y), std::pair(held, held ? 12.0 : 0.0))
        << codes.back();
  }
}

TEST(GLUWMouseTest, DragAcrossTheWholeIntegerRangeDoesNotOverflow) {
  GLUW scene;
  scene.onMouse(kAlt | kCtrl, kLeftDown, 0, 50);  // the first message drags from (0, 0)
  EXPECT_EQ(scene.camera.eye.z, -5);
  scene.onMouse(0, kLeftDown, INT32_MIN, INT32_MIN), scene.onMouse(kAlt | kShift, kLeftDown, INT32_MAX, INT32_MAX);
  EXPECT_EQ(scene.camera.translation.y, (double(INT32_MIN) - INT32_MAX) / 20.0);
  scene.onMouse(kAlt | kCtrl, kLeftDown, INT32_MIN, INT32_MIN);
  EXPECT_EQ(scene.camera.eye.z, -100);
}

}  // namespace
}  // namespace sv::test
