// LinePattern on PCRE2 (8-bit code units, no UTF): compiled anchored, JIT-compiled where the CPU
// allows, with one match block per pattern reused for every line.
#include "io/LinePattern.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>
#include <stdexcept>

namespace sv {

namespace {

// Far above what any pattern of the reader needs on a line of any length (each is linear), low
// enough that a pattern that backtracked badly would give up instead of hanging the load.
constexpr std::uint32_t kMatchLimit = 100'000'000;

}  // namespace

struct LinePattern::Engine {
  pcre2_code* code = nullptr;
  pcre2_match_data* matchData = nullptr;
  pcre2_match_context* context = nullptr;
  std::string_view subject;
  bool matched = false;

  ~Engine() {
    pcre2_match_context_free(context);
    pcre2_match_data_free(matchData);
    pcre2_code_free(code);
  }
};

LinePattern::LinePattern(std::string text) : text_(std::move(text)), engine_(std::make_unique<Engine>()) {
  int error = 0;
  PCRE2_SIZE offset = 0;
  engine_->code =
      pcre2_compile(reinterpret_cast<PCRE2_SPTR>(text_.data()), text_.size(), PCRE2_ANCHORED, &error, &offset, nullptr);
  if (engine_->code == nullptr) {
    PCRE2_UCHAR reason[256];
    pcre2_get_error_message(error, reason, sizeof reason);
    throw std::invalid_argument("pattern " + text_ + ": " + reinterpret_cast<const char*>(reason));
  }
  // Without JIT support (some CPUs) PCRE2 interprets the pattern with the same results.
  pcre2_jit_compile(engine_->code, PCRE2_JIT_COMPLETE);
  engine_->matchData = pcre2_match_data_create_from_pattern(engine_->code, nullptr);
  engine_->context = pcre2_match_context_create(nullptr);
  pcre2_set_match_limit(engine_->context, kMatchLimit);
}

LinePattern::LinePattern(LinePattern&&) noexcept = default;
LinePattern& LinePattern::operator=(LinePattern&&) noexcept = default;
LinePattern::~LinePattern() = default;

bool LinePattern::matchAtStart(std::string_view subject) const {
  const int result = pcre2_match(engine_->code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0, 0,
                                 engine_->matchData, engine_->context);
  engine_->subject = subject;
  engine_->matched = result > 0;
  return engine_->matched;
}

std::string_view LinePattern::group(std::size_t index) const {
  if (!engine_->matched || index >= pcre2_get_ovector_count(engine_->matchData)) return {};
  const PCRE2_SIZE* offsets = pcre2_get_ovector_pointer(engine_->matchData);
  if (offsets[2 * index] == PCRE2_UNSET) return {};
  return engine_->subject.substr(offsets[2 * index], offsets[2 * index + 1] - offsets[2 * index]);
}

}  // namespace sv
