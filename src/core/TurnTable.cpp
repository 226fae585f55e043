// Fills the turn table once, with the same sin and cos calls that Vec3D::rotate makes.
#include "core/TurnTable.h"

#include <cmath>

namespace sv {

TurnTable::TurnTable() {
  for (std::uint32_t k = 0; k < entries_.size(); ++k) {
    const double theta = 6.283185308 - angleOf(k);
    entries_[k] = {std::sin(theta), std::cos(theta)};
  }
}

const TurnTable& TurnTable::instance() {
  static const TurnTable table;
  return table;
}

}  // namespace sv
