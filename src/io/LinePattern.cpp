// LinePattern on Boost.Regex in Perl syntax, read in the classic locale so that \s and \S mean the
// same bytes whatever locale the program runs in. One result block per pattern, reused for every line.
#include "io/LinePattern.h"

#include <boost/regex.hpp>
#include <locale>
#include <stdexcept>

namespace sv {

struct LinePattern::Engine {
  boost::regex expression;
  boost::match_results<const char*> match;
  bool matched = false;
};

LinePattern::LinePattern(std::string text) : text_(std::move(text)), engine_(std::make_unique<Engine>()) {
  engine_->expression.imbue(std::locale::classic());
  try {
    engine_->expression.assign(text_, boost::regex::perl);
  } catch (const boost::regex_error& error) {
    throw std::invalid_argument("pattern " + text_ + ": " + error.what());
  }
}

LinePattern::LinePattern(LinePattern&&) noexcept = default;
LinePattern& LinePattern::operator=(LinePattern&&) noexcept = default;
LinePattern::~LinePattern() = default;

bool LinePattern::matchAtStart(std::string_view subject) const {
  // match_continuous tries the start of the subject only: a pattern that fails there is not retried
  // at every later byte.
  Engine& engine = *engine_;
  gaveUp_ = false;
  try {
    engine.matched = boost::regex_search(subject.data(), subject.data() + subject.size(), engine.match,
                                         engine.expression, boost::match_continuous);
  } catch (const std::runtime_error&) {
    // Past the engine's bound on states visited (about the square of the line's length) or on the
    // memory of its backtracking: the match is abandoned.
    engine.matched = false;
    gaveUp_ = true;
  }
  return engine.matched;
}

std::string_view LinePattern::group(std::size_t index) const {
  const Engine& engine = *engine_;
  if (!engine.matched || index >= engine.match.size() || !engine.match[index].matched) return {};
  const auto& part = engine.match[index];
  return {part.first, static_cast<std::size_t>(part.second - part.first)};
}

}  // namespace sv
