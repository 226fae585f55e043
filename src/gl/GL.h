// The graphics binding layer: one forwarding function per OpenGL and GLU entry point that the drawing,
// the scene and the offscreen tools use. Every call in the project goes through here unchanged. Two
// implementations exist, chosen at link time: sv_gl_real forwards to the system's GL and GLU, and
// sv_gl_record logs each call for tests. The header carries its own copies of the GL scalar types and
// of the few constants used, so it needs no platform header on any system.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sv::gl {

using Enum = std::uint32_t;       // GLenum
using Bitfield = std::uint32_t;   // GLbitfield
using Int = std::int32_t;         // GLint
using Sizei = std::int32_t;       // GLsizei
using Float = float;              // GLfloat, GLclampf
using Double = double;            // GLdouble
using Uint = std::uint32_t;       // GLuint
using Sizeiptr = std::ptrdiff_t;  // GLsizeiptr
using Intptr = std::ptrdiff_t;    // GLintptr

// Values as OpenGL defines them; the real binding checks each against the system header.
inline constexpr Enum kPoints = 0x0000;
inline constexpr Enum kLines = 0x0001;
inline constexpr Enum kTriangles = 0x0004;
inline constexpr Enum kFront = 0x0404;
inline constexpr Enum kDepthTest = 0x0B71;
inline constexpr Enum kLighting = 0x0B50;
inline constexpr Enum kLight0 = 0x4000;
inline constexpr Enum kAmbient = 0x1200;
inline constexpr Enum kDiffuse = 0x1201;
inline constexpr Enum kModelview = 0x1700;
inline constexpr Enum kProjection = 0x1701;
inline constexpr Enum kRgba = 0x1908;
inline constexpr Enum kUnsignedByte = 0x1401;
inline constexpr Enum kPackAlignment = 0x0D05;
inline constexpr Enum kUnsignedInt = 0x1405;
inline constexpr Enum kFloat = 0x1406;
inline constexpr Enum kVertexArray = 0x8074;
inline constexpr Enum kNormalArray = 0x8075;
inline constexpr Enum kArrayBuffer = 0x8892;
inline constexpr Enum kElementArrayBuffer = 0x8893;
inline constexpr Enum kStaticDraw = 0x88E4;
inline constexpr Enum kDynamicDraw = 0x88E8;
inline constexpr Enum kNoError = 0;
inline constexpr Bitfield kColorBufferBit = 0x4000;
inline constexpr Bitfield kDepthBufferBit = 0x0100;

// State set-up.
void clearColor(Float red, Float green, Float blue, Float alpha);
void clear(Bitfield mask);
void enable(Enum capability);
void disable(Enum capability);
void lightfv(Enum light, Enum name, const Float* values);    // reads four floats for colour names
void materialfv(Enum face, Enum name, const Float* values);  // reads four floats for colour names
void pointSize(Float size);
void viewport(Int x, Int y, Sizei width, Sizei height);
void finish();

// Matrices.
void matrixMode(Enum mode);
void loadIdentity();
void pushMatrix();
void popMatrix();
void translated(Double x, Double y, Double z);
void rotated(Double angle, Double x, Double y, Double z);

// Immediate mode.
void begin(Enum mode);
void end();
void color3f(Float red, Float green, Float blue);

// Client-side vertex arrays (GL 1.1): the pointers must stay valid until the draw call returns.
void enableClientState(Enum array);
void disableClientState(Enum array);
void vertexPointer(Int size, Enum type, Sizei stride, const void* pointer);
void normalPointer(Enum type, Sizei stride, const void* pointer);
void drawArrays(Enum mode, Int first, Sizei count);
void drawElements(Enum mode, Sizei count, Enum type, const void* indices);

// Buffer objects (GL 1.5, or GL_ARB_vertex_buffer_object before it). While a buffer is bound to
// kArrayBuffer, vertexPointer and normalPointer take a byte offset into it in place of the pointer;
// while one is bound to kElementArrayBuffer, drawElements does the same for its indices.
// hasBufferObjects tells whether the current context has them (and finds their entry points); the
// other five may be called only after it said yes for the context that is current.
bool hasBufferObjects();
void genBuffers(Sizei count, Uint* names);
void deleteBuffers(Sizei count, const Uint* names);  // does nothing without a current context
void bindBuffer(Enum target, Uint name);
void bufferData(Enum target, Sizeiptr bytes, const void* data, Enum usage);
void bufferSubData(Enum target, Intptr offset, Sizeiptr bytes, const void* data);

// Read-back and the error query, used by the offscreen pictures and their tests.
void pixelStorei(Enum name, Int value);
void readPixels(Int x, Int y, Sizei width, Sizei height, Enum format, Enum type, void* pixels);
Enum getError();

}  // namespace sv::gl

namespace sv::glu {

void perspective(gl::Double fovy, gl::Double aspect, gl::Double zNear, gl::Double zFar);
void lookAt(gl::Double eyeX, gl::Double eyeY, gl::Double eyeZ, gl::Double centerX, gl::Double centerY,
            gl::Double centerZ, gl::Double upX, gl::Double upY, gl::Double upZ);

}  // namespace sv::glu
