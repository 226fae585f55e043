// Vec3D: the exact values and edge cases of every operation, and that w is never touched.
#include "scene/Vec3D.h"

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
constexpr std::uint64_t kQuietNaNBits = 0x7FF8000000000000ull;

Vec3D vec(double x, double y, double z) {
  Vec3D v;
  v.x = x, v.y = y, v.z = z, v.w = kWMarker;
  return v;
}

std::uint64_t bits(double d) { return std::bit_cast<std::uint64_t>(d); }

void expectBits(const Vec3D& v, double x, double y, double z) {
  EXPECT_EQ(bits(v.x), bits(x)) << v.x << " vs " << x;
  EXPECT_EQ(bits(v.y), bits(y)) << v.y << " vs " << y;
  EXPECT_EQ(bits(v.z), bits(z)) << v.z << " vs " << z;
}

// Four doubles in order and nothing else: arrays of Vec3D are zero-filled by bytes and copied as a whole.
static_assert(sizeof(Vec3D) == 32 && std::is_standard_layout_v<Vec3D> && !std::is_polymorphic_v<Vec3D>);
static_assert(offsetof(Vec3D, x) == 0 && offsetof(Vec3D, y) == 8 && offsetof(Vec3D, z) == 16 &&
              offsetof(Vec3D, w) == 24);
static_assert(std::is_trivially_copyable_v<Vec3D>);

TEST(Vec3DDefaults, EveryFieldIsQuietNaN) {
  const Vec3D v;
  EXPECT_EQ(bits(v.x), kQuietNaNBits);
  EXPECT_EQ(bits(v.y), kQuietNaNBits);
  EXPECT_EQ(bits(v.z), kQuietNaNBits);
  EXPECT_EQ(bits(v.w), kQuietNaNBits);
  EXPECT_FALSE(v.equals(v));
}

TEST(Vec3DDefaults, CopyCarriesW) {
  const Vec3D v = vec(1, 2, 3);
  const Vec3D copy = v;
  EXPECT_EQ(copy.w, kWMarker);
}

TEST(Vec3DComponentwise, ExactResultsAndWUntouched) {
  Vec3D v = vec(1, 2, 3);
  v.fill(-0.0);
  expectBits(v, -0.0, -0.0, -0.0);
  v.set(vec(4, 5, 6));
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
  EXPECT_EQ(v.w, kWMarker);

  Vec3D unsetW;
  unsetW.fill(1.0);
  unsetW.scale(3.0);
  EXPECT_TRUE(std::isnan(unsetW.w));
}

