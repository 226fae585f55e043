// EGL set-up for offscreen drawing. The pbuffer is the default framebuffer, so the scene draws into it
// exactly as into a window, and read-back goes through the binding like every other GL call.
#include "gl/OffscreenContext.h"

#include "gl/GL.h"

#include <cstdio>
#include <cstring>

#include <EGL/egl.h>
#include <EGL/eglext.h>

namespace sv {

namespace {

std::string eglFailure(const char* what) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(eglGetError()));
  return std::string("offscreen OpenGL: ") + what + " failed (EGL error " + code + ")";
}

// Mesa's surfaceless platform needs no device and no display server; older stacks may lack it.
EGLDisplay openDisplay() {
  const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (extensions != nullptr && std::strstr(extensions, "EGL_MESA_platform_surfaceless") != nullptr) {
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay != nullptr) {
      EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
      if (display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr)) return display;
    }
  }
  EGLDisplay display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
    throw OffscreenError(eglFailure("opening an EGL display"));
  }
  return display;
}

}  // namespace

OffscreenContext::OffscreenContext(int width, int height) : width_(width), height_(height) {
  if (width <= 0 || height <= 0) throw OffscreenError("offscreen OpenGL: the picture size must be positive");
  EGLDisplay display = openDisplay();
  display_ = display;
  try {
    // clang-format off
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
                                       EGL_DEPTH_SIZE, 24, EGL_NONE};
    // clang-format on
    EGLConfig config = nullptr;
    EGLint found = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &found) || found < 1) {
      throw OffscreenError(eglFailure("choosing an RGBA8 + depth pbuffer configuration"));
    }
    if (!eglBindAPI(EGL_OPENGL_API)) throw OffscreenError(eglFailure("binding desktop OpenGL"));
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    surface_ = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (surface_ == EGL_NO_SURFACE) throw OffscreenError(eglFailure("creating a pbuffer"));
    // No version requested: the default is a compatibility context, which keeps the fixed-function
    // pipeline and immediate mode that the drawing uses.
    context_ = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context_ == EGL_NO_CONTEXT) throw OffscreenError(eglFailure("creating an OpenGL context"));
    if (!eglMakeCurrent(display, surface_, surface_, context_)) {
      throw OffscreenError(eglFailure("making the context current"));
    }
  } catch (...) {
    release();
    throw;
  }
}

OffscreenContext::~OffscreenContext() { release(); }

void OffscreenContext::release() {
  if (display_ == nullptr) return;
  eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (context_ != nullptr) eglDestroyContext(display_, context_);
  if (surface_ != nullptr) eglDestroySurface(display_, surface_);
  // The display stays initialised: EGL hands the same display to the next context, and terminating it
  // would unload the driver, hiding the origin of the driver's own allocations from leak checkers.
  display_ = surface_ = context_ = nullptr;
}

std::vector<std::uint8_t> OffscreenContext::readPixels() const {
  const std::size_t rowBytes = static_cast<std::size_t>(width_) * 4;
  std::vector<std::uint8_t> bottomUp(rowBytes * static_cast<std::size_t>(height_));
  gl::finish();
  gl::pixelStorei(gl::kPackAlignment, 1);
  gl::readPixels(0, 0, width_, height_, gl::kRgba, gl::kUnsignedByte, bottomUp.data());
  std::vector<std::uint8_t> topDown(bottomUp.size());
  for (int row = 0; row < height_; ++row) {
    std::memcpy(&topDown[static_cast<std::size_t>(row) * rowBytes],
                &bottomUp[static_cast<std::size_t>(height_ - 1 - row) * rowBytes], rowBytes);
  }
  return topDown;
}

}  // namespace sv
