// LinePattern on PCRE2 (8-bit code units, no UTF): compiled anchored, JIT-compiled where the CPU
// allows, with one match block per pattern reused for every line.
#include "io/LinePattern.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>
#include <cstdint>
#include <stdexcept>
#include <type_traits>

namespace sv {

namespace {

// Far above what any pattern of the reader needs on a line of any length (each is linear), low
// enough that a pattern that backtracked badly would give up instead of hanging the load.
constexpr std::uint32_t kMatchLimit = 100'000'000;

static_assert(std::is_same_v<PCRE2_SIZE, std::size_t> && PCRE2_UNSET == ~std::size_t{0},
              "group() reads PCRE2's offsets directly");

}  // namespace

struct LinePattern::Engine {
  pcre2_code* code = nullptr;
  pcre2_match_data* matchData = nullptr;
  pcre2_match_context* context = nullptr;
  bool jitCompiled = false;

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
  engine_->jitCompiled = pcre2_jit_compile(engine_->code, PCRE2_JIT_COMPLETE) == 0;
  engine_->matchData = pcre2_match_data_create_from_pattern(engine_->code, nullptr);
  engine_->context = pcre2_match_context_create(nullptr);
  pcre2_set_match_limit(engine_->context, kMatchLimit);
}

LinePattern::LinePattern(LinePattern&&) noexcept = default;
LinePattern& LinePattern::operator=(LinePattern&&) noexcept = default;
LinePattern::~LinePattern() = default;

bool LinePattern::matchAtStart(std::string_view subject) const {
  // The JIT entry point skips pcre2_match's option checks, which hold for every call made here.
  const auto match = engine_->jitCompiled ? pcre2_jit_match : pcre2_match;
  const int result = match(engine_->code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0, 0,
                           engine_->matchData, engine_->context);
  subject_ = subject;
  offsets_ = pcre2_get_ovector_pointer(engine_->matchData);
  // A match returns one more than its highest group that took part; the groups after it read as unset.
  groups_ = result > 0 ? static_cast<std::size_t>(result) : 0;
  return result > 0;
}

}  // namespace sv
