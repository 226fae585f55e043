// One compiled line pattern of the model reader, matched at the start of a line, on Boost.Regex (its
// header-only form, the same engine on Linux and Windows). The engine keeps its backtracking state on
// the heap and gives up past a bound on the work a match may do, so a line of megabytes costs time in
// proportion to its length and never stack.
#pragma once

#include "core/Object.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace sv {

class LinePattern : public Object {
 public:
  // Throws std::invalid_argument naming the pattern when it does not compile.
  explicit LinePattern(std::string text);
  LinePattern(LinePattern&&) noexcept;
  LinePattern& operator=(LinePattern&&) noexcept;
  ~LinePattern() override;

  const std::string& text() const { return text_; }
  // True when the pattern matches a prefix of `subject` (the rest is ignored). A match that gives up
  // at the engine's limit counts as no match, and gaveUp() tells it apart. The groups of the last
  // successful match are views into that subject; matching again replaces them, so one pattern
  // serves one caller at a time.
  bool matchAtStart(std::string_view subject) const;
  // True when the last match stopped at the engine's limit rather than finding or ruling out a match.
  bool gaveUp() const { return gaveUp_; }
  // Group `index` of the last match (0 is the whole match); empty when the group took no part.
  std::string_view group(std::size_t index) const;

 private:
  struct Engine;
  std::string text_;
  std::unique_ptr<Engine> engine_;
  mutable bool gaveUp_ = false;
};

}  // namespace sv
