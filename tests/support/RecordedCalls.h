// Helpers for tests against the recording binding: build expected calls, take the log, and print
// calls readably when a comparison fails.
#pragma once

#include "gl/GL.h"
#include "gl/GLRecorder.h"

#include <algorithm>
#include <ostream>

namespace sv::gl {

inline void PrintTo(const GLCall& call, std::ostream* out) {
  *out << call.name << '(';
  for (std::size_t i = 0; i < call.args.size(); ++i) *out << (i ? ", " : "") << call.args[i];
  *out << ')';
}

}  // namespace sv::gl

namespace sv::test {

using gl::GLCall;
using Calls = std::vector<GLCall>;

inline GLCall call(std::string name, std::vector<double> args = {}) { return {std::move(name), std::move(args)}; }

inline Calls takeCalls() {  // the calls since the last take, which are then forgotten
  Calls calls = gl::GLRecorder::calls();
  gl::GLRecorder::clear();
  return calls;
}

inline Calls only(Calls calls, bool (*keep)(const GLCall&)) {  // the calls kept, in order
  return std::erase_if(calls, [&](const GLCall& c) { return !keep(c); }), calls;
}

inline std::size_t countNamed(const Calls& calls, const std::string& name) {
  return std::count_if(calls.begin(), calls.end(), [&](const GLCall& c) { return c.name == name; });
}

}  // namespace sv::test
