// The recording binding: logs every call with its arguments instead of drawing, so tests can check
// the exact sequence the drawing and the scene issue. glGetError answers no error; read-back fills the
// buffer with zeros. Buffer objects are kept in memory, so a draw call logs the values it reads from
// them as from client arrays.
#include "gl/GL.h"
#include "gl/GLRecorder.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <map>
#include <vector>

namespace sv::gl {

namespace {

std::vector<GLCall>& log() {
  static std::vector<GLCall> calls;
  return calls;
}

void record(const char* name, std::initializer_list<double> args) { log().push_back({name, args}); }

// Buffer objects as a context keeps them: numbered from 1, storage by name, one binding per target.
struct BufferObjects {
  bool offered = true;
  Uint nextName = 1;
  std::map<Uint, std::vector<unsigned char>> storage;
  Uint arrayBinding = 0, elementBinding = 0;

  Uint& binding(Enum target) { return target == kElementArrayBuffer ? elementBinding : arrayBinding; }
  std::vector<unsigned char>* bound(Enum target) {
    auto found = storage.find(binding(target));
    return found == storage.end() ? nullptr : &found->second;
  }
};

BufferObjects& bufferObjects() {
  static BufferObjects objects;
  return objects;
}

// The client arrays as the drawing set them up; only three-component float arrays are read back, from
// client memory or from the buffer object bound when the pointer was set.
struct ClientArray {
  bool enabled = false;
  Int size = 0;
  Enum type = 0;
  Sizei stride = 0;
  const void* pointer = nullptr;
  Uint buffer = 0;

