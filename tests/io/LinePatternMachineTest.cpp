// The Windows reader's matching machine, natively: every pattern the reader applies must accept the
// same lines and capture the same groups as the standard library's ECMAScript engine (the fuzz
// target's oracle, which agrees with PCRE2 on them), and syntax it cannot run is refused.
#include "fuzz/RegexOracle.h"
#include "io/LinePattern.h"
#include "io/OBJ3D.h"

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

// Lines made of the bytes the patterns care about (and some they do not), after each keyword.
// The oracle keeps each expression by the address of its text: patterns live as long as the program.
TEST(LinePatternMachineTest, RandomLinesMatchAsTheOracle) {
  static const OBJ3D reader;
  std::vector<const LinePattern*> patterns = {&reader.keywordPattern};
  for (const auto& [keyword, pattern] : reader.patterns) patterns.push_back(&pattern);
  const std::string bytes = std::string("vnfk#og 0123456789.-+eE/\t\v\f\r\x85\xa0x") + '\0';
  const char* starts[] = {"v ", "vn ", "f ", "k ", "# ", "o ", "", "mtllib ", "g ", "usemtl "};
  std::mt19937 random(20261207);
  std::vector<std::string> groups;
  for (int i = 0; i < 100000; ++i) {
    std::string line = starts[random() % std::size(starts)];
    for (int n = random() % 30; n > 0; --n) line += bytes[random() % bytes.size()];
    for (const LinePattern* pattern : patterns) {
      const bool expected = testing::oracleMatch(pattern->text(), line, groups);
      ASSERT_EQ(pattern->matchAtStart(line), expected) << pattern->text() << " on \"" << line << '"';
      for (std::size_t g = 0; g < groups.size(); ++g) ASSERT_EQ(pattern->group(g), groups[g]) << g;
    }
  }
}

// Syntax beyond the reader's patterns: empty branches, escapes in classes, ranges, counted repeats, a
// run that must give a byte back.
TEST(LinePatternMachineTest, OtherSyntaxMatchesAsTheOracle) {
  static const std::vector<LinePattern> patterns = [] {
    std::vector<LinePattern> made;
    for (const char* text : {"^(a|b|)c", "[x-z\\]]+(\\d{2,3})", "([^\\s]*)\\.(\\w?)", "\\t[\\-\\]]{1,}",
                             "(a|ab)(c|bcd)(d*)", "^a+ab|\\n"}) {
      made.emplace_back(text);
    }
    return made;
  }();
  std::vector<std::string> groups;
  for (const LinePattern& pattern : patterns) {
    for (const char* line :
         {"", "c", "ac", "bc", "]y12345", "x1.", "ab.c_", "\t-]-x", "abcd", "abcdd", "aab", "Zz.Q"}) {
      const bool expected = testing::oracleMatch(pattern.text(), line, groups);
      ASSERT_EQ(pattern.matchAtStart(line), expected) << pattern.text() << " on \"" << line << '"';
      for (std::size_t g = 0; g < groups.size(); ++g) EXPECT_EQ(pattern.group(g), groups[g]) << pattern.text() << g;
    }
  }
}

TEST(LinePatternMachineTest, SyntaxItCannotRunIsRefused) {
  for (const char* text : {"(a)+", "a*?", "a++", "a$", "(?:a)", "\\bx", "[a", "(a", "a)", "*a", "a{2,1}", "[z-a]"}) {
    EXPECT_THROW(LinePattern{text}, std::invalid_argument) << text;
  }
}

// Nested alternatives that fail only at the end try 3^20 paths: the step limit ends the search.
TEST(LinePatternMachineTest, RunawayBacktrackingGivesUpAsNoMatch) {
  std::string text = "^";
  for (int i = 0; i < 20; ++i) text += "(a|a|a)";
  const LinePattern pattern(text + "b");
  const std::string almost = std::string(20, 'a') + "c", line = std::string(20, 'a') + "b";
  EXPECT_FALSE(pattern.matchAtStart(almost));
  EXPECT_TRUE(pattern.matchAtStart(line));
  EXPECT_EQ(pattern.group(20), "a");
}

}  // namespace
}  // namespace sv
