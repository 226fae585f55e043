// Vec3D: the exact values and edge cases of every operation, and that w is never touched.
#include "core/Vec3D.h"
#include "support/ReferenceSimulation.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <type_traits>

#include <gtest/gtest.h>

namespace sv {
namespace {

constexpr double kWMarker = 42.5;

Vec3D vec(double x, double y, double z) { return Vec3D{x, y, z, kWMarker}; }

std::uint64_t bits(double d) { return std::bit_cast<std::uint64_t>(d); }

void expectBits(const Vec3D& v, double x, double y, double z) {
  EXPECT_EQ(bits(v.x), bits(x)) << v.x << " vs " << x;
  EXPECT_EQ(bits(v.y), bits(y)) << v.y << " vs " << y;
  EXPECT_EQ(bits(v.z), bits(z)) << v.z << " vs " << z;
  EXPECT_EQ(v.w, kWMarker);
}

// Four doubles in order and nothing else: arrays of Vec3D are zero-filled by bytes and copied as a whole.
static_assert(sizeof(Vec3D) == 32 && std::is_standard_layout_v<Vec3D> && std::is_trivially_copyable_v<Vec3D>);
static_assert(offsetof(Vec3D, x) == 0 && offsetof(Vec3D, y) == 8 && offsetof(Vec3D, z) == 16 &&
              offsetof(Vec3D, w) == 24);

TEST(Vec3DDefaults, EveryFieldIsQuietNaN) {
  const Vec3D v;
  for (double d : {v.x, v.y, v.z, v.w}) EXPECT_EQ(bits(d), 0x7FF8000000000000ull);
  EXPECT_FALSE(v.equals(v));
}

TEST(Vec3DComponentwise, ExactResultsAndWUntouched) {
  Vec3D v = vec(1, 2, 3);
  v.fill(-0.0);
  expectBits(v, -0.0, -0.0, -0.0);
  v.set(Vec3D{4, 5, 6, -1});
  expectBits(v, 4, 5, 6);
  v.add(vec(0.5, -5, 1));
  expectBits(v, 4.5, 0, 7);
  v.addScalar(1.5);
  expectBits(v, 6, 1.5, 8.5);
  v.sub(vec(1, 1, 1));
  expectBits(v, 5, 0.5, 7.5);
  v.subScalar(0.5);
  expectBits(v, 4.5, 0, 7);
  v.negate();
  expectBits(v, -4.5, -0.0, -7);
  v.scale(-2);
  expectBits(v, 9, 0, 14);
  v.add(v);  // the receiver as argument uses its entry values
  expectBits(v, 18, 0, 28);
  v.sub(v);
  expectBits(v, 0, 0, 0);
}

TEST(Vec3DMeasures, LengthDistanceDotEquals) {
  EXPECT_EQ(vec(1, 2, 2).length(), 3.0);
  EXPECT_EQ(vec(1, 1, 1).distance(vec(4, 5, 1)), 5.0);
  EXPECT_EQ(vec(1, 2, 3).dot(vec(4, -5, 6)), 12.0);
  EXPECT_TRUE(vec(0.0, 1, 2).equals(vec(-0.0, 1, 2)));
  EXPECT_FALSE(vec(0, 1, 2).equals(vec(0, 1, 2.5)));
  EXPECT_FALSE(vec(0, std::nan(""), 2).equals(vec(0, std::nan(""), 2)));
  EXPECT_TRUE(vec(1, 2, 3).equals(Vec3D{1, 2, 3, -7}));  // w takes no part
}

TEST(Vec3DNormalize, ReturnsLengthAndScalesToUnitOrZero) {
  const struct {
    Vec3D in;
    double length, x, y, z;
  } cases[] = {
      {vec(3, 0, 4), 5.0, 0.6, 0.0, 0.8},
      {vec(-0.0, 0.0, -0.0), 0.0, 0.0, 0.0, 0.0},     // zero becomes positive zero
      {vec(-1e-300, 1e-300, 0), 0.0, 0.0, 0.0, 0.0},  // the squares underflow, so len is exactly 0
      {vec(0, -1e-150, 0), 1e-150, 0.0, -1.0, 0.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    Vec3D v = c.in;
    EXPECT_EQ(bits(v.normalize()), bits(c.length));
    expectBits(v, c.x, c.y, c.z);
  }
  Vec3D v = vec(1, std::nan(""), 0);
  EXPECT_TRUE(std::isnan(v.normalize()));
  EXPECT_TRUE(std::isnan(v.x) && std::isnan(v.y) && std::isnan(v.z));
}

TEST(Vec3DRotate, TurnsByMinusTheAngleThroughTheDecimalTwoPi) {
  Vec3D v = vec(1, 0, 0);
  v.rotate(std::numbers::pi / 2, vec(0, 0, 1));
  EXPECT_NEAR(v.x, 0.0, 1e-9);
  EXPECT_NEAR(v.y, -1.0, 1e-15);
  EXPECT_EQ(v.z, 0.0);
  EXPECT_EQ(v.w, kWMarker);
  // 6.283185308 exceeds 2*pi by about 8.2e-10, so a zero angle still turns a little.
  v = vec(1, 0, 0);
  v.rotate(0.0, vec(0, 1, 0));
  EXPECT_EQ(v.x, std::cos(6.283185308));
  EXPECT_EQ(v.z, -std::sin(6.283185308));
  EXPECT_NEAR(v.z, -(6.283185308 - 2 * std::numbers::pi), 1e-15);
}

TEST(Vec3DRotate, MatchesTheMatrixBitForBit) {
  // A non-unit axis is used as given (and so scales), and the receiver as axis uses its entry values.
  const struct {
    Vec3D start, axis;
    double angle;
    bool receiverIsAxis;
  } cases[] = {{vec(0.3, -1.7, 2.9), vec(0.5, 2.0, -1.25), 1.234, false}, {vec(0.6, 0.0, 0.8), {}, 2.5, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.angle);
    const Vec3D axis = c.receiverIsAxis ? c.start : c.axis;
    const reference::V r = reference::turned({c.start.x, c.start.y, c.start.z}, c.angle, {axis.x, axis.y, axis.z});
    Vec3D v = c.start;
    v.rotate(c.angle, c.receiverIsAxis ? v : axis);
    expectBits(v, r.x, r.y, r.z);
  }
}

TEST(Vec3DCross, RightHandedAndAliasSafe) {
  Vec3D v = vec(1, 0, 0);
  v.cross(vec(0, 1, 0));
  expectBits(v, 0, 0, 1);
  Vec3D u = vec(2, 3, 4);
  u.cross(vec(5, 6, 7));
  expectBits(u, -3, 6, -3);
  u.cross(u);
  expectBits(u, 0, 0, 0);
}

TEST(Vec3DIntersectLinePlane, HitsOrLeavesReceiverAlone) {
  Vec3D v = vec(9, 9, 9);
  EXPECT_TRUE(v.intersectLinePlane(vec(1, 2, 5), vec(0, 0, -2), vec(7, 7, 1), vec(0, 0, 1)));
  expectBits(v, 1, 2, 1);
  EXPECT_FALSE(v.intersectLinePlane(vec(0, 0, 5), vec(1, 1, 0), vec(0, 0, 0), vec(0, 0, 1)));  // parallel
  expectBits(v, 1, 2, 1);
  v = vec(1, 2, 5);
  EXPECT_TRUE(v.intersectLinePlane(v, vec(1, 0, -1), vec(0, 0, 1), vec(0, 0, 1)));  // receiver as line point
  expectBits(v, 5, 2, 1);
}

TEST(Vec3DInsideTriangle, SignRule) {
  const Vec3D a = vec(0, 0, 0), b = vec(4, 0, 0), c = vec(0, 4, 0);
  const Vec3D receiver;  // its value takes no part
  EXPECT_TRUE(receiver.insideTriangle(vec(1, 1, 0), a, b, c));
  EXPECT_TRUE(receiver.insideTriangle(vec(2, 0, 0), a, b, c));  // edge midpoint: zero products count as +1
  EXPECT_TRUE(receiver.insideTriangle(a, a, b, c));             // a corner gives all zeros
  EXPECT_FALSE(receiver.insideTriangle(vec(3, 3, 0), a, b, c));
  EXPECT_FALSE(receiver.insideTriangle(vec(-1, 1, 0), a, b, c));
  EXPECT_TRUE(receiver.insideTriangle(vec(1, 1, 0), a, c, b));             // winding does not matter
  EXPECT_TRUE(receiver.insideTriangle(vec(std::nan(""), 1, 0), a, b, c));  // NaN products count as +1
}

}  // namespace
}  // namespace sv
