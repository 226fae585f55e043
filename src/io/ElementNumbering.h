// The numbers a model file gives its vertices (or normals). Every line of the kind takes the next
// number whether the reader keeps its element or drops it, so dropping one line never moves the
// elements after it; faces and springs name elements by these numbers and are mapped to kept ones.
#pragma once

#include "core/Object.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace sv {

class ElementNumbering : public Object {
 public:
  struct Lookup {
    enum class Kind { outOfRange, dropped, kept } kind;
    std::int32_t keptNumber;  // 1-based among the kept elements, when kept
    std::size_t droppedLine;  // the line that dropped it, when dropped
  };

  void keep() { keptNumbers_.push_back(++kept_); }
  void drop(std::size_t line);
  void clear();
  // Numbers given so far: valid file numbers are 1 to count().
  std::int32_t count() const { return static_cast<std::int32_t>(keptNumbers_.size()); }
  Lookup find(std::int32_t fileNumber) const {
    if (fileNumber < 1 || fileNumber > count()) return {Lookup::Kind::outOfRange, 0, 0};
    const std::int32_t kept = keptNumbers_[static_cast<std::size_t>(fileNumber - 1)];
    if (kept == 0) return {Lookup::Kind::dropped, 0, droppedLine(fileNumber)};
    return {Lookup::Kind::kept, kept, 0};
  }

 private:
  std::size_t droppedLine(std::int32_t fileNumber) const;

  // Per file number, its number among the kept elements, or 0 when its line was dropped; the dropped
  // ones (few) with their lines, in ascending file number.
  std::vector<std::int32_t> keptNumbers_;
  std::vector<std::pair<std::int32_t, std::size_t>> dropped_;
  std::int32_t kept_ = 0;
};

}  // namespace sv
