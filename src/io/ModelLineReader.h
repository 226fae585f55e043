// Splits a model file into lines: a line ends at a line feed, a carriage return followed by a line
// feed, or a lone carriage return, and the last line counts even without a terminator. Each line is
// handed over in its bounded ModelLine form, so memory stays small however long a line is.
#pragma once

#include "core/Object.h"
#include "io/ModelLine.h"

#include <cstddef>
#include <istream>

namespace sv {

class ModelLineReader : public Object {
 public:
  explicit ModelLineReader(std::istream& in) : in_(in) {}

  // Reads the next line into `line`; false at the end of the input, when no line is left.
  bool read(ModelLine& line);
  // 1-based number of the line read last.
  std::size_t lineNumber() const { return lineNumber_; }

 private:
  std::istream& in_;
  std::size_t lineNumber_ = 0;
};

}  // namespace sv
