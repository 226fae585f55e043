// One compiled line pattern of the model reader, matched at the start of a line. On Linux it is PCRE2
// with its JIT compiler, on Windows the reader's own matching machine (LinePatternMachine.cpp); both
// keep their backtracking state on the heap under a match limit, so a line of megabytes costs time in
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
  // at the match limit counts as no match. The groups of the last successful match are views into
  // that subject; matching again replaces them, so one pattern serves one caller at a time.
  bool matchAtStart(std::string_view subject) const;
  // Group `index` of the last match (0 is the whole match); empty when the group took no part.
  std::string_view group(std::size_t index) const {
    if (index >= groups_ || offsets_[2 * index] == kUnset) return {};
    return {subject_.data() + offsets_[2 * index], offsets_[2 * index + 1] - offsets_[2 * index]};
  }

 private:
  static constexpr std::size_t kUnset = ~std::size_t{0};
  struct Engine;
  std::string text_;
  std::unique_ptr<Engine> engine_;
  // The last match as group reads it, kept out here so that reading a group is not a call: start and
  // end offsets of each group in subject_ (kUnset for a group that took no part), none after a miss.
  mutable std::string_view subject_;
  mutable const std::size_t* offsets_ = nullptr;
  mutable std::size_t groups_ = 0;
};

}  // namespace sv
