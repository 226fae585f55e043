// Vec3D at the edges its callers meet (unset fields, normalising a zero vector, rotate's decimal
// constant and a non-unit axis, a point on a triangle's edge; w never touched), and the steps' turn
// table, which must be indistinguishable from rotate to the last bit for every one of its 65536 angles.
#include "core/TurnTable.h"
#include "core/Vec3D.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

namespace sv {
namespace {

constexpr double kW = 42.5;            // a marker that every operation must leave in w
constexpr double kTurn = 6.283185308;  // rotate measures its angle from this, not from 2*pi

Vec3D vec(double x, double y, double z, double w = kW) { return Vec3D{x, y, z, w}; }
Vec3D normalized(Vec3D v) { return v.normalize(), v; }
Vec3D rotated(Vec3D v, double angle, const Vec3D& axis) { return v.rotate(angle, axis), v; }

TEST(Vec3DEdges, ExactBitsAtTheEdges) {
  const double nan = std::nan("");
  const struct {
    const char* edge;
    Vec3D got, want;
  } cases[] = {
      {"default is NaN", Vec3D{}, vec(nan, nan, nan, nan)},
      {"zero normalises to +0", normalized(vec(-0.0, 0.0, -0.0)), vec(0, 0, 0)},
      {"zero angle turns by the excess over 2*pi", rotated(vec(1, 0, 0), 0.0, vec(0, 1, 0)),
       vec(std::cos(kTurn), 0, -std::sin(kTurn))},
      {"a non-unit axis scales", rotated(vec(1, 0, 0), 1.0, vec(0, 0, 2)),
       vec(std::cos(kTurn - 1.0), 2 * std::sin(kTurn - 1.0), 0)},
  };
  for (const auto& c : cases)
    for (auto [got, want] :
         {std::pair{c.got.x, c.want.x}, {c.got.y, c.want.y}, {c.got.z, c.want.z}, {c.got.w, c.want.w}})
      EXPECT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(want)) << c.edge << ": " << got;
  EXPECT_EQ(vec(3, 0, 4).normalize(), 5.0);  // returns the length it had
  EXPECT_TRUE(Vec3D{}.insideTriangle(vec(2, 0, 0), vec(0, 0, 0), vec(4, 0, 0), vec(0, 4, 0)));  // on an edge
  EXPECT_FALSE(Vec3D{}.insideTriangle(vec(3, 3, 0), vec(0, 0, 0), vec(4, 0, 0), vec(0, 4, 0)));
}

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
