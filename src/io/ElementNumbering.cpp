// File numbers of vertices and normals, kept or dropped, and their place among the kept ones.
#include "io/ElementNumbering.h"

#include <algorithm>

namespace sv {

void ElementNumbering::drop(std::size_t line) {
  keptNumbers_.push_back(0);
  dropped_.emplace_back(count(), line);
}

void ElementNumbering::clear() {
  keptNumbers_.clear();
  dropped_.clear();
  kept_ = 0;
}

std::size_t ElementNumbering::droppedLine(std::int32_t fileNumber) const {
  const auto at = std::lower_bound(dropped_.begin(), dropped_.end(), std::make_pair(fileNumber, std::size_t{0}));
  return at != dropped_.end() && at->first == fileNumber ? at->second : 0;
}

}  // namespace sv
