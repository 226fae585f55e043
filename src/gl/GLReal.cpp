// The real binding: every function forwards to the system's OpenGL or GLU entry point of the same
// name, with the same arguments. Linked into the viewer, the offscreen tools and the pixel tests.
// The buffer-object functions are not exported by every system's GL library (Windows' opengl32 stops
// at 1.1), so their entry points are looked up at run time once a context is current.
#include "gl/GL.h"
#include "gl/GLStrings.h"

#include <string>
#include <type_traits>

#ifdef _WIN32
#include <windows.h>  // gl.h needs its calling-convention and export macros first
#endif
#include <GL/gl.h>
#include <GL/glu.h>
#ifndef _WIN32
#include <GL/glx.h>
#endif

namespace sv::gl {

static_assert(std::is_same_v<Enum, GLenum> && std::is_same_v<Bitfield, GLbitfield> && std::is_same_v<Int, GLint>);
static_assert(std::is_same_v<Sizei, GLsizei> && std::is_same_v<Float, GLfloat> && std::is_same_v<Double, GLdouble>);
static_assert(kPoints == GL_POINTS && kLines == GL_LINES && kTriangles == GL_TRIANGLES && kFront == GL_FRONT);
static_assert(kDepthTest == GL_DEPTH_TEST && kLighting == GL_LIGHTING && kLight0 == GL_LIGHT0);
static_assert(kAmbient == GL_AMBIENT && kDiffuse == GL_DIFFUSE);
static_assert(kModelview == GL_MODELVIEW && kProjection == GL_PROJECTION && kRgba == GL_RGBA);
static_assert(kUnsignedByte == GL_UNSIGNED_BYTE && kPackAlignment == GL_PACK_ALIGNMENT && kNoError == GL_NO_ERROR);
static_assert(kUnsignedInt == GL_UNSIGNED_INT && kFloat == GL_FLOAT);
static_assert(kVertexArray == GL_VERTEX_ARRAY && kNormalArray == GL_NORMAL_ARRAY);
static_assert(kColorBufferBit == GL_COLOR_BUFFER_BIT && kDepthBufferBit == GL_DEPTH_BUFFER_BIT);
static_assert(sizeof(Uint) == sizeof(GLuint) && sizeof(Sizeiptr) == sizeof(void*));

namespace {

struct BufferEntryPoints {
  void(APIENTRY* gen)(Sizei, Uint*) = nullptr;
  void(APIENTRY* remove)(Sizei, const Uint*) = nullptr;
  void(APIENTRY* bind)(Enum, Uint) = nullptr;
  void(APIENTRY* data)(Enum, Sizeiptr, const void*, Enum) = nullptr;
  void(APIENTRY* subData)(Enum, Intptr, Sizeiptr, const void*) = nullptr;

  bool complete() const { return gen && remove && bind && data && subData; }
};
BufferEntryPoints buffers;

// Windows answers for the current context; GLVND's GLX answers dispatch stubs that serve whatever
// context is current, an EGL one included.
template <typename Function>
void lookUp(Function& entry, const std::string& name) {
#ifdef _WIN32
  const PROC found = wglGetProcAddress(name.c_str());
  const auto value = reinterpret_cast<std::intptr_t>(found);
  // Some drivers answer 1, 2, 3 or -1 instead of null for a name they lack.
  entry = value >= -1 && value <= 3 ? nullptr : reinterpret_cast<Function>(found);
#else
  entry = reinterpret_cast<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name.c_str())));
#endif
}

const char* glString(GLenum name) { return reinterpret_cast<const char*>(glGetString(name)); }

}  // namespace

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

// GL 1.5 names the functions without a suffix; the extension before it, with ARB.
bool hasBufferObjects() {
  const bool core = versionAtLeast(glString(GL_VERSION), 1, 5);
  if (!core && !listsExtension(glString(GL_EXTENSIONS), "GL_ARB_vertex_buffer_object")) return false;
  const std::string suffix = core ? "" : "ARB";
  lookUp(buffers.gen, "glGenBuffers" + suffix);
  lookUp(buffers.remove, "glDeleteBuffers" + suffix);
  lookUp(buffers.bind, "glBindBuffer" + suffix);
  lookUp(buffers.data, "glBufferData" + suffix);
  lookUp(buffers.subData, "glBufferSubData" + suffix);
  return buffers.complete();
}
void genBuffers(Sizei count, Uint* names) { buffers.gen(count, names); }
// A scene may be torn down after its window let go of the context; its buffers then go with the context.
void deleteBuffers(Sizei count, const Uint* names) {
#ifdef _WIN32
  if (wglGetCurrentContext() == nullptr) return;
#endif
  if (buffers.remove != nullptr) buffers.remove(count, names);
}
void bindBuffer(Enum target, Uint name) { buffers.bind(target, name); }
void bufferData(Enum target, Sizeiptr bytes, const void* data, Enum usage) { buffers.data(target, bytes, data, usage); }
void bufferSubData(Enum target, Intptr offset, Sizeiptr bytes, const void* data) {
  buffers.subData(target, offset, bytes, data);
}

void pixelStorei(Enum name, Int value) { glPixelStorei(name, value); }
void readPixels(Int x, Int y, Sizei width, Sizei height, Enum format, Enum type, void* pixels) {
  glReadPixels(x, y, width, height, format, type, pixels);
}
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
