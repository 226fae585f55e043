// Plain lines read by hand must give what the reader's own patterns give: every keyword, and the
// groups of every line a hand reader accepts, on random lines of the bytes that matter and a few picked.
#include "io/OBJ3D.h"

#include <array>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace sv {
namespace {

// The groups the hand reader of `keyword`'s shape (or, given, `pattern`) reads, joined by '|', or "declined".
std::string groupsOf(std::string_view keyword, std::string_view line, const LinePattern* pattern = nullptr) {
  const PlainShape shape = keyword == "f"   ? PlainShape::threeCorners
                           : keyword == "k" ? PlainShape::twoNumbers
                                            : PlainShape::threeNumbers;
  const std::size_t groups = keyword == "f" ? 9 : keyword == "k" ? 2 : 3;
  std::string_view read[9];
  if (pattern ? !pattern->matchAtStart(line) : !readPlainLine(shape, keyword, line, {read, groups})) return "declined";
  std::string joined;
  for (std::size_t g = 0; g < groups; ++g)
    joined.append(g > 0 ? "|" : "").append(pattern ? pattern->group(g + 1) : read[g]);
  return joined;
}

TEST(PlainLineTest, RandomLinesReadAsTheirPatterns) {
  const OBJ3D reader;
  const std::string keywords[] = {"v", "vn", "f", "k"}, blanks[] = {" ", " ", "  ", "\t", "\v", "\f", "\r", ""};
  const std::string bytes[] = {"7", "0", ".", "-", "e", "E", "+", "/", "x", std::string(1, '\0'), "\x85", "\xa0"};
  const std::string fields[2][4] = {{"7", "-12", "1.5", "-0.25e-3"}, {"1/2/3", "4//5", "//", "12/7/"}};
  std::mt19937 random(20261207);
  int accepted[4] = {};
  for (int i = 0; i < 200000; ++i) {
    std::string line = keywords[i % 4];
    for (int n = 1 + random() % 4; n > 0; --n) {  // fields, some with a byte put in
      std::string field = fields[i % 4 == 2][random() % 4];
      if (random() % 3 == 0) field.insert(random() % (field.size() + 1), bytes[random() % std::size(bytes)]);
      line += blanks[random() % std::size(blanks)] + field;
    }
    const std::string_view tail = std::string_view(line).substr(1);  // starts with any byte
    const bool keyword = reader.keywordPattern.matchAtStart(tail);
    ASSERT_EQ(keywordOf(tail), keyword ? reader.keywordPattern.group(1) : "") << '"' << tail << '"';
    const std::string read = groupsOf(keywords[i % 4], line);
    if (read == "declined") continue;
    ++accepted[i % 4];
    ASSERT_EQ(read, groupsOf(keywords[i % 4], line, &reader.patterns.at(keywords[i % 4]))) << '"' << line << '"';
  }
  for (int n : accepted) EXPECT_GT(n, 1000);
}

// Lines whose last field the pattern takes in part, another keyword's line, no room for the groups.
TEST(PlainLineTest, PickedLines) {
  const std::array<const char*, 3> rows[] = {{"v", "v 1.5e-3 --2 7", "1.5e-3|--2|7"},
                                             {"v", "v\t-0.5\v2.0E+7\f3 x", "-0.5|2.0E+7|3"},
                                             {"f", "f 1//2 3/4/ //\r", "1||2|3|4||||"},
                                             {"v", "v 1 2 3.5e", "declined"},
                                             {"k", "k 1 2x", "1|2"},
                                             {"v", "w 1 2 3", "declined"},
                                             {"v", "v 1 2E5 3", "declined"}};
  for (const auto& [keyword, line, groups] : rows) EXPECT_EQ(groupsOf(keyword, line), groups) << line;
  std::string_view room[3];
  EXPECT_FALSE(readPlainLine(PlainShape::threeCorners, "f", "f 1/2/3 1/2/3 1/2/3", room));
  EXPECT_FALSE(readPlainLine(PlainShape::none, "v", "v 1 2 3", room));
}

}  // namespace
}  // namespace sv
