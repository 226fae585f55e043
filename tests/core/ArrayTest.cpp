#include "core/Array.h"

#include <gtest/gtest.h>

#include "scene/Vec3D.h"

namespace sv {
namespace {

TEST(ArrayTest, GrowingZeroFillsAndKeepsElements) {
  Array<Vec3D> a(2);
  a[0].fill(7.0);
  a.setLength(5);
  EXPECT_EQ(a.length(), 5u);
  EXPECT_EQ(a[0].x, 7.0);
  for (std::size_t i = 1; i < 5; ++i) {
    EXPECT_EQ(a[i].x, 0.0);
    EXPECT_EQ(a[i].w, 0.0);
  }
  a.setLength(1);
  EXPECT_EQ(a.length(), 1u);
  EXPECT_EQ(a[0].x, 7.0);
}

}  // namespace
}  // namespace sv
