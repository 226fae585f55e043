// The recording binding logs every entry point under its GL name with its exact arguments; the
// drawing and scene tests rely on it, so a wrong name, a dropped or reordered argument, or a pointer
// logged instead of the values it points to would hide faults there.
#include "support/RecordedCalls.h"

#include <gtest/gtest.h>

namespace sv::test {
namespace {

class GLRecordTest : public ::testing::Test {
 protected:
  void SetUp() override { gl::GLRecorder::clear(); }
};

TEST_F(GLRecordTest, LogsEveryDrawingEntryPointWithItsArgumentsInOrder) {
  const float colour[4] = {0.25f, 0.5f, 0.75f, 1.0f};
  gl::clearColor(0.0f, 0.0f, 1.0f, 0.5f);
  gl::clear(gl::kColorBufferBit | gl::kDepthBufferBit);
  gl::enable(gl::kDepthTest);
  gl::disable(gl::kLighting);
  gl::lightfv(gl::kLight0, gl::kAmbient, colour);
  gl::materialfv(gl::kFront, gl::kDiffuse, colour);
  gl::pointSize(8.0f);
  gl::viewport(1, 2, 640, 480);
  gl::matrixMode(gl::kProjection);
  gl::loadIdentity();
  gl::pushMatrix();
  gl::translated(-1.5, 2.25, 1e-300);
  gl::rotated(-45.0, 1, 0, 0);
  gl::popMatrix();
  gl::begin(gl::kTriangles);
  gl::color3f(1, 1, 0);
  gl::normal3d(0.1, -0.2, 0.3);
  gl::vertex3d(1.0 / 3.0, -2.0, 12.5);
  gl::end();
  glu::perspective(30.0, 4.0 / 3.0, 0.3, 200.0);
  glu::lookAt(0, 0, -10, 0, 0, 0, 0, 1, 0);
  gl::finish();

  EXPECT_EQ(takeCalls(), (Calls{
                             call("glClearColor", {0, 0, 1, 0.5}),
                             call("glClear", {0x4100}),
                             call("glEnable", {0x0B71}),
                             call("glDisable", {0x0B50}),
                             call("glLightfv", {0x4000, 0x1200, 0.25, 0.5, 0.75, 1}),
                             call("glMaterialfv", {0x0404, 0x1201, 0.25, 0.5, 0.75, 1}),
                             call("glPointSize", {8}),
                             call("glViewport", {1, 2, 640, 480}),
                             call("glMatrixMode", {0x1701}),
                             call("glLoadIdentity"),
                             call("glPushMatrix"),
                             call("glTranslated", {-1.5, 2.25, 1e-300}),
                             call("glRotated", {-45, 1, 0, 0}),
                             call("glPopMatrix"),
                             call("glBegin", {4}),
                             call("glColor3f", {1, 1, 0}),
                             call("glNormal3d", {0.1, -0.2, 0.3}),
                             call("glVertex3d", {1.0 / 3.0, -2, 12.5}),
                             call("glEnd"),
                             call("gluPerspective", {30, 4.0 / 3.0, 0.3, 200}),
                             call("gluLookAt", {0, 0, -10, 0, 0, 0, 0, 1, 0}),
                             call("glFinish"),
                         }));
}

TEST_F(GLRecordTest, LogsTheColourValuesReadNotThePointer) {
  float colour[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  gl::lightfv(gl::kLight0, gl::kAmbient, colour);
  colour[0] = 0.9f;  // a later change must not show in the earlier call
  EXPECT_EQ(takeCalls(), Calls{call("glLightfv", {0x4000, 0x1200, 0.2f, 0.2f, 0.2f, 1.0f})});
}

TEST_F(GLRecordTest, ReadBackGivesAnAllZeroPictureAndIsLogged) {
  std::vector<std::uint8_t> pixels(3 * 2 * 4, 0xAB);
  gl::readPixels(0, 0, 3, 2, gl::kRgba, gl::kUnsignedByte, pixels.data());
  EXPECT_EQ(pixels, std::vector<std::uint8_t>(pixels.size(), 0));
  EXPECT_EQ(takeCalls(), Calls{call("glReadPixels", {0, 0, 3, 2, 0x1908, 0x1401})});
}

}  // namespace
}  // namespace sv::test
