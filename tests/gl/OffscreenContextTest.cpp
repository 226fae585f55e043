// The offscreen context is current while it lives and let go when it dies: no GL call reaches a dead one.
#include "gl/OffscreenContext.h"

#include <optional>

#include <EGL/egl.h>
#include <gtest/gtest.h>

TEST(OffscreenContextTest, IsCurrentWhileItLivesAndNoLonger) {
  std::optional<sv::OffscreenContext> context(std::in_place, 4, 2);
  EXPECT_NE(eglGetCurrentContext(), EGL_NO_CONTEXT);
  context.reset();
  EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
}
