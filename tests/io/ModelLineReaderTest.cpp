// Splitting a model file into lines: the three terminators, a last line without one, line numbers.
#include "io/ModelLineReader.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

std::vector<std::string> linesOf(const std::string& content) {
  std::istringstream in(content);
  ModelLineReader reader(in);
  ModelLine line;
  std::vector<std::string> lines;
  while (reader.read(line)) {
    lines.push_back(line.text());
    EXPECT_EQ(reader.lineNumber(), lines.size());
  }
  EXPECT_FALSE(reader.read(line));
  return lines;
}

using Lines = std::vector<std::string>;

TEST(ModelLineReaderTest, EachTerminatorEndsOneLine) {
  EXPECT_EQ(linesOf("a\nb\r\nc\rd\n"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(linesOf("a\r\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(linesOf("a\n\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(linesOf("\n\n"), (Lines{"", ""}));
}

TEST(ModelLineReaderTest, LastLineCountsWithoutTerminator) {
  EXPECT_EQ(linesOf("o a\nv 1 2 3"), (Lines{"o a", "v 1 2 3"}));
  EXPECT_EQ(linesOf("x\r"), (Lines{"x"}));
  EXPECT_EQ(linesOf(""), Lines{});
}

TEST(ModelLineReaderTest, NulBytesStayInsideTheLine) {
  EXPECT_EQ(linesOf(std::string("v\0 1\n\0", 6)), (Lines{std::string("v\0 1", 4), std::string("\0", 1)}));
}

TEST(ModelLineReaderTest, LongLinesAreBoundedAndTheNextLineIsIntact) {
  const std::string huge(3 << 20, 'x');
  std::istringstream in("v " + huge + " 1\nk 1 2\n");
  ModelLineReader reader(in);
  ModelLine line;
  ASSERT_TRUE(reader.read(line));
  EXPECT_TRUE(line.overlong());
  EXPECT_EQ(line.rawLength(), huge.size() + 4);
  EXPECT_LE(line.text().size(), ModelLine::kMaxTokens * (ModelLine::kMaxTokenLength + 2));
  ASSERT_TRUE(reader.read(line));
  EXPECT_EQ(line.text(), "k 1 2");
  EXPECT_EQ(reader.lineNumber(), 2u);
}

}  // namespace
}  // namespace sv
