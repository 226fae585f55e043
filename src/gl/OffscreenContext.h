// An OpenGL 1.x (compatibility) context with no display server: EGL on Mesa's surfaceless platform
// with a pbuffer as the drawing surface, falling back to the default EGL display. Used by the pixel
// tests, the snapshot tool and the render benchmarks; the viewer's window never needs it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace sv {

class OffscreenError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class OffscreenContext {
 public:
  // Creates the context and its width x height pbuffer and makes them current; throws OffscreenError.
  OffscreenContext(int width, int height);
  ~OffscreenContext();
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;

  // The colour buffer as RGBA bytes, top row first (as a picture is stored, not as GL counts rows).
  std::vector<std::uint8_t> readPixels() const;

 private:
  void release();

  int width_;
  int height_;
  void* display_ = nullptr;
  void* surface_ = nullptr;
  void* context_ = nullptr;
};

}  // namespace sv
