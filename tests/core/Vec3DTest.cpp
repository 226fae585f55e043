// Vec3D at its callers' edges (unset fields, zero normalised, rotate's decimal constant, a non-unit axis, a
// point on an edge; w untouched) and in the operations no caller uses yet, worked by hand.
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
Vec3D after(Vec3D v, auto operation) { return operation(v), v; }
// Whether the line through (1, 2, 3) along lineDir meets the plane z = 7; where, into v, if it does.
bool meets(Vec3D& v, Vec3D lineDir) { return v.intersectLinePlane(vec(1, 2, 3), lineDir, vec(-4, 5, 7), vec(0, 0, 2)); }

TEST(Vec3DEdges, ExactBitsAtTheEdges) {
  const double nan = std::nan("");
  const struct {
    const char* edge;
    Vec3D got, want;
  } cases[] = {
      {"default is NaN", Vec3D{}, vec(nan, nan, nan, nan)},
      {"zero normalises to +0", after(vec(-0.0, 0.0, -0.0), [](Vec3D& v) { v.normalize(); }), vec(0, 0, 0)},
      {"zero angle turns by the excess over 2*pi", after(vec(1, 0, 0), [](Vec3D& v) { v.rotate(0.0, vec(0, 1, 0)); }),
       vec(std::cos(kTurn), 0, -std::sin(kTurn))},
      {"a non-unit axis scales", after(vec(1, 0, 0), [](Vec3D& v) { v.rotate(1.0, vec(0, 0, 2)); }),
       vec(std::cos(kTurn - 1.0), 2 * std::sin(kTurn - 1.0), 0)},
      {"scalars", after(vec(1, 2, 3), [](Vec3D& v) { v.addScalar(0.5), v.subScalar(0.25); }), vec(1.25, 2.25, 3.25)},
      {"cross", after(vec(1, 2, 3), [](Vec3D& v) { v.cross(vec(4, 5, 6)); }), vec(-3, 6, -3)},
      {"meets at r = 2", after(vec(9, 9, 9), [](Vec3D& v) { v.w = meets(v, vec(2, -4, 2)); }), vec(5, -6, 7, 1)},
      {"runs beside", after(vec(9, 9, 9), [](Vec3D& v) { v.w = meets(v, vec(1, 1, 0)); }), vec(9, 9, 9, 0)},
  };
  for (const auto& c : cases)
    for (auto [got, want] :
         {std::pair{c.got.x, c.want.x}, {c.got.y, c.want.y}, {c.got.z, c.want.z}, {c.got.w, c.want.w}})
      EXPECT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(want)) << c.edge << ": " << got;
  EXPECT_EQ(vec(3, 0, 4).normalize(), 5.0);  // returns the length it had
  EXPECT_EQ(vec(1, 2, 3).distance(vec(3, 5, 9)), 7.0);
  EXPECT_TRUE(vec(1, 2, 3).equals(vec(1, 2, 3, 0)) && !vec(1, 2, 3).equals(vec(1, 2, 4)) && !Vec3D{}.equals(Vec3D{}));
  EXPECT_TRUE(Vec3D{}.insideTriangle(vec(2, 0, 0), vec(0, 0, 0), vec(4, 0, 0), vec(0, 4, 0)));  // on an edge
  EXPECT_FALSE(Vec3D{}.insideTriangle(vec(3, 3, 0), vec(0, 0, 0), vec(4, 0, 0), vec(0, 4, 0)));
}

}  // namespace
}  // namespace sv