TEST(Vec3DComponentwise, ReceiverAsArgumentUsesEntryValues) {
  Vec3D v = vec(1, -2, 3);
  v.add(v);
  expectBits(v, 2, -4, 6);
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

TEST(Vec3DNormalize, ZeroVectorBecomesPositiveZero) {
  Vec3D v = vec(-0.0, 0.0, -0.0);
  EXPECT_EQ(bits(v.normalize()), bits(0.0));
  expectBits(v, 0.0, 0.0, 0.0);
  EXPECT_EQ(v.w, kWMarker);
}

TEST(Vec3DNormalize, ReturnsLengthAndScalesToUnit) {
  Vec3D v = vec(3, 0, 4);
  EXPECT_EQ(v.normalize(), 5.0);
  expectBits(v, 0.6, 0.0, 0.8);
  EXPECT_EQ(v.w, kWMarker);
}

TEST(Vec3DNormalize, NaNComponentSpreads) {
  Vec3D v = vec(1, std::nan(""), 0);
  EXPECT_TRUE(std::isnan(v.normalize()));
  EXPECT_TRUE(std::isnan(v.x));
  EXPECT_TRUE(std::isnan(v.y));
  EXPECT_TRUE(std::isnan(v.z));
}

TEST(Vec3DNormalize, LengthThatUnderflowsToZeroCountsAsZero) {
  Vec3D v = vec(-1e-300, 1e-300, 0);  // the squares underflow, so len is exactly 0
  EXPECT_EQ(bits(v.normalize()), bits(0.0));
  expectBits(v, 0.0, 0.0, 0.0);
  Vec3D small = vec(0, -1e-150, 0);
  EXPECT_EQ(small.normalize(), 1e-150);
  expectBits(small, 0.0, -1.0, 0.0);
}

// The rotation matrix typed out from its definition, for comparing bits.
Vec3D rotatedByFormula(const Vec3D& v, double angle, const Vec3D& axis) {
  const double th = 6.283185308 - angle;
  const double s = std::sin(th), c = std::cos(th), t = 1 - c;
  const double ax = axis.x, ay = axis.y, az = axis.z;
  Vec3D r = v;
  r.x = (c + ax * ax * t) * v.x + (ax * ay * t - az * s) * v.y + (ax * az * t + ay * s) * v.z;
  r.y = (ax * ay * t + az * s) * v.x + (c + ay * ay * t) * v.y + (ay * az * t - ax * s) * v.z;
  r.z = (ax * az * t - ay * s) * v.x + (ay * az * t + ax * s) * v.y + (c + az * az * t) * v.z;
  return r;
}

TEST(Vec3DRotate, QuarterTurnAboutZIsMinusNinetyDegrees) {
  Vec3D v = vec(1, 0, 0);
  v.rotate(std::numbers::pi / 2, vec(0, 0, 1));
  EXPECT_NEAR(v.x, 0.0, 1e-9);
  EXPECT_NEAR(v.y, -1.0, 1e-15);
  EXPECT_EQ(v.z, 0.0);
  EXPECT_EQ(v.w, kWMarker);
}

TEST(Vec3DRotate, UsesTheDecimalTwoPiConstant) {
  // 6.283185308 exceeds 2*pi by about 8.2e-10, so a zero angle still turns a little.
  Vec3D v = vec(1, 0, 0);
  v.rotate(0.0, vec(0, 1, 0));
  EXPECT_EQ(v.x, std::cos(6.283185308));
  EXPECT_EQ(v.z, -std::sin(6.283185308));
  EXPECT_NE(v.z, 0.0);
  EXPECT_NEAR(v.z, -(6.283185308 - 2 * std::numbers::pi), 1e-15);
}

TEST(Vec3DRotate, NonUnitAxisIsUsedAsGiven) {
  const Vec3D start = vec(0.3, -1.7, 2.9);
  const Vec3D axis = vec(0.5, 2.0, -1.25);
  Vec3D v = start;
  v.rotate(1.234, axis);
  const Vec3D expected = rotatedByFormula(start, 1.234, axis);
  expectBits(v, expected.x, expected.y, expected.z);
  EXPECT_GT(std::abs(v.length() - start.length()), 0.1);  // a non-unit axis scales too
}

TEST(Vec3DRotate, ReceiverAsAxisUsesEntryValues) {
  const Vec3D start = vec(0.6, 0.0, 0.8);
  Vec3D v = start;
  v.rotate(2.5, v);
  const Vec3D expected = rotatedByFormula(start, 2.5, start);
  expectBits(v, expected.x, expected.y, expected.z);
  EXPECT_NEAR(v.x, start.x, 1e-15);  // a vector on its own unit axis stays put, up to rounding
  EXPECT_NEAR(v.y, start.y, 1e-15);
  EXPECT_NEAR(v.z, start.z, 1e-15);
}

TEST(Vec3DCross, RightHandedAndAliasSafe) {
  Vec3D v = vec(1, 0, 0);
  v.cross(vec(0, 1, 0));
  expectBits(v, 0, 0, 1);
  EXPECT_EQ(v.w, kWMarker);
  Vec3D u = vec(2, 3, 4);
  u.cross(vec(5, 6, 7));
  expectBits(u, -3, 6, -3);
  u.cross(u);
  expectBits(u, 0, 0, 0);
}

TEST(Vec3DIntersectLinePlane, HitsThePlane) {
  Vec3D v = vec(9, 9, 9);
  EXPECT_TRUE(v.intersectLinePlane(vec(1, 2, 5), vec(0, 0, -2), vec(7, 7, 1), vec(0, 0, 1)));
  expectBits(v, 1, 2, 1);
  EXPECT_EQ(v.w, kWMarker);
}

TEST(Vec3DIntersectLinePlane, ParallelLineLeavesReceiverAlone) {
  Vec3D v = vec(9, 8, 7);
  EXPECT_FALSE(v.intersectLinePlane(vec(0, 0, 5), vec(1, 1, 0), vec(0, 0, 0), vec(0, 0, 1)));
  expectBits(v, 9, 8, 7);
}

TEST(Vec3DIntersectLinePlane, ReceiverAsLinePointUsesEntryValues) {
  Vec3D v = vec(1, 2, 5);
  EXPECT_TRUE(v.intersectLinePlane(v, vec(1, 0, -1), vec(0, 0, 1), vec(0, 0, 1)));
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
