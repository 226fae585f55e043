// The scene controller against the recording binding: construction makes no GL calls, init, resize
// and render issue exactly their designed sequences, ten renders advance the bodies by exactly 100 mesh
// and 50 cloth steps, empty client areas and missing models are handled safely, and every drag rule of
// onMouse holds, with its wrap, clamp and button edge cases.
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

constexpr double kLighting = 0x0B50, kLight0 = 0x4000;
constexpr int kAlt = GLUW::kAlt, kCtrl = GLUW::kCtrl, kShift = GLUW::kShift;

// 10 vertices, 16 faces: small enough to read a failing log.
const std::string kModel = sphereModel(3, 4, 0.2);

class GLUWTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile("sphere_k.obj", kModel);
    gl::GLRecorder::clear();
  }

  // Render's own calls, around the drawer's.
  static Calls frameHead(int width, int height) {
    return {call("glClear", {0x4100}),
            call("glLoadIdentity"),
            call("glViewport", {0, 0, double(width), double(height)}),
            call("glMatrixMode", {0x1701}),
            call("glLoadIdentity"),
            call("gluPerspective", {30, double(width) / double(height), 1.0, 100.0}),
            call("gluLookAt", {0, 0, -10, 0, 0, 0, 0, 1, 0}),
            call("glMatrixMode", {0x1700}),
            call("glLoadIdentity"),
            call("glTranslated", {0, 0, 0}),
            call("glRotated", {-45, 1, 0, 0}),
            call("glRotated", {0, 0, 1, 0}),
            call("glRotated", {0, 0, 0, 1}),
            call("glDisable", {kLighting})};
  }
  static Calls beforeCloth() {
    return {call("glEnable", {kLighting}), call("glEnable", {kLight0}),
            call("glMaterialfv", {0x0404, 0x1201, 0.5, 0.5, 0.9f, 1}),
            call("glLightfv", {0x4000, 0x1200, 0.2f, 0.2f, 0.2f, 1}), call("glPushMatrix")};
  }
  static Calls frameTail() {
    return {call("glDisable", {kLighting}),
            call("glBegin", {1}),
            call("glColor3f", {1, 0, 0}),
            call("glEnd"),
            call("glPointSize", {8}),
            call("glColor3f", {1, 0, 0}),
            call("glBegin", {0}),
            call("glEnd"),
            call("glPopMatrix"),
            call("glFinish")};
  }
  // The whole frame for the scene's current state. Drawing changes no state, so drawing again after a
  // frame repeats the frame's own drawing calls.
  static Calls expectedFrame(GLUW& scene, int width, int height) {
    auto drawn = [](auto draw) {
      gl::GLRecorder::clear();
      draw();
      return takeCalls();
    };
    const Calls floor = drawn([&] { scene.prim->drawFloor(0.5, 5.0); });
    const Calls model = scene.model && scene.model->objects[0]
                            ? drawn([&] { scene.prim->drawModel(*scene.model->objects[0]); })
                            : Calls{};
    const Calls cloth = drawn([&] { scene.prim->drawCloth(*scene.cloth); });
    return concat({frameHead(width, height), floor, model, beforeCloth(), cloth, frameTail()});
  }

  WorkingDirectory directory;
};

TEST_F(GLUWTest, ConstructorMakesNoGLCallsAndBuildsOnlyTheCloth) {
  GLUW scene;
  EXPECT_TRUE(gl::GLRecorder::calls().empty());
  ASSERT_NE(scene.cloth, nullptr);
  EXPECT_EQ(scene.cloth->particles.length(), 100u);
  EXPECT_EQ(scene.model, nullptr) << "the model waits for init";
}

TEST_F(GLUWTest, InitSetsClearColourDepthTestLightingAndAmbientThenReadsTheModel) {
  GLUW scene;
  EXPECT_EQ(scene.init(), 0);
  EXPECT_EQ(takeCalls(),
            (Calls{call("glClearColor", {0, 0, 1, 0.5}), call("glEnable", {0x0B71}), call("glEnable", {kLighting}),
                   call("glEnable", {kLight0}), call("glLightfv", {0x4000, 0x1200, 0.2f, 0.2f, 0.2f, 1})}));
  ASSERT_NE(scene.model, nullptr);
  ASSERT_NE(scene.model->objects[0], nullptr);
  EXPECT_EQ(scene.model->objects[0]->faces.length(), 16u);
  EXPECT_EQ(scene.model->input, nullptr) << "the file is closed again";
}

