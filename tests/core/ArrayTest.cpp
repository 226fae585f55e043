// Array: a longer length keeps the leading elements and zero-fills the new ones, on the heap and in
// pages of its own (from ArrayStorage::kPagesFrom bytes on), also where a shorter length left values.
#include "core/Array.h"

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(ArrayTest, LongerLengthKeepsTheLeadingElementsAndZeroFillsTheRest) {
  Array<double> a;
  for (std::size_t length = 256; length <= 4 * ArrayStorage::kPagesFrom / sizeof(double); length *= 2) {
    a.setLength(length / 4);  // leaves values past the length in the storage
    a.setLength(length);
    for (std::size_t i = 0; i < length; ++i) ASSERT_EQ(a[i], i < length / 4 && length > 256 ? i + 1.0 : 0.0) << i;
    for (std::size_t i = 0; i < length; ++i) a[i] = i + 1.0;
  }
}

}  // namespace
}  // namespace sv
