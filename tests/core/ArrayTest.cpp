// Array: growth keeps elements and zero-fills, shrinking keeps the leading ones, copies and moves
// leave both sides consistent, and an impossible size is refused before any arithmetic wraps.
#include "core/Array.h"
#include "scene/Vec3D.h"

#include <bit>
#include <cstdint>
#include <limits>
#include <new>
#include <utility>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(ArrayLength, GrowingZeroFillsEvenAfterShrinking) {
  Array<Vec3D> a(2);
  a[0].fill(7.0);
  a[1].fill(-1.0);
  a.setLength(1);
  a.setLength(5);  // same storage, but the old values must not come back
  EXPECT_EQ(a.length(), 5u);
  EXPECT_EQ(a[0].x, 7.0);
  for (std::size_t i = 1; i < 5; ++i) {
    const Vec3D& v = a[i];
    for (double d : {v.x, v.y, v.z, v.w}) EXPECT_EQ(std::bit_cast<std::uint64_t>(d), 0u) << i;
  }
}

TEST(ArrayLength, ManyDoublingsKeepEveryElement) {
  Array<std::int32_t> a;
  for (std::int32_t i = 0; i < 5000; ++i) {
    if (static_cast<std::size_t>(i) >= a.length()) a.setLength(a.empty() ? 1 : a.length() * 2);
    a[i] = i * 3;
  }
  EXPECT_EQ(a.length(), 8192u);
  for (std::int32_t i = 0; i < 5000; ++i) ASSERT_EQ(a[i], i * 3);
  for (std::size_t i = 5000; i < a.length(); ++i) ASSERT_EQ(a[i], 0);
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
