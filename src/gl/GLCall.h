// One call as the recording binding logged it: the entry point's name and its arguments in order,
// each widened to double (exact for every GL integer, float and double). Arrays passed by pointer
// are logged by the values the call reads.
#pragma once

#include <string>
#include <vector>

namespace sv::gl {

struct GLCall {
  std::string name;
  std::vector<double> args;

  bool operator==(const GLCall& other) const = default;
};

}  // namespace sv::gl
