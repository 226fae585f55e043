// The recording binding: logs every call with its arguments instead of drawing, so tests can check
// the exact sequence the drawing and the scene issue. Queries answer as a fresh context would (zeros,
// nothing enabled, no error); read-back fills the buffer with zeros.
#include "gl/GL.h"
#include "gl/GLRecorder.h"

#include <cstring>
#include <initializer_list>

namespace sv::gl {

namespace {

std::vector<GLCall>& log() {
  static std::vector<GLCall> calls;
  return calls;
}

void record(const char* name, std::initializer_list<double> args) { log().push_back({name, args}); }

// The colour names (ambient, diffuse) read four floats; nothing else is used with the vector calls.
void recordColour(const char* name, Enum target, Enum pname, const Float* v) {
  record(name, {double(target), double(pname), v[0], v[1], v[2], v[3]});
}

}  // namespace

const std::vector<GLCall>& GLRecorder::calls() { return log(); }
void GLRecorder::clear() { log().clear(); }

void clearColor(Float red, Float green, Float blue, Float alpha) { record("glClearColor", {red, green, blue, alpha}); }
void clear(Bitfield mask) { record("glClear", {double(mask)}); }
void enable(Enum capability) { record("glEnable", {double(capability)}); }
void disable(Enum capability) { record("glDisable", {double(capability)}); }
void lightfv(Enum light, Enum name, const Float* values) { recordColour("glLightfv", light, name, values); }
void materialfv(Enum face, Enum name, const Float* values) { recordColour("glMaterialfv", face, name, values); }
void pointSize(Float size) { record("glPointSize", {size}); }
void viewport(Int x, Int y, Sizei width, Sizei height) {
  record("glViewport", {double(x), double(y), double(width), double(height)});
}
void finish() { record("glFinish", {}); }

void matrixMode(Enum mode) { record("glMatrixMode", {double(mode)}); }
void loadIdentity() { record("glLoadIdentity", {}); }
void pushMatrix() { record("glPushMatrix", {}); }
void popMatrix() { record("glPopMatrix", {}); }
void translated(Double x, Double y, Double z) { record("glTranslated", {x, y, z}); }
void rotated(Double angle, Double x, Double y, Double z) { record("glRotated", {angle, x, y, z}); }

void begin(Enum mode) { record("glBegin", {double(mode)}); }
void end() { record("glEnd", {}); }
void color3f(Float red, Float green, Float blue) { record("glColor3f", {red, green, blue}); }
void vertex3d(Double x, Double y, Double z) { record("glVertex3d", {x, y, z}); }
void normal3d(Double x, Double y, Double z) { record("glNormal3d", {x, y, z}); }

void pixelStorei(Enum name, Int value) { record("glPixelStorei", {double(name), double(value)}); }
void readPixels(Int x, Int y, Sizei width, Sizei height, Enum format, Enum type, void* pixels) {
  record("glReadPixels", {double(x), double(y), double(width), double(height), double(format), double(type)});
  if (pixels != nullptr && width > 0 && height > 0 && format == kRgba && type == kUnsignedByte) {
    std::memset(pixels, 0, static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  }
}
void getFloatv(Enum name, Float* values) {
  record("glGetFloatv", {double(name)});
  values[0] = 0.0f;  // every float query used here answers at least one value
}
void getLightfv(Enum light, Enum name, Float* values) {
  record("glGetLightfv", {double(light), double(name)});
  std::memset(values, 0, 4 * sizeof(Float));
}
Boolean isEnabled(Enum capability) {
  record("glIsEnabled", {double(capability)});
  return 0;
}
Enum getError() {
  record("glGetError", {});
  return kNoError;
}

}  // namespace sv::gl

namespace sv::glu {

void perspective(gl::Double fovy, gl::Double aspect, gl::Double zNear, gl::Double zFar) {
  gl::record("gluPerspective", {fovy, aspect, zNear, zFar});
}

void lookAt(gl::Double eyeX, gl::Double eyeY, gl::Double eyeZ, gl::Double centerX, gl::Double centerY,
            gl::Double centerZ, gl::Double upX, gl::Double upY, gl::Double upZ) {
  gl::record("gluLookAt", {eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ});
}

}  // namespace sv::glu
