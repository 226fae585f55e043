// The numbers a model file gives its vertices (or normals). Every line of the kind takes the next
// number whether the reader keeps its element or drops it, so dropping one line never moves the
// elements after it; faces and springs name elements by these numbers and are mapped to kept ones.
#pragma once

#include "core/Object.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sv {

class ElementNumbering : public Object {
 public:
  struct Lookup {
    enum class Kind { outOfRange, dropped, kept } kind;
    std::int32_t keptNumber;  // 1-based among the kept elements, when kept
    std::size_t droppedLine;  // the line that dropped it, when dropped
  };

  void keep();
  void drop(std::size_t line);
  void clear();
  // Numbers given so far: valid file numbers are 1 to count().
  std::int32_t count() const { return static_cast<std::int32_t>(entries_.size()); }
  Lookup find(std::int32_t fileNumber) const;

 private:
  struct Entry {
    std::int32_t keptNumber;  // 0 when dropped
    std::size_t droppedLine;
  };
  std::vector<Entry> entries_;
  std::int32_t kept_ = 0;
};

}  // namespace sv
