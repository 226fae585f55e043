// Access to the log of the recording binding (sv_gl_record). Only tests link it; the viewer and the
// offscreen tools link the real binding, and no program has both.
#pragma once

#include "gl/GLCall.h"

#include <vector>

namespace sv::gl {

class GLRecorder {
 public:
  // Every call since the last clear, oldest first.
  static const std::vector<GLCall>& calls();
  static void clear();
  // Whether hasBufferObjects answers yes (the default), as a context of GL 1.5 or later would.
  static void offerBufferObjects(bool offered);
};

}  // namespace sv::gl