TEST_F(GLUWTest, ResizeSetsViewportAndAProjectionWithNearPoint3AndFar200) {
  GLUW scene;
  EXPECT_EQ(scene.resize(640, 480), 0);
  EXPECT_EQ(takeCalls(), (Calls{call("glViewport", {0, 0, 640, 480}), call("glMatrixMode", {0x1701}),
                                call("glLoadIdentity"), call("gluPerspective", {30, 640.0 / 480.0, 0.3, 200.0}),
                                call("gluLookAt", {0, 0, -10, 0, 0, 0, 0, 1, 0}), call("glMatrixMode", {0x1700})}));
}

// The drawing calls are taken from the state after the frame, and both bodies move in a frame, so
// drawing before stepping would show as a difference.
TEST_F(GLUWTest, RenderIssuesItsStepsInOrderAndDrawsTheBodiesAfterStepping) {
  seedRandom(11);
  GLUW scene;
  scene.init();
  scene.resize(512, 384);
  const Vec3D clothCornerBefore = scene.cloth->particles[99].position;
  gl::GLRecorder::clear();
  EXPECT_EQ(scene.render(), 0);
  const Calls frame = takeCalls();
  const Object3D& mesh = *scene.model->objects[0];
  double tenSteps = 0;
  for (int i = 0; i < 10; ++i) tenSteps += 0.1;
  EXPECT_EQ(mesh.time, tenSteps);
  EXPECT_NE(mesh.vertices[0].x, mesh.particles[0].restPosition.x);
  EXPECT_NE(scene.cloth->particles[99].position.y, clothCornerBefore.y);
  const Calls expected = expectedFrame(scene, 512, 384);
  ASSERT_EQ(frame.size(), expected.size());
  EXPECT_EQ(frame, expected);
}

TEST_F(GLUWTest, TenRendersAdvanceTheMeshBy100StepsAndTheClothBy50) {
  constexpr std::uint32_t kSeed = 2024;
  seedRandom(kSeed);
  GLUW scene;
  scene.init();
  scene.resize(64, 64);
  for (int i = 0; i < 10; ++i) scene.render();

  // The same bodies stepped by hand in the scene's order: per frame ten mesh steps, then five cloth steps.
  seedRandom(kSeed);
  Cloth cloth;
  OBJ3D model;
  model.open("sphere_k.obj");
  model.load();
  model.close();
  Object3D& mesh = *model.objects[0];
  for (int frame = 0; frame < 10; ++frame) {
    for (int i = 0; i < 10; ++i) mesh.step(0.1);
    for (int i = 0; i < 5; ++i) cloth.step(0.2);
  }

  const Object3D& stepped = *scene.model->objects[0];
  EXPECT_EQ(stepped.time, mesh.time);
  ASSERT_EQ(stepped.vertices.length(), mesh.vertices.length());
  for (std::size_t i = 0; i < mesh.vertices.length(); ++i) {
    EXPECT_TRUE(stepped.vertices[i].equals(mesh.vertices[i])) << "vertex " << i;
  }
  for (std::size_t k = 0; k < cloth.particles.length(); ++k) {
    EXPECT_TRUE(scene.cloth->particles[k].position.equals(cloth.particles[k].position)) << "cloth particle " << k;
  }
}

TEST_F(GLUWTest, EmptyClientAreaSkipsProjectionDrawingAndSimulation) {
  seedRandom(3);
  GLUW scene;
  scene.init();
  const Cloth clothBefore = *scene.cloth;
  for (const auto& [w, h] : {std::pair{512, 0}, std::pair{0, 512}, std::pair{0, 0}}) {
    gl::GLRecorder::clear();
    scene.resize(w, h);
    scene.render();
    EXPECT_TRUE(takeCalls().empty()) << w << "x" << h << ": no infinite or NaN aspect reaches GL";
  }
  EXPECT_EQ(scene.model->objects[0]->time, 0.0) << "an unseen frame does not advance the mesh";
  EXPECT_TRUE(scene.cloth->particles[99].position.equals(clothBefore.particles[99].position));

  scene.resize(512, 512);  // restored: drawing and simulation resume
  gl::GLRecorder::clear();
  scene.render();
  EXPECT_EQ(takeCalls().front(), call("glClear", {0x4100}));
  EXPECT_GT(scene.model->objects[0]->time, 0.0);
}

