// One line of a model file in a bounded form that the line patterns match exactly as they would
// match the whole line. Every pattern is anchored at the start, uses white space only as \s+ between
// tokens and never looks past the end of its fourth token; so collapsing each run of blanks to one
// space and keeping the first four tokens changes no match. Tokens are cut after kMaxTokenLength + 1
// characters, which marks them overlong: the standard regex engine recurses once per character and
// would overflow the stack on a long token, so such lines are refused rather than matched.
#pragma once

#include "core/Object.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace sv {

class ModelLine : public Object {
 public:
  static constexpr std::size_t kMaxTokens = 4;
  static constexpr std::size_t kMaxTokenLength = 256;

  // The bounded form of a whole line; a pattern that reads fewer tokens may ask for fewer.
  static ModelLine of(std::string_view raw, std::size_t maxTokens = kMaxTokens);

  // Feeds the next character of the line (never a line terminator).
  void append(char c);
  void clear();

  // The bounded form: a leading blank run and the separators as single spaces, at most
  // kMaxTokens tokens, none longer than kMaxTokenLength + 1 characters.
  const std::string& text() const { return text_; }
  // True when one of the kept tokens was cut.
  bool overlong() const { return overlong_; }
  std::size_t rawLength() const { return rawLength_; }

  // White space as the line patterns' \s sees it (the classic locale).
  static bool isBlank(char c);

 private:
  std::size_t maxTokens_ = kMaxTokens;
  std::string text_;
  std::size_t tokens_ = 0;
  std::size_t tokenLength_ = 0;
  std::size_t rawLength_ = 0;
  bool inBlank_ = false;
  bool overlong_ = false;
};

}  // namespace sv
