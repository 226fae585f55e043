// The buffer object's storage is set with glBufferData only when its size changes; every other
// upload is a glBufferSubData into the storage it already has.
#include "render/GLBuffer.h"

namespace sv {

GLBuffer::~GLBuffer() {
  if (name_ != 0) gl::deleteBuffers(1, &name_);
}

void GLBuffer::bind() {
  if (name_ == 0) gl::genBuffers(1, &name_);
  gl::bindBuffer(target_, name_);
}

void GLBuffer::reserve(std::size_t bytes) {
  bind();
  if (allocated_ && bytes == bytes_) return;
  gl::bufferData(target_, static_cast<gl::Sizeiptr>(bytes), nullptr, usage_);
  bytes_ = bytes, allocated_ = true;
}

void GLBuffer::fill(const void* data, std::size_t bytes) {
  bind();
  if (allocated_ && bytes == bytes_) return write(0, data, bytes);
  gl::bufferData(target_, static_cast<gl::Sizeiptr>(bytes), data, usage_);
  bytes_ = bytes, allocated_ = true;
}

void GLBuffer::write(std::size_t offset, const void* data, std::size_t bytes) {
  bind();
  if (bytes > 0) gl::bufferSubData(target_, static_cast<gl::Intptr>(offset), static_cast<gl::Sizeiptr>(bytes), data);
}

}  // namespace sv