TEST_F(GLUWTest, MissingModelFileThrowsNamingTheFileAndLeavesASceneThatStillRenders) {
  std::filesystem::remove("sphere_k.obj");
  GLUW scene;
  try {
    scene.init();
    FAIL() << "init returned without a model file";
  } catch (const ModelFileError& e) {
    EXPECT_NE(std::string(e.what()).find("sphere_k.obj"), std::string::npos) << e.what();
  }
  EXPECT_EQ(scene.model, nullptr);
  EXPECT_EQ(takeCalls().size(), 5u) << "the GL state is set before the model is read";

  scene.resize(200, 100);
  gl::GLRecorder::clear();
  scene.render();
  const Calls frame = takeCalls();
  EXPECT_EQ(frame, expectedFrame(scene, 200, 100));
}

TEST_F(GLUWTest, ModelWithoutFirstMeshSkipsTheMeshStepsAndDrawing) {
  GLUW scene;
  scene.init();
  scene.model->objects[0].reset();
  scene.resize(300, 300);
  gl::GLRecorder::clear();
  scene.render();
  const Calls frame = takeCalls();
  EXPECT_EQ(frame, expectedFrame(scene, 300, 300));
  EXPECT_EQ(countNamed(frame, "glNormal3d"), 0u);
}

class GLUWMouseTest : public ::testing::Test {
 protected:
  void SetUp() override { gl::GLRecorder::clear(); }
  void TearDown() override { EXPECT_TRUE(gl::GLRecorder::calls().empty()) << "onMouse makes no GL calls"; }

  static void expectSameCamera(const Camera& actual, const Camera& expected) {
    for (Vec3D Camera::*v : {&Camera::eye, &Camera::center, &Camera::translation, &Camera::rotation}) {
      EXPECT_DOUBLE_EQ((actual.*v).x, (expected.*v).x);
      EXPECT_DOUBLE_EQ((actual.*v).y, (expected.*v).y);
      EXPECT_DOUBLE_EQ((actual.*v).z, (expected.*v).z);
    }
  }

  GLUW scene;
};

