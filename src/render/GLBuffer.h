// One buffer object of the drawer, kept between frames on the GL side. It is made in the current
// context at its first use, not before (the drawer may exist before any context), and its storage is
// allocated again only when the size it must hold changes, so a frame's writes reuse the same memory.
#pragma once

#include "gl/GL.h"

#include <cstddef>

namespace sv {

class GLBuffer {
 public:
  // target: kArrayBuffer or kElementArrayBuffer; usage: how often the contents change (a hint).
  GLBuffer(gl::Enum target, gl::Enum usage) : target_(target), usage_(usage) {}
  ~GLBuffer();  // deletes the buffer object, if one was made
  GLBuffer(const GLBuffer&) = delete;
  GLBuffer& operator=(const GLBuffer&) = delete;

  // Binds the buffer to its target, making it first if needed.
  void bind();
  // Binds it and makes its storage exactly bytes long; the contents are undefined after a change.
  void reserve(std::size_t bytes);
  // Binds it and replaces its whole contents, reallocating only for a new size.
  void fill(const void* data, std::size_t bytes);
  // Binds it and writes bytes at offset; both lie within the storage reserved or filled last.
  void write(std::size_t offset, const void* data, std::size_t bytes);

  std::size_t size() const { return bytes_; }

 private:
  gl::Enum target_;
  gl::Enum usage_;
  gl::Uint name_ = 0;
  std::size_t bytes_ = 0;
  bool allocated_ = false;
};

}  // namespace sv
