// LinePattern on Boost.Regex (header-only, standalone), for the Windows build, whose cross toolchain
// has no PCRE2. Its Perl engine keeps backtracking state on the heap and gives up past a state count,
// so like PCRE2 it reads a line of megabytes in time proportional to its length and never overflows
// the stack.
#define BOOST_REGEX_STANDALONE
#include "io/LinePattern.h"

#include <boost/regex.hpp>
#include <locale>
#include <stdexcept>
#include <vector>

namespace sv {

struct LinePattern::Engine {
  boost::regex compiled;
  boost::match_results<const char*> match;
  std::vector<std::size_t> offsets;
};

LinePattern::LinePattern(std::string text) : text_(std::move(text)), engine_(std::make_unique<Engine>()) {
  // White space as the classic locale sees it, whatever locale the process has chosen.
  engine_->compiled.imbue(std::locale::classic());
  try {
    engine_->compiled.assign(text_, boost::regex::perl);
  } catch (const boost::regex_error& e) {
    throw std::invalid_argument("pattern " + text_ + ": " + e.what());
  }
  engine_->offsets.reserve(2 * (engine_->compiled.mark_count() + 1));
}

LinePattern::LinePattern(LinePattern&&) noexcept = default;
LinePattern& LinePattern::operator=(LinePattern&&) noexcept = default;
LinePattern::~LinePattern() = default;

bool LinePattern::matchAtStart(std::string_view subject) const {
  Engine& e = *engine_;
  const char* const begin = subject.empty() ? "" : subject.data();  // never a null range
  bool matched = false;
  try {
    matched = boost::regex_search(begin, begin + subject.size(), e.match, e.compiled, boost::match_continuous);
  } catch (const std::runtime_error&) {
    // Past the state count or the backtracking memory the engine allows: no match, as with PCRE2's
    // match limit.
  }
  e.offsets.clear();
  for (std::size_t i = 0; matched && i < e.match.size(); ++i) {
    const auto& g = e.match[i];
    e.offsets.push_back(g.matched ? static_cast<std::size_t>(g.first - begin) : kUnset);
    e.offsets.push_back(g.matched ? static_cast<std::size_t>(g.second - begin) : kUnset);
  }
  subject_ = subject;
  offsets_ = e.offsets.data();
  groups_ = e.offsets.size() / 2;
  return matched;
}

}  // namespace sv
