// The bounded form of a model line: the line patterns must give the same match and the same groups
// on it as on the whole line, for every line short enough to be matched at all.
#include "io/ModelLine.h"
#include "io/OBJ3D.h"

#include <cstdint>
#include <regex>
#include <string>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(ModelLineTest, CollapsesBlankRunsAndKeepsFourTokens) {
  EXPECT_EQ(ModelLine::of("v\t 1  \v2\f3 4 5").text(), "v 1 2 3");
  EXPECT_EQ(ModelLine::of("  v 1").text(), " v 1");
  EXPECT_EQ(ModelLine::of("k 1 2   ").text(), "k 1 2");
  EXPECT_EQ(ModelLine::of("").text(), "");
  EXPECT_EQ(ModelLine::of(" ").text(), " ");
  EXPECT_EQ(ModelLine::of(std::string("v\0 1", 4)).text(), std::string("v\0 1", 4));
  EXPECT_EQ(ModelLine::of("k 1 2   ").rawLength(), 8u);
}

TEST(ModelLineTest, OnlyAsciiBlanksSeparate) {
  for (char c : {'\xa0', '\x85', '\0'}) EXPECT_FALSE(ModelLine::isBlank(c)) << int(c);
  EXPECT_TRUE(ModelLine::isBlank('\v'));
  EXPECT_EQ(ModelLine::of("v\xa0"
                          "1 2")
                .text(),
            "v\xa0"
            "1 2");
}

TEST(ModelLineTest, TokensAreCutJustPastTheLimitAndMarked) {
  const std::string limit(ModelLine::kMaxTokenLength, '7');
  const ModelLine atLimit = ModelLine::of("v " + limit + " 1 2");
  EXPECT_FALSE(atLimit.overlong());
  EXPECT_EQ(atLimit.text(), "v " + limit + " 1 2");
  const ModelLine past = ModelLine::of("v " + limit + "777777 1 2");
  EXPECT_TRUE(past.overlong());
  EXPECT_EQ(past.text(), "v " + limit + "7 1 2");
  // A fifth token is dropped whole, so its length does not matter.
  EXPECT_FALSE(ModelLine::of("v 1 2 3 " + limit + limit).overlong());
}

// Random lines built from the characters the patterns care about, mostly well-formed tokens with
// some damage: every pattern must accept the bounded form exactly when it accepts the line, with
// the same groups.
TEST(ModelLineTest, PatternsMatchTheBoundedFormAsTheWholeLine) {
  const OBJ3D reader;
  const char* keywords[] = {"v", "vn", "f", "k", "v1", "", " ", "#"};
  const char* blanks[] = {" ", "  ", "\t", "\v", " \f", ""};
  const char* junk[] = {".", "-", "+", "e", "E", "/", "x", "\xa0", "1e5", "--"};
  std::uint32_t state = 12345;
  auto next = [&](std::uint32_t n) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % n;
  };
  auto digits = [&] { return std::to_string(next(1000)).substr(0, 1 + next(3)); };
  auto number = [&] {
    std::string n = std::string(next(4) == 0 ? next(3) : 0, '-') + digits();
    if (next(2)) n += "." + digits();
    if (next(3) == 0) n += std::string(next(2) ? "e" : "E") + (next(2) ? "-" : "") + digits();
    return n;
  };
  auto corner = [&] {
    auto run = [&] { return next(3) == 0 ? std::string() : digits(); };
    return run() + "/" + run() + "/" + run();
  };
  int accepted = 0;
  for (int i = 0; i < 4000; ++i) {
    const std::string keyword = keywords[next(8)];
    std::string raw = keyword;
    const std::uint32_t tokens = next(7);
    for (std::uint32_t t = 0; t < tokens; ++t) {
      raw += blanks[next(6)];
      if (next(2)) raw += blanks[next(6)];
      raw += keyword == "f" && next(4) != 0 ? corner() : number();
      if (next(6) == 0) raw += junk[next(10)];
    }
    const std::string text = ModelLine::of(raw).text();
    ASSERT_FALSE(ModelLine::of(raw).overlong());
    for (const char* keyword : {"v", "vn", "f", "k"}) {
      const std::regex& pattern = reader.patterns.at(keyword);
      const std::string shortened = ModelLine::of(raw, keyword == std::string("k") ? 3 : 4).text();
      std::smatch whole, bounded;
      const bool a = std::regex_search(raw, whole, pattern, std::regex_constants::match_continuous);
      const bool b = std::regex_search(shortened, bounded, pattern, std::regex_constants::match_continuous);
      ASSERT_EQ(a, b) << "line \"" << raw << "\", pattern " << keyword;
      accepted += a;
      // Group 0 spans the blank runs, which are shortened; the captured groups must be equal.
      for (std::size_t g = 1; a && g < whole.size(); ++g) {
        ASSERT_EQ(whole[g].str(), bounded[g].str()) << "line \"" << raw << "\", group " << g;
      }
    }
    std::smatch whole, bounded;
    const bool a = std::regex_search(raw, whole, reader.keywordPattern);
    const bool b = std::regex_search(text, bounded, reader.keywordPattern);
    ASSERT_EQ(a, b) << "line \"" << raw << "\"";
    if (a) {
      ASSERT_EQ(whole[1].str(), bounded[1].str());
    }
  }
  EXPECT_GT(accepted, 200);  // the generator does reach the accepting cases
}

}  // namespace
}  // namespace sv
