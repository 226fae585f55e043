// Vec3D at the edges its callers meet: unset fields, normalising a zero vector, rotate's decimal
// constant and a non-unit axis, and a point on a triangle's edge; w is never touched.
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
      {"underflowing squares count as zero", normalized(vec(-1e-300, 1e-300, 0)), vec(0, 0, 0)},
      {"3-4-5 normalises exactly", normalized(vec(3, 0, 4)), vec(0.6, 0, 0.8)},
      {"zero angle turns by the excess over 2*pi", rotated(vec(1, 0, 0), 0.0, vec(0, 1, 0)),
       vec(std::cos(kTurn), 0, -std::sin(kTurn))},
      {"a non-unit axis scales", rotated(vec(1, 0, 0), 1.0, vec(0, 0, 2)),
       vec(std::cos(kTurn - 1.0), 2 * std::sin(kTurn - 1.0), 0)},
  };
  for (const auto& c : cases) {
    for (auto [got, want] :
         {std::pair{c.got.x, c.want.x}, {c.got.y, c.want.y}, {c.got.z, c.want.z}, {c.got.w, c.want.w}})
      EXPECT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(want)) << c.edge << ": " << got;
  }
  EXPECT_EQ(vec(0, -1e-150, 0).normalize(), 1e-150);  // returns the length it had
  EXPECT_EQ(vec(0, 0, 0).normalize(), 0.0);
  EXPECT_TRUE(Vec3D{}.insideTriangle(vec(2, 0, 0), vec(0, 0, 0), vec(4, 0, 0), vec(0, 4, 0)));  // on an edge
  EXPECT_FALSE(Vec3D{}.insideTriangle(vec(3, 3, 0), vec(0, 0, 0), vec(4, 0, 0), vec(0, 4, 0)));
}

}  // namespace
}  // namespace sv
