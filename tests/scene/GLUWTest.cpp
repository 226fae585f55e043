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

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>

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
  // What the drawer issues for the scene's current state; drawing changes no state, so drawing again
  // after a frame repeats the frame's own drawing calls.
  static Calls floorCalls(GLUW& scene) {
    gl::GLRecorder::clear();
    scene.prim->drawFloor(0.5, 5.0);
    return takeCalls();
  }
  static Calls modelCalls(GLUW& scene) {
    gl::GLRecorder::clear();
    scene.prim->drawModel(*scene.model);
    return takeCalls();
  }
  static Calls clothCalls(GLUW& scene) {
    gl::GLRecorder::clear();
    scene.prim->drawCloth(*scene.cloth);
    return takeCalls();
  }

  WorkingDirectory directory;
};

TEST_F(GLUWTest, ConstructorMakesNoGLCallsAndSetsTheStartState) {
  GLUW scene;
  EXPECT_TRUE(gl::GLRecorder::calls().empty());
  EXPECT_EQ(scene.width, 0);
  EXPECT_EQ(scene.height, 0);
  EXPECT_EQ(scene.dragButtons, 0);
  EXPECT_EQ(scene.lastX, 0);
  EXPECT_EQ(scene.lastY, 0);
  EXPECT_EQ(scene.camera.eye.z, -10);
  EXPECT_EQ(scene.camera.rotation.x, -45);
  EXPECT_EQ(scene.camera.fovy, 30);
  ASSERT_NE(scene.cloth, nullptr);
  EXPECT_EQ(scene.cloth->particles.length(), 100u) << "the cloth is built by the constructor";
  EXPECT_NE(scene.prim, nullptr);
  EXPECT_EQ(scene.model, nullptr) << "the model waits for init";
  auto values = [](const Array<float>& t) { return std::vector<float>(t.begin(), t.end()); };
  EXPECT_EQ(values(GLUW::materialDiffuse), (std::vector<float>{0.5f, 0.5f, 0.9f, 1.0f}));
  EXPECT_EQ(values(GLUW::lightAmbient), (std::vector<float>{0.2f, 0.2f, 0.2f, 1.0f}));
}

TEST_F(GLUWTest, InitSetsClearColourDepthTestLightingAndAmbientThenReadsTheModel) {
  GLUW scene;
  EXPECT_EQ(scene.init(), 0);
  EXPECT_EQ(takeCalls(),
            (Calls{call("glClearColor", {0, 0, 1, 0.5}), call("glEnable", {0x0B71}), call("glEnable", {kLighting}),
                   call("glEnable", {kLight0}), call("glLightfv", {0x4000, 0x1200, 0.2f, 0.2f, 0.2f, 1})}));
  ASSERT_NE(scene.model, nullptr);
  ASSERT_NE(scene.model->objects[0], nullptr);
  EXPECT_EQ(scene.model->objects[0]->vertices.length(), 10u);
  EXPECT_EQ(scene.model->objects[0]->faces.length(), 16u);
  EXPECT_EQ(scene.model->input, nullptr) << "the file is closed again";
}

TEST_F(GLUWTest, ResizeSetsViewportAndAProjectionWithNearPoint3AndFar200) {
  GLUW scene;
  EXPECT_EQ(scene.resize(640, 480), 0);
  EXPECT_EQ(scene.width, 640);
  EXPECT_EQ(scene.height, 480);
  EXPECT_EQ(takeCalls(), (Calls{call("glViewport", {0, 0, 640, 480}), call("glMatrixMode", {0x1701}),
                                call("glLoadIdentity"), call("gluPerspective", {30, 640.0 / 480.0, 0.3, 200.0}),
                                call("gluLookAt", {0, 0, -10, 0, 0, 0, 0, 1, 0}), call("glMatrixMode", {0x1700})}));
}

TEST_F(GLUWTest, RenderIssuesItsTwentyFourStepsInOrder) {
  seedRandom(11);
  GLUW scene;
  scene.init();
  scene.resize(512, 384);
  gl::GLRecorder::clear();
  EXPECT_EQ(scene.render(), 0);
  const Calls frame = takeCalls();
  double tenSteps = 0;
  for (int i = 0; i < 10; ++i) tenSteps += 0.1;
  EXPECT_EQ(scene.model->objects[0]->time, tenSteps);
  const Calls expected = concat(
      {frameHead(512, 384), floorCalls(scene), modelCalls(scene), beforeCloth(), clothCalls(scene), frameTail()});
  ASSERT_EQ(frame.size(), expected.size());
  EXPECT_EQ(frame, expected);
}