  bool readable() const { return enabled && size == 3 && type == kFloat && (pointer != nullptr || buffer != 0); }
  // Where the element at offset bytes starts; null past the end of a buffer object, which reads as NaN.
  const unsigned char* source(std::size_t offset, std::size_t bytes) const {
    if (buffer == 0) return static_cast<const unsigned char*>(pointer) + offset;
    const auto& storage = bufferObjects().storage;
    const auto found = storage.find(buffer);
    const std::size_t start = reinterpret_cast<std::size_t>(pointer) + offset;
    return found == storage.end() || start + bytes > found->second.size() ? nullptr : found->second.data() + start;
  }
  void append(std::vector<double>& out, std::size_t index) const {
    const std::size_t step = stride == 0 ? sizeof(Float[3]) : static_cast<std::size_t>(stride);
    Float point[3] = {};
    const unsigned char* at = source(index * step, sizeof point);
    if (at != nullptr) std::memcpy(point, at, sizeof point);
    for (Float c : point) out.push_back(at != nullptr ? c : std::numeric_limits<double>::quiet_NaN());
  }
};

ClientArray& clientArray(Enum array) {
  static ClientArray vertices, normals, other;
  return array == kVertexArray ? vertices : array == kNormalArray ? normals : other;
}

void setPointer(Enum array, Int size, Enum type, Sizei stride, const void* pointer) {
  const bool enabled = clientArray(array).enabled;
  clientArray(array) = {enabled, size, type, stride, pointer, bufferObjects().arrayBinding};
}

// A draw call is logged with its own arguments followed by what it reads for each vertex in order:
// the position, then the normal while the normal array is enabled.
void recordDraw(const char* name, std::vector<double> args, const std::vector<std::size_t>& indices) {
  const ClientArray& vertices = clientArray(kVertexArray);
  const ClientArray& normals = clientArray(kNormalArray);
  for (std::size_t index : indices) {
    if (vertices.readable()) vertices.append(args, index);
    if (normals.readable()) normals.append(args, index);
  }
  log().push_back({name, std::move(args)});
}

// The colour names (ambient, diffuse) read four floats; nothing else is used with the vector calls.
void recordColour(const char* name, Enum target, Enum pname, const Float* v) {
  record(name, {double(target), double(pname), v[0], v[1], v[2], v[3]});
}

}  // namespace

const std::vector<GLCall>& GLRecorder::calls() { return log(); }
void GLRecorder::clear() { log().clear(); }
void GLRecorder::offerBufferObjects(bool offered) { bufferObjects().offered = offered; }

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

void enableClientState(Enum array) {
  record("glEnableClientState", {double(array)});
  clientArray(array).enabled = true;
}
void disableClientState(Enum array) {
  record("glDisableClientState", {double(array)});
  clientArray(array).enabled = false;
}
void vertexPointer(Int size, Enum type, Sizei stride, const void* pointer) {
  record("glVertexPointer", {double(size), double(type), double(stride)});
  setPointer(kVertexArray, size, type, stride, pointer);
}
void normalPointer(Enum type, Sizei stride, const void* pointer) {
  record("glNormalPointer", {double(type), double(stride)});
  setPointer(kNormalArray, 3, type, stride, pointer);
}
void drawArrays(Enum mode, Int first, Sizei count) {
  std::vector<std::size_t> indices;
  for (Sizei i = 0; i < count; ++i) indices.push_back(static_cast<std::size_t>(first + i));
  recordDraw("glDrawArrays", {double(mode), double(first), double(count)}, indices);
}
// Indices come from the bound element buffer when there is one (indices is then an offset into it);
// past its end they read as an index no array has.
void drawElements(Enum mode, Sizei count, Enum type, const void* indices) {
  std::vector<std::size_t> read;
  const std::vector<unsigned char>* buffer = bufferObjects().bound(kElementArrayBuffer);
  for (Sizei i = 0; type == kUnsignedInt && i < count; ++i) {
    std::uint32_t index = UINT32_MAX;
    if (buffer == nullptr) {
      std::memcpy(&index, static_cast<const unsigned char*>(indices) + i * sizeof index, sizeof index);
    } else if (const std::size_t at = reinterpret_cast<std::size_t>(indices) + i * sizeof index;
               at + sizeof index <= buffer->size()) {
      std::memcpy(&index, buffer->data() + at, sizeof index);
    }
    read.push_back(index);
  }
  recordDraw("glDrawElements", {double(mode), double(count), double(type)}, read);
}

// Buffer objects: names, bindings and contents kept as a context keeps them, each call logged with
// its numbers (not the bytes: the draw calls log what they read).
bool hasBufferObjects() { return bufferObjects().offered; }
void genBuffers(Sizei count, Uint* names) {
  record("glGenBuffers", {double(count)});
  for (Sizei i = 0; i < count; ++i) {
    names[i] = bufferObjects().nextName++;
    bufferObjects().storage[names[i]];
  }
}
void deleteBuffers(Sizei count, const Uint* names) {
  record("glDeleteBuffers", {double(count)});
  BufferObjects& objects = bufferObjects();
  for (Sizei i = 0; i < count; ++i) {
    objects.storage.erase(names[i]);
    for (Uint* binding : {&objects.arrayBinding, &objects.elementBinding})
      *binding = *binding == names[i] ? 0 : *binding;
  }
}
void bindBuffer(Enum target, Uint name) {
  record("glBindBuffer", {double(target), double(name)});
  bufferObjects().binding(target) = name;
}
void bufferData(Enum target, Sizeiptr bytes, const void* data, Enum usage) {
  record("glBufferData", {double(target), double(bytes), double(usage)});
  if (std::vector<unsigned char>* storage = bufferObjects().bound(target)) {
    storage->assign(static_cast<std::size_t>(bytes), 0);
    if (data != nullptr) std::memcpy(storage->data(), data, storage->size());
  }
}
void bufferSubData(Enum target, Intptr offset, Sizeiptr bytes, const void* data) {
  record("glBufferSubData", {double(target), double(offset), double(bytes)});
  std::vector<unsigned char>* storage = bufferObjects().bound(target);
  if (storage != nullptr && offset >= 0 && bytes >= 0 && std::size_t(offset + bytes) <= storage->size())
    std::memcpy(storage->data() + offset, data, static_cast<std::size_t>(bytes));
}

void pixelStorei(Enum name, Int value) { record("glPixelStorei", {double(name), double(value)}); }
void readPixels(Int x, Int y, Sizei width, Sizei height, Enum format, Enum type, void* pixels) {
  record("glReadPixels", {double(x), double(y), double(width), double(height), double(format), double(type)});
  if (pixels != nullptr && width > 0 && height > 0 && format == kRgba && type == kUnsignedByte) {
    std::memset(pixels, 0, static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  }
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
