// The steps' turn table must turn exactly as Vec3D::rotate for every one of its 65536 angles.
#include "core/TurnTable.h"
#include "core/Vec3D.h"

#include <bit>
#include <cstdint>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(TurnTable, EveryEntryTurnsExactlyAsRotate) {
  const struct {
    Vec3D start, axis;  // a wind-like vector about the y axis, as the steps turn it, and a general one
  } cases[] = {{{-0.001, 0.0, 0.0, 0.0}, {0, 1, 0, 0}}, {{0.7, -1.1, 2.3, 0.0}, {0.3, -0.8, 0.52, 0}}};
  for (std::uint32_t k = 0; k < 65536; ++k) {
    const std::uint32_t draw = k | (k * 2654435761u & 0xFFFF0000u);  // high bits must not matter
    const TurnTable::SinCos& turn = TurnTable::instance().forDraw(draw);
    for (const auto& c : cases) {
      Vec3D byAngle = c.start, byTable = c.start;
      byAngle.rotate(TurnTable::angleOf(draw), c.axis);
      byTable.rotateBySinCos(turn.sin, turn.cos, c.axis);
      for (auto [a, t] : {std::pair{byAngle.x, byTable.x}, {byAngle.y, byTable.y}, {byAngle.z, byTable.z}})
        ASSERT_EQ(std::bit_cast<std::uint64_t>(a), std::bit_cast<std::uint64_t>(t)) << k;
    }
  }
}

}  // namespace
}  // namespace sv