TEST_F(GLUWTest, RenderDrawsTheMeshAfterItsTenStepsAndTheClothAfterItsFive) {
  seedRandom(5);
  GLUW scene;
  scene.init();
  scene.resize(100, 100);
  const Vec3D clothCornerBefore = scene.cloth->particles[99].position;
  gl::GLRecorder::clear();
  scene.render();
  const Calls frame = takeCalls();
  const Object3D& mesh = *scene.model->objects[0];
  // The first displacement line starts at vertex 0 as moved by this frame's steps.
  const Calls drawn = modelCalls(scene);
  EXPECT_NE(mesh.vertices[0].x, mesh.particles[0].restPosition.x);
  EXPECT_EQ(drawn[8], call("glVertex3d", {mesh.vertices[0].x, mesh.vertices[0].y, mesh.vertices[0].z}));
  EXPECT_NE(scene.cloth->particles[99].position.y, clothCornerBefore.y);
  EXPECT_NE(std::search(frame.begin(), frame.end(), drawn.begin(), drawn.end()), frame.end());
  const Calls cloth = clothCalls(scene);
  EXPECT_NE(std::search(frame.begin(), frame.end(), cloth.begin(), cloth.end()), frame.end());
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
    EXPECT_EQ(scene.width, w);
    EXPECT_EQ(scene.height, h);
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
  EXPECT_EQ(frame, concat({frameHead(200, 100), floorCalls(scene), beforeCloth(), clothCalls(scene), frameTail()}));
}

TEST_F(GLUWTest, ModelWithoutFirstMeshSkipsTheMeshStepsAndDrawing) {
  GLUW scene;
  scene.init();
  scene.model->objects[0].reset();
  scene.resize(300, 300);
  gl::GLRecorder::clear();
  scene.render();
  const Calls frame = takeCalls();
  EXPECT_EQ(frame, concat({frameHead(300, 300), floorCalls(scene), beforeCloth(), clothCalls(scene), frameTail()}));
  EXPECT_EQ(scene.cloth->particles.length(), 100u);
}

class GLUWMouseTest : public ::testing::Test {
 protected:
  void SetUp() override { gl::GLRecorder::clear(); }
  void TearDown() override { EXPECT_TRUE(gl::GLRecorder::calls().empty()) << "onMouse makes no GL calls"; }

  void expectCameraAtDefaults() {
    Camera defaults;
    defaults.setDefaults();
    EXPECT_TRUE(scene.camera.eye.equals(defaults.eye));
    EXPECT_TRUE(scene.camera.center.equals(defaults.center));
    EXPECT_TRUE(scene.camera.translation.equals(defaults.translation));
    EXPECT_TRUE(scene.camera.rotation.equals(defaults.rotation));
  }
  // A button press at (x, y) without modifiers (no camera change), so the next message drags from there.
  void pressLeftAt(int x, int y) { scene.onMouse(0, GLUW::kLeftDown, x, y); }

  GLUW scene;
};

TEST_F(GLUWMouseTest, MoveWithoutAnyButtonChangesOnlyLastPosition) {
  EXPECT_EQ(scene.onMouse(kAlt, 0, 37, 41), 1);
  EXPECT_EQ(scene.lastX, 37);
  EXPECT_EQ(scene.lastY, 41);
  EXPECT_EQ(scene.dragButtons, 0);
  EXPECT_EQ(scene.onMouse(kAlt | kCtrl | kShift, 0, -5, 900), 1);
  EXPECT_EQ(scene.lastX, -5);
  EXPECT_EQ(scene.lastY, 900);
  expectCameraAtDefaults();
}

TEST_F(GLUWMouseTest, AltLeftPressRotatesByTheMotionSinceTheLastMessage) {
  scene.onMouse(0, 0, 110, 100);
  EXPECT_EQ(scene.onMouse(kAlt, GLUW::kLeftDown, 100, 100), 1);
  EXPECT_EQ(scene.camera.rotation.y, 10);
  EXPECT_EQ(scene.camera.rotation.x, 315) << "-45 enters the 0..360 range at the first rotation";
  EXPECT_EQ(scene.lastX, 100);
  EXPECT_EQ(scene.dragButtons, GLUW::kLeftHeld);
}

TEST_F(GLUWMouseTest, RotateWrapsOnceIntoZeroTo360AndKeepsExactBounds) {
  pressLeftAt(0, 200);
  scene.camera.rotation.x = 0;
  scene.onMouse(kAlt, GLUW::kLeftDown, 0, 190);  // dy = 10: 0 - 10 wraps to 350
  EXPECT_EQ(scene.camera.rotation.x, 350);
  EXPECT_EQ(scene.camera.rotation.y, 0) << "exactly 0 stays 0";

  scene.camera.rotation.y = 355;
  scene.onMouse(kAlt, GLUW::kLeftDown, -10, 190);  // dx = 10
  EXPECT_EQ(scene.camera.rotation.y, 5);

  scene.camera.rotation.y = 350;
  scene.onMouse(kAlt, GLUW::kLeftDown, -20, 190);
  EXPECT_EQ(scene.camera.rotation.y, 360) << "exactly 360 stays 360";

  scene.camera.rotation.y = 0;
  scene.onMouse(kAlt, GLUW::kLeftDown, -820, 190);  // dx = 800: one correction only
  EXPECT_EQ(scene.camera.rotation.y, 440);

  scene.camera.rotation.x = 10;
  scene.onMouse(kAlt, GLUW::kLeftDown, -820, -810);  // dy = 1000: 10 - 1000 + 360
  EXPECT_EQ(scene.camera.rotation.x, -630);
  EXPECT_EQ(scene.camera.rotation.z, 0) << "z is never turned by the mouse";
}

