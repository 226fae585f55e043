// File numbers of vertices and normals, kept or dropped, and their place among the kept ones.
#include "io/ElementNumbering.h"

namespace sv {

void ElementNumbering::keep() { entries_.push_back({++kept_, 0}); }

void ElementNumbering::drop(std::size_t line) { entries_.push_back({0, line}); }

void ElementNumbering::clear() {
  entries_.clear();
  kept_ = 0;
}

ElementNumbering::Lookup ElementNumbering::find(std::int32_t fileNumber) const {
  if (fileNumber < 1 || fileNumber > count()) return {Lookup::Kind::outOfRange, 0, 0};
  const Entry& entry = entries_[static_cast<std::size_t>(fileNumber - 1)];
  if (entry.keptNumber == 0) return {Lookup::Kind::dropped, 0, entry.droppedLine};
  return {Lookup::Kind::kept, entry.keptNumber, 0};
}

}  // namespace sv
