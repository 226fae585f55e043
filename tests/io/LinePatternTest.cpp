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

// Nested alternatives that fail only at their end would try 3^24 ways before saying no.
std::string runaway(const std::string& start) {
  std::string text = start;
  for (int i = 0; i < 24; ++i) text += "(a|a|a)";
  return text + "b";
}

TEST(LinePatternTest, RunawayMatchGivesUpAndTheNextMatchesAgain) {
  const LinePattern pattern(runaway("^"));
  EXPECT_FALSE(pattern.matchAtStart(std::string(24, 'a') + "c"));
  EXPECT_TRUE(pattern.gaveUp());
  EXPECT_EQ(pattern.group(0), "");
  const std::string line = std::string(24, 'a') + "b!";
  EXPECT_TRUE(pattern.matchAtStart(line));
  EXPECT_FALSE(pattern.gaveUp());
  EXPECT_EQ(pattern.group(0), std::string(24, 'a') + "b");
  EXPECT_EQ(pattern.group(24), "a");
  EXPECT_EQ(pattern.group(25), "");
}

// The line given up is dropped once, with its place; a v line's number goes with it.
TEST(LinePatternTest, ReaderDropsALineWhoseMatchGivesUp) {
  OBJ3D reader;
  const std::string number = "\\s+([0-9]+)";
  reader.patterns.at("v") = LinePattern(runaway("^v" + number + number + number));
  reader.patterns.at("k") = LinePattern(runaway("^k" + number + number));
  const std::string tail = std::string(24, 'a') + "c\n", matched = std::string(24, 'a') + "b\n";
  std::istringstream in("o a\nv 1 2 3" + tail + "v 1 2 3" + matched + "v 4 5 6" + matched + "k 2 3" + tail +
                        "k 2 3" + matched + "k 1 3" + matched);
  ::testing::internal::CaptureStderr();
  reader.loadFrom(in, "m.obj");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "m.obj:2: 'v' line is too costly to match; line skipped\n"
            "m.obj:5: 'k' line is too costly to match; line skipped\n"
            "m.obj:7: spring names vertex 1, which line 2 dropped; spring skipped\n");
  EXPECT_EQ(testing::describe(*reader.objects[0]), "v5,10,15 v20,25,30 k0,1 ");
}

// A repeated group takes backtracking state for every byte it passes: a megabyte of them must end in
// a match or a given-up search, never in a stack overflow.
TEST(LinePatternTest, GroupRepeatedOverAMegabyteLineKeepsOffTheStack) {
  const LinePattern pattern("^(a|b)*(c)");
  std::string line(OBJ3D::kMaxLineLength - 1, 'a');
  EXPECT_FALSE(pattern.matchAtStart(line + "c"));
  EXPECT_TRUE(pattern.gaveUp());
}

}  // namespace
}  // namespace sv
