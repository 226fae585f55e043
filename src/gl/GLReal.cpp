// The real binding: every function forwards to the system's OpenGL or GLU entry point of the same
// name, with the same arguments. Linked into the viewer, the offscreen tools and the pixel tests.
#include "gl/GL.h"

#include <type_traits>

#ifdef _WIN32
#include <windows.h>  // gl.h needs its calling-convention and export macros first
#endif
#include <GL/gl.h>
#include <GL/glu.h>

namespace sv::gl {

static_assert(std::is_same_v<Enum, GLenum> && std::is_same_v<Bitfield, GLbitfield> && std::is_same_v<Int, GLint> &&
              std::is_same_v<Sizei, GLsizei> && std::is_same_v<Float, GLfloat> && std::is_same_v<Double, GLdouble> &&
              std::is_same_v<Boolean, GLboolean>);
static_assert(kPoints == GL_POINTS && kLines == GL_LINES && kTriangles == GL_TRIANGLES && kFront == GL_FRONT);
static_assert(kDepthTest == GL_DEPTH_TEST && kLighting == GL_LIGHTING && kLight0 == GL_LIGHT0);
static_assert(kColorClearValue == GL_COLOR_CLEAR_VALUE && kAmbient == GL_AMBIENT && kDiffuse == GL_DIFFUSE);
static_assert(kModelview == GL_MODELVIEW && kProjection == GL_PROJECTION && kRgba == GL_RGBA);
static_assert(kUnsignedByte == GL_UNSIGNED_BYTE && kPackAlignment == GL_PACK_ALIGNMENT && kNoError == GL_NO_ERROR);
static_assert(kUnsignedInt == GL_UNSIGNED_INT && kDouble == GL_DOUBLE && kVertexArray == GL_VERTEX_ARRAY &&
              kNormalArray == GL_NORMAL_ARRAY);
static_assert(kColorBufferBit == GL_COLOR_BUFFER_BIT && kDepthBufferBit == GL_DEPTH_BUFFER_BIT);

void clearColor(Float red, Float green, Float blue, Float alpha) { glClearColor(red, green, blue, alpha); }
void clear(Bitfield mask) { glClear(mask); }
void enable(Enum capability) { glEnable(capability); }
void disable(Enum capability) { glDisable(capability); }
void lightfv(Enum light, Enum name, const Float* values) { glLightfv(light, name, values); }
void materialfv(Enum face, Enum name, const Float* values) { glMaterialfv(face, name, values); }
void pointSize(Float size) { glPointSize(size); }
void viewport(Int x, Int y, Sizei width, Sizei height) { glViewport(x, y, width, height); }
void finish() { glFinish(); }

void matrixMode(Enum mode) { glMatrixMode(mode); }
void loadIdentity() { glLoadIdentity(); }
void pushMatrix() { glPushMatrix(); }
void popMatrix() { glPopMatrix(); }
void translated(Double x, Double y, Double z) { glTranslated(x, y, z); }
void rotated(Double angle, Double x, Double y, Double z) { glRotated(angle, x, y, z); }

void begin(Enum mode) { glBegin(mode); }
void end() { glEnd(); }
void color3f(Float red, Float green, Float blue) { glColor3f(red, green, blue); }
void vertex3d(Double x, Double y, Double z) { glVertex3d(x, y, z); }
void normal3d(Double x, Double y, Double z) { glNormal3d(x, y, z); }

void enableClientState(Enum array) { glEnableClientState(array); }
void disableClientState(Enum array) { glDisableClientState(array); }
void vertexPointer(Int size, Enum type, Sizei stride, const void* pointer) {
  glVertexPointer(size, type, stride, pointer);
}
void normalPointer(Enum type, Sizei stride, const void* pointer) { glNormalPointer(type, stride, pointer); }
void drawArrays(Enum mode, Int first, Sizei count) { glDrawArrays(mode, first, count); }
void drawElements(Enum mode, Sizei count, Enum type, const void* indices) {
  glDrawElements(mode, count, type, indices);
}

void pixelStorei(Enum name, Int value) { glPixelStorei(name, value); }
void readPixels(Int x, Int y, Sizei width, Sizei height, Enum format, Enum type, void* pixels) {
  glReadPixels(x, y, width, height, format, type, pixels);
}
void getFloatv(Enum name, Float* values) { glGetFloatv(name, values); }
void getLightfv(Enum light, Enum name, Float* values) { glGetLightfv(light, name, values); }
Boolean isEnabled(Enum capability) { return glIsEnabled(capability); }
Enum getError() { return glGetError(); }

}  // namespace sv::gl

namespace sv::glu {

void perspective(gl::Double fovy, gl::Double aspect, gl::Double zNear, gl::Double zFar) {
  gluPerspective(fovy, aspect, zNear, zFar);
}

void lookAt(gl::Double eyeX, gl::Double eyeY, gl::Double eyeZ, gl::Double centerX, gl::Double centerY,
            gl::Double centerZ, gl::Double upX, gl::Double upY, gl::Double upZ) {
  gluLookAt(eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ);
}

}  // namespace sv::glu
