// LinePattern on the standard library's ECMAScript engine, for the Windows build, whose cross
// toolchain has no PCRE2. That engine recurses once per character, so lines longer than
// kLongestLine are refused (no match) instead of overflowing the stack.
#include "io/LinePattern.h"

#include <locale>
#include <regex>

namespace sv {

namespace {

constexpr std::size_t kLongestLine = 4096;

}  // namespace

struct LinePattern::Engine {
  std::regex compiled;
  std::match_results<std::string_view::const_iterator> match;
  std::string_view subject;
  bool matched = false;
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
  engine_->subject = subject;
  engine_->matched =
      subject.size() <= kLongestLine && std::regex_search(subject.begin(), subject.end(), engine_->match,
                                                          engine_->compiled, std::regex_constants::match_continuous);
  return engine_->matched;
}

std::string_view LinePattern::group(std::size_t index) const {
  if (!engine_->matched || index >= engine_->match.size() || !engine_->match[index].matched) return {};
  const auto& g = engine_->match[index];
  return engine_->subject.substr(static_cast<std::size_t>(g.first - engine_->subject.begin()),
                                 static_cast<std::size_t>(g.length()));
}

}  // namespace sv
