// LinePattern on the standard library's ECMAScript engine, for the Windows build, whose cross
// toolchain has no PCRE2. That engine recurses once per character, so lines longer than
// kLongestLine are refused (no match) instead of overflowing the stack.
#include "io/LinePattern.h"

#include <locale>
#include <regex>
#include <vector>

namespace sv {

namespace {

constexpr std::size_t kLongestLine = 4096;

}  // namespace

struct LinePattern::Engine {
  std::regex compiled;
  std::match_results<std::string_view::const_iterator> match;
  std::vector<std::size_t> offsets;
};

LinePattern::LinePattern(std::string text) : text_(std::move(text)), engine_(std::make_unique<Engine>()) {
  // White space as the classic locale sees it, whatever locale the process has chosen.
  engine_->compiled.imbue(std::locale::classic());
  engine_->compiled.assign(text_);
}

LinePattern::LinePattern(LinePattern&&) noexcept = default;
LinePattern& LinePattern::operator=(LinePattern&&) noexcept = default;
LinePattern::~LinePattern() = default;

bool LinePattern::matchAtStart(std::string_view subject) const {
  Engine& e = *engine_;
  const bool matched = subject.size() <= kLongestLine &&
                       std::regex_search(subject.begin(), subject.end(), e.match, e.compiled,
                                         std::regex_constants::match_continuous);
  e.offsets.clear();
  for (std::size_t i = 0; matched && i < e.match.size(); ++i) {
    const auto& g = e.match[i];
    const bool took = g.matched;
    e.offsets.push_back(took ? static_cast<std::size_t>(g.first - subject.begin()) : kUnset);
    e.offsets.push_back(took ? static_cast<std::size_t>(g.second - subject.begin()) : kUnset);
  }
  subject_ = subject;
  offsets_ = e.offsets.data();
  groups_ = e.offsets.size() / 2;
  return matched;
}

}  // namespace sv
