// A buffer object's storage is set with glBufferData only when its size changes; every other upload is
// a glBufferSubData into the storage it already has. Client memory is a plain byte array.
#include "render/GLBuffer.h"

#include <cstring>

namespace sv {

GLBuffer::~GLBuffer() {
  if (name_ != 0) gl::deleteBuffers(1, &name_);
}

// Asked once: the drawer draws into one context for its life.
bool GLBuffer::isObject() {
  if (kind_ == Kind::undecided) kind_ = gl::hasBufferObjects() ? Kind::object : Kind::client;
  return kind_ == Kind::object;
}

void GLBuffer::bind() {
  if (name_ == 0) gl::genBuffers(1, &name_);
  gl::bindBuffer(target_, name_);
}

void GLBuffer::allocate(const void* data, std::size_t bytes) {
  if (isObject()) {
    bind();
    gl::bufferData(target_, static_cast<gl::Sizeiptr>(bytes), data, usage_);
  } else {
    client_.resize(bytes);
    if (data != nullptr && bytes > 0) std::memcpy(client_.data(), data, bytes);
  }
  bytes_ = bytes, allocated_ = true;
}

void GLBuffer::reserve(std::size_t bytes) {
  if (!allocated_ || bytes != bytes_) allocate(nullptr, bytes);
}

void GLBuffer::fill(const void* data, std::size_t bytes) {
  if (allocated_ && bytes == bytes_) return write(0, data, bytes);
  allocate(data, bytes);
}

void GLBuffer::write(std::size_t offset, const void* data, std::size_t bytes) {
  if (bytes == 0) return;
  if (!isObject()) return void(std::memcpy(client_.data() + offset, data, bytes));
  bind();
  gl::bufferSubData(target_, static_cast<gl::Intptr>(offset), static_cast<gl::Sizeiptr>(bytes), data);
}

// With a buffer bound, GL takes byte offsets where it takes pointers to client memory.
const void* GLBuffer::at(std::size_t offset) {
  if (!isObject()) return client_.data() + offset;
  bind();
  return reinterpret_cast<const void*>(offset);
}

void GLBuffer::unbind() {
  if (isObject()) gl::bindBuffer(target_, 0);
}

}  // namespace sv
