// Array: growth keeps elements and zero-fills, shrinking keeps the leading ones, copies and moves
// leave both sides consistent, and an impossible size is refused before any arithmetic wraps.
#include "core/Array.h"
#include "core/Vec3D.h"

#include <bit>
#include <cstdint>
#include <limits>
#include <new>
#include <utility>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(ArrayLength, GrowingZeroFillsEvenAfterShrinking) {
  Array<Vec3D> a(3);
  for (Vec3D& v : a) v.fill(-1.0);
  a[0].fill(7.0);
  a.setLength(1);
  a.setLength(3);  // same storage, but the old values must not come back
  a.setLength(6);  // new storage keeps the elements
  EXPECT_EQ(a.length(), 6u);
  EXPECT_EQ(a[0].x, 7.0);
  for (std::size_t i = 1; i < 6; ++i) {
    const Vec3D& v = a[i];
    for (double d : {v.x, v.y, v.z, v.w}) EXPECT_EQ(std::bit_cast<std::uint64_t>(d), 0u) << i;
  }
}

TEST(ArrayLength, ImpossibleSizeIsRefused) {
  Array<Vec3D> a(3);
  EXPECT_THROW(a.setLength(std::numeric_limits<std::size_t>::max() / 8), std::bad_array_new_length);
  EXPECT_EQ(a.length(), 3u);
}

TEST(ArrayCopyMove, CopiesAreIndependentAndMovedFromIsEmpty) {
  Array<std::int32_t> a(3);
  a[1] = 5;
  Array<std::int32_t> b(a);
  b[1] = 6;
  EXPECT_EQ(a[1], 5);
  Array<std::int32_t> c(10);
  c = a;
  c = c;  // self-assignment keeps the contents
  EXPECT_EQ(c.length(), 3u);
  EXPECT_EQ(c[1], 5);

  Array<std::int32_t> d(std::move(b));
  EXPECT_EQ(d[1], 6);
  EXPECT_EQ(b.length(), 0u);  // NOLINT(bugprone-use-after-move): the moved-from state is the point
  b.setLength(2);             // and it can be used again
  EXPECT_EQ(b[1], 0);
  c = std::move(d);
  EXPECT_EQ(c.length(), 3u);
  EXPECT_EQ(c[1], 6);
  EXPECT_TRUE(d.empty());  // NOLINT(bugprone-use-after-move)
}

}  // namespace
}  // namespace sv