// One drag per row: a press at the origin without keys, then a move to (x, y) with the keys. Only the
// named camera vector may change, from `before` to `after`.
TEST_F(GLUWMouseTest, DragsRotateZoomAndPanOnlyWithAltAndWithinTheirBounds) {
  struct Row {
    const char* what;
    int keys, button, x, y;
    Vec3D Camera::*vector;
    Vec3D before, after;
  };
  const int L = GLUW::kLeftDown, R = GLUW::kRightDown;
  const Row rows[] = {
      {"-45 enters 0..360 at the first turn", kAlt, L, -10, 0, &Camera::rotation, {-45, 0, 0, 0}, {315, 10, 0, 0}},
      {"right button drags like the left", kAlt, R, -30, 0, &Camera::rotation, {0, 0, 0, 0}, {0, 30, 0, 0}},
      {"below 0 wraps; exactly 0 stays", kAlt, L, 0, -10, &Camera::rotation, {0, 0, 0, 0}, {350, 0, 0, 0}},
      {"above 360 wraps", kAlt, L, -10, 0, &Camera::rotation, {0, 355, 0, 0}, {0, 5, 0, 0}},
      {"exactly 360 stays", kAlt, L, -10, 0, &Camera::rotation, {0, 350, 0, 0}, {0, 360, 0, 0}},
      {"one correction only, up", kAlt, L, -800, 0, &Camera::rotation, {0, 0, 0, 0}, {0, 440, 0, 0}},
      {"one correction only, down", kAlt, L, 0, -1000, &Camera::rotation, {10, 0, 0, 0}, {-630, 0, 0, 0}},
      {"zoom in, 10 pixels a unit", kAlt | kCtrl, L, 0, 50, &Camera::eye, {0, 0, -10, 0}, {0, 0, -5, 0}},
      {"zoom stops before the centre", kAlt | kCtrl, L, 0, 100, &Camera::eye, {0, 0, -5, 0}, {0, 0, -0.01, 0}},
      {"zoom clamps at -100", kAlt | kCtrl, L, 0, -1500, &Camera::eye, {0, 0, -0.01, 0}, {0, 0, -100, 0}},
      {"zoom from the bound", kAlt | kCtrl, L, 7, 3, &Camera::eye, {0, 0, -100, 0}, {0, 0, -99.7, 0}},
      {"pan, 20 pixels a unit", kAlt | kShift, L, 20, -40, &Camera::translation, {0, 0, 0, 0}, {-1, 2, 0, 0}},
      {"all three keys", kAlt | kShift | kCtrl, L, 30, 60, &Camera::rotation, {-45, 0, 0, 0}, {-45, 0, 0, 0}},
      {"no keys", 0, L, 30, 60, &Camera::rotation, {-45, 0, 0, 0}, {-45, 0, 0, 0}},
      {"ctrl without alt", kCtrl, L, 30, 60, &Camera::eye, {0, 0, -10, 0}, {0, 0, -10, 0}},
      {"shift without alt", kShift, L, 30, 60, &Camera::translation, {0, 0, 0, 0}, {0, 0, 0, 0}},
      {"ctrl and shift without alt", kCtrl | kShift, L, 30, 60, &Camera::rotation, {-45, 0, 0, 0}, {-45, 0, 0, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    GLUW dragged;
    dragged.camera.*row.vector = row.before;
    Camera expected = dragged.camera;
    expected.*row.vector = row.after;
    dragged.onMouse(0, row.button, 0, 0);
    EXPECT_EQ(dragged.onMouse(row.keys, row.button, row.x, row.y), 1);
    expectSameCamera(dragged.camera, expected);
    EXPECT_EQ(dragged.lastX, row.x);
    EXPECT_EQ(dragged.lastY, row.y);
  }
}

TEST_F(GLUWMouseTest, HeldButtonsFollowTheFourTestsInOrder) {
  const int LD = GLUW::kLeftDown, LU = GLUW::kLeftUp, RD = GLUW::kRightDown, RU = GLUW::kRightUp;
  const struct {
    std::vector<int> codes;
    int held;
  } rows[] = {{{LD}, GLUW::kLeftHeld},
              {{RD}, GLUW::kRightHeld},
              {{LD, RD}, GLUW::kLeftHeld | GLUW::kRightHeld},
              {{LD, RD, RU}, GLUW::kLeftHeld},
              {{LD, GLUW::kLeftDoubleClick, GLUW::kRightDoubleClick}, GLUW::kLeftHeld},
              {{LD, LU}, 0},
              {{LD | LU}, 0},
              {{RD | RU}, 0},
              {{LD | RD | LU}, GLUW::kRightHeld}};
  for (const auto& row : rows) {
    GLUW fresh;
    for (int code : row.codes) fresh.onMouse(0, code, 0, 0);
    EXPECT_EQ(fresh.dragButtons, row.held) << "after " << row.codes.size() << " codes ending in " << row.codes.back();
  }
}

TEST_F(GLUWMouseTest, MovesDragWhileAButtonIsHeldWhateverTheirCode) {
  scene.onMouse(0, GLUW::kLeftDown, 0, 0);
  scene.onMouse(0, GLUW::kRightDown, 0, 0);
  scene.onMouse(0, GLUW::kRightUp, 0, 0);
  scene.onMouse(kAlt, GLUW::kRightUp, -12, 0);  // a move repeats the last code; the left is still held
  EXPECT_EQ(scene.camera.rotation.y, 12);
  const Camera turned = scene.camera;
  scene.onMouse(kAlt, GLUW::kLeftUp, 0, 0);
  scene.onMouse(kAlt, GLUW::kLeftDoubleClick, 80, 80);
  scene.onMouse(kAlt | kCtrl | kShift, 0, -5, 900);
  expectSameCamera(scene.camera, turned);
  EXPECT_EQ(scene.lastX, -5);
  EXPECT_EQ(scene.lastY, 900);
}

TEST_F(GLUWMouseTest, DragAcrossTheWholeIntegerRangeDoesNotOverflow) {
  scene.onMouse(0, GLUW::kLeftDown, INT32_MIN, INT32_MIN);
  scene.onMouse(kAlt | kShift, GLUW::kLeftDown, INT32_MAX, INT32_MAX);
  EXPECT_EQ(scene.camera.translation.x, (double(INT32_MIN) - INT32_MAX) / 20.0);
  EXPECT_EQ(scene.camera.translation.y, (double(INT32_MIN) - INT32_MAX) / 20.0);
  scene.onMouse(kAlt | kCtrl, GLUW::kLeftDown, INT32_MIN, INT32_MIN);
  EXPECT_EQ(scene.camera.eye.z, -100);
  EXPECT_EQ(scene.lastX, INT32_MIN);
}

}  // namespace
}  // namespace sv::test
