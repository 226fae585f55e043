// Raised when a model file cannot be read at all (missing, unreadable, a directory). The message
// names the file and the reason; whoever started the loading decides how the program stops.
#pragma once

#include <stdexcept>
#include <string>

namespace sv {

class ModelFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace sv