TEST_F(GLUWMouseTest, AltCtrlZoomsTenPixelsPerUnitClampedBetweenMinus100And0) {
  pressLeftAt(0, 0);
  scene.onMouse(kAlt | kCtrl, GLUW::kLeftDown, 0, 50);  // dy = -50
  EXPECT_EQ(scene.camera.eye.z, -5);
  scene.onMouse(kAlt | kCtrl, GLUW::kLeftDown, 0, 150);  // dy = -100: +5 clamps to 0
  EXPECT_EQ(scene.camera.eye.z, 0);
  scene.onMouse(kAlt | kCtrl, GLUW::kLeftDown, 0, -1350);  // dy = +1500: -150 clamps to -100
  EXPECT_EQ(scene.camera.eye.z, -100);
  scene.onMouse(kAlt | kCtrl, GLUW::kLeftDown, 7, -1347);  // dy = -3
  EXPECT_DOUBLE_EQ(scene.camera.eye.z, -99.7);
  EXPECT_EQ(scene.camera.eye.x, 0);
  EXPECT_EQ(scene.camera.rotation.y, 0) << "a zoom does not rotate";
  EXPECT_EQ(scene.camera.translation.x, 0) << "a zoom does not pan";
}

TEST_F(GLUWMouseTest, AltShiftPansTwentyPixelsPerUnit) {
  pressLeftAt(0, 0);
  scene.onMouse(kAlt | kShift, GLUW::kLeftDown, 20, -40);
  EXPECT_EQ(scene.camera.translation.x, -1);
  EXPECT_EQ(scene.camera.translation.y, 2);
  EXPECT_EQ(scene.camera.translation.z, 0);
  EXPECT_EQ(scene.camera.eye.z, -10);
  EXPECT_EQ(scene.camera.rotation.x, -45);
}

TEST_F(GLUWMouseTest, AltShiftCtrlAndDragsWithoutAltChangeNothingButLastPosition) {
  pressLeftAt(0, 0);
  int x = 0;
  for (int keys : {kAlt | kShift | kCtrl, 0, kCtrl, kShift, kCtrl | kShift}) {
    x += 30;
    scene.onMouse(keys, GLUW::kLeftDown, x, 2 * x);
    EXPECT_EQ(scene.lastX, x);
    EXPECT_EQ(scene.lastY, 2 * x);
  }
  expectCameraAtDefaults();
}

TEST_F(GLUWMouseTest, RightButtonDragsLikeTheLeft) {
  scene.onMouse(0, GLUW::kRightDown, 0, 0);
  EXPECT_EQ(scene.dragButtons, GLUW::kRightHeld);
  scene.onMouse(kAlt, GLUW::kRightDown, -30, 0);
  EXPECT_EQ(scene.camera.rotation.y, 30);
}

TEST_F(GLUWMouseTest, RightReleaseKeepsALeftDragGoing) {
  scene.onMouse(0, GLUW::kLeftDown, 0, 0);
  scene.onMouse(0, GLUW::kRightDown, 0, 0);
  EXPECT_EQ(scene.dragButtons, GLUW::kLeftHeld | GLUW::kRightHeld);
  scene.onMouse(0, GLUW::kRightUp, 0, 0);
  EXPECT_EQ(scene.dragButtons, GLUW::kLeftHeld);
  scene.onMouse(kAlt, GLUW::kRightUp, -12, 0);  // a move repeats the last code
  EXPECT_EQ(scene.camera.rotation.y, 12);
}

TEST_F(GLUWMouseTest, LeftReleaseEndsTheDragAndDoubleClicksChangeNoButtons) {
  scene.onMouse(0, GLUW::kLeftDown, 0, 0);
  scene.onMouse(0, GLUW::kLeftDoubleClick, 0, 0);
  scene.onMouse(0, GLUW::kRightDoubleClick, 0, 0);
  EXPECT_EQ(scene.dragButtons, GLUW::kLeftHeld);
  scene.onMouse(kAlt, GLUW::kLeftUp, 0, 0);
  EXPECT_EQ(scene.dragButtons, 0);
  scene.onMouse(kAlt, GLUW::kLeftUp, 50, 50);
  scene.onMouse(kAlt, GLUW::kLeftDoubleClick, 80, 80);
  expectCameraAtDefaults();
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

TEST_F(GLUWMouseTest, ButtonTestsRunInOrderEachOnTheResultOfTheOneBefore) {
  scene.onMouse(0, GLUW::kLeftDown | GLUW::kLeftUp, 0, 0);  // set, then cleared
  EXPECT_EQ(scene.dragButtons, 0);
  scene.onMouse(0, GLUW::kRightDown | GLUW::kRightUp, 0, 0);
  EXPECT_EQ(scene.dragButtons, 0);
  scene.onMouse(0, GLUW::kLeftDown | GLUW::kRightDown | GLUW::kLeftUp, 0, 0);
  EXPECT_EQ(scene.dragButtons, GLUW::kRightHeld);
}

}  // namespace
}  // namespace sv::test
