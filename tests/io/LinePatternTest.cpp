// The pattern engine's limits: a match that would run away gives up and the reader drops its line with
// a message; a megabyte line is matched without growing the stack.
#include "ReaderHarness.h"
#include "io/LinePattern.h"
#include "io/OBJ3D.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace sv {
namespace {

// 24 nested alternatives fail only after 3^24 ways: such a line is dropped, numbered, and the next one read.
TEST(LinePatternTest, ReaderDropsALineWhoseMatchGivesUp) {
  OBJ3D reader;
  std::string number = "\\s+([0-9]+)", runaway, given = std::string(24, 'a') + "c\n", read = given;
  for (int i = 0; i < 24; ++i) runaway += "(a|a|a)";
  read.end()[-2] = 'b';
  reader.patterns.at("v") = LinePattern("^v" + number + number + number + runaway + "b");
  reader.patterns.at("k") = LinePattern("^k" + number + number + runaway + "b");
  std::istringstream in("o a\nv 1 2 3" + given + "v 1 2 3" + read + "v 4 5 6" + read + "k 2 3" + given + "k 2 3" +
                        read + "k 1 3" + read);
  ::testing::internal::CaptureStderr();
  reader.loadFrom(in, "m.obj");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "m.obj:2: 'v' line is too costly to match; line skipped\n"
            "m.obj:5: 'k' line is too costly to match; line skipped\n"
            "m.obj:7: spring names vertex 1, which line 2 dropped; spring skipped\n");
  EXPECT_EQ(test::describe(*reader.objects[0]), "v5,10,15 v20,25,30 k0,1 ");
}

// A repeated group keeps backtracking state per byte: over a megabyte, the search gives up, the stack holds.
TEST(LinePatternTest, GroupRepeatedOverAMegabyteLineKeepsOffTheStack) {
  const LinePattern pattern("^(a|b)*(c)");
  EXPECT_FALSE(pattern.matchAtStart(std::string(OBJ3D::kMaxLineLength - 1, 'a') + "c"));
  EXPECT_TRUE(pattern.gaveUp());
  EXPECT_EQ(pattern.group(2), "");
}

}  // namespace
}  // namespace sv
