// One array of the drawer's vertex or index data, kept between frames. At its first use it asks the
// current context once whether it has buffer objects: if so the data lives in a buffer object on the GL
// side, otherwise in client memory. Either way a draw call finds it through at(), so the drawing is
// written once. Storage is allocated again only when its size changes.
#pragma once

#include "gl/GL.h"

#include <cstddef>
#include <vector>

namespace sv {

class GLBuffer {
 public:
  // target: kArrayBuffer or kElementArrayBuffer; usage: how often the contents change (a hint).
  GLBuffer(gl::Enum target, gl::Enum usage) : target_(target), usage_(usage) {}
  ~GLBuffer();  // deletes the buffer object, if one was made
  GLBuffer(const GLBuffer&) = delete;
  GLBuffer& operator=(const GLBuffer&) = delete;

  // Makes the storage exactly bytes long; the contents are undefined after a change.
  void reserve(std::size_t bytes);
  // Replaces the whole contents, reallocating only for a new size.
  void fill(const void* data, std::size_t bytes);
  // Writes bytes at offset; both lie within the storage reserved or filled last.
  void write(std::size_t offset, const void* data, std::size_t bytes);

  // The pointer argument under which a gl pointer or draw call reads byte `offset` of the contents:
  // binds the buffer object to the target and answers the offset, or answers the client address.
  const void* at(std::size_t offset = 0);
  // Leaves no buffer object bound to the target, so that later calls given client addresses read them.
  void unbind();

 private:
  bool isObject();
  void allocate(const void* data, std::size_t bytes);
  void bind();

  enum class Kind { undecided, object, client };
  gl::Enum target_;
  gl::Enum usage_;
  Kind kind_ = Kind::undecided;
  gl::Uint name_ = 0;
  std::size_t bytes_ = 0;
  bool allocated_ = false;
  std::vector<unsigned char> client_;
};

}  // namespace sv
