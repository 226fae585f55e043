// LinePattern on a small matching machine of its own, for the Windows build, whose cross toolchain has
// no PCRE2. The pattern compiles to a few instructions (byte sets, runs of one set, splits, group
// marks) that a loop runs with its backtracking on a heap stack, under a step limit as PCRE2's match
// limit: a line of megabytes costs time in proportion to its length and never stack. It reads the
// subset of PCRE2's syntax the reader's patterns use; any other construct is refused when compiling.
#include "io/LinePattern.h"

#include <array>
#include <bit>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace sv {

namespace {

// As PCRE2's match limit: far above what a linear pattern needs on any line, and a pattern that
// backtracked badly gives up instead of hanging the load.
constexpr std::size_t kStepLimit = 100'000'000;
constexpr std::uint32_t kUnbounded = ~std::uint32_t{0};

struct ByteSet {
  std::array<std::uint64_t, 4> bits{};
  bool has(unsigned char c) const { return (bits[c >> 6] >> (c & 63)) & 1; }
  void add(unsigned char c) { bits[c >> 6] |= std::uint64_t{1} << (c & 63); }
  void add(const ByteSet& other) {
    for (int i = 0; i < 4; ++i) bits[i] |= other.bits[i];
  }
  ByteSet inverted() const {
    ByteSet out;
    for (int i = 0; i < 4; ++i) out.bits[i] = ~bits[i];
    return out;
  }
};

ByteSet range(unsigned char first, unsigned char last) {
  ByteSet set;
  for (unsigned c = first; c <= last; ++c) set.add(static_cast<unsigned char>(c));
  return set;
}

// \s as PCRE2 reads it without Unicode support: space, tab, LF, VT, FF, CR.
ByteSet space() {
  ByteSet set;
  for (char c : {' ', '\t', '\n', '\v', '\f', '\r'}) set.add(static_cast<unsigned char>(c));
  return set;
}

// set: one byte of the set. run: min to max bytes of the set, as many as there are first. split: go on
// with the next instruction, and try `target` when that fails. mark: the offset into slot `slot` (2g
// and 2g + 1 are group g's start and end; group 0 is the whole match).
enum class Op : std::uint8_t { set, run, split, jump, mark, lineStart, match };

struct Instruction {
  Op op;
  std::uint32_t set = 0;  // index into the set table (set, run)
  std::uint32_t min = 0, max = 0;
  std::uint32_t target = 0;  // split's other branch, jump's destination
  std::uint32_t slot = 0;    // mark
  // A run whose next byte must fall outside its set: giving a byte back can never lead to a match.
  bool possessive = false;
};

bool disjoint(const ByteSet& a, const ByteSet& b) {
  return ((a.bits[0] & b.bits[0]) | (a.bits[1] & b.bits[1]) | (a.bits[2] & b.bits[2]) | (a.bits[3] & b.bits[3])) == 0;
}

// Marks each run that the next byte-taking instruction (past group marks) must follow with a byte
// outside the run's set, as PCRE2 makes such repeats possessive.
void markPossessiveRuns(std::vector<Instruction>& code, const std::vector<ByteSet>& sets) {
  for (std::size_t i = 0; i < code.size(); ++i) {
    if (code[i].op != Op::run) continue;
    std::size_t next = i + 1;
    while (code[next].op == Op::mark) ++next;
    const Instruction& after = code[next];
    code[i].possessive =
        (after.op == Op::set || (after.op == Op::run && after.min > 0)) && disjoint(sets[code[i].set], sets[after.set]);
  }
}

// Recursive descent over the pattern text (its depth is the pattern's nesting, not the line's length)
// emitting the instructions as it goes.
class Compiler {
 public:
  explicit Compiler(const std::string& text) : text_(text) {}

  void compile(std::vector<Instruction>& code, std::vector<ByteSet>& sets, std::uint32_t& groups) {
    code_ = &code, sets_ = &sets;
    emit({Op::mark, 0, 0, 0, 0, 0});
    alternation();
    if (at_ < text_.size()) fail("unmatched )");
    emit({Op::mark, 0, 0, 0, 0, 1});
    emit({Op::match});
    groups = groups_;
  }

 private:
  [[noreturn]] void fail(const char* why) const {
    throw std::invalid_argument("pattern " + text_ + ": " + why + " at offset " + std::to_string(at_));
  }
  bool more() const { return at_ < text_.size(); }
  char peek() const { return text_[at_]; }
  std::uint32_t here() const { return static_cast<std::uint32_t>(code_->size()); }
  void emit(const Instruction& instruction) { code_->push_back(instruction); }

  // a|b|c: split to a, else split to b, else c; each branch but the last jumps to the end.
  void alternation() {
    std::vector<std::uint32_t> jumps;
    for (;;) {
      const std::uint32_t split = here();
      emit({Op::split});
      sequence();
      if (!more() || peek() != '|') {
        code_->erase(code_->begin() + split);  // the last branch needs no split: shift it back by one
        for (auto i = split; i < here(); ++i) relocate((*code_)[i], split);
        break;
      }
      ++at_;
      jumps.push_back(here());
      emit({Op::jump});
      (*code_)[split].target = here();
    }
    for (std::uint32_t j : jumps) (*code_)[j].target = here();
  }
  // Branch targets at or after `from` move back by one when the instruction at `from` is removed.
  static void relocate(Instruction& instruction, std::uint32_t from) {
    if ((instruction.op == Op::split || instruction.op == Op::jump) && instruction.target > from) --instruction.target;
  }

  void sequence() {
    while (more() && peek() != '|' && peek() != ')') atom();
  }

  void atom() {
    const char c = text_[at_++];
    if (c == '^') {
      emit({Op::lineStart});
      if (more() && isQuantifier(peek())) fail("quantifier after ^");
      return;
    }
    if (c == '(') {
      if (more() && peek() == '?') fail("group options are not supported");
      const std::uint32_t group = ++groups_;
      emit({Op::mark, 0, 0, 0, 0, 2 * group});
      alternation();
      if (!more() || peek() != ')') fail("missing )");
      ++at_;
      emit({Op::mark, 0, 0, 0, 0, 2 * group + 1});
      if (more() && isQuantifier(peek())) fail("a quantified group is not supported");
      return;
    }
    if (c == ')' || isQuantifier(c)) fail("nothing to repeat or an unmatched )");
    ByteSet set;
    if (c == '[') {
      set = bracket();
    } else if (c == '\\') {
      set = escape();
    } else if (c == '.') {
      set = ByteSet{}.inverted();
      set.bits[0] &= ~(std::uint64_t{1} << '\n');
    } else if (c == '$') {
      fail("$ is not supported");
    } else {
      set.add(static_cast<unsigned char>(c));
    }
    std::uint32_t min = 1, max = 1;
    quantifier(min, max);
    sets_->push_back(set);
    const auto index = static_cast<std::uint32_t>(sets_->size() - 1);
    emit({min == 1 && max == 1 ? Op::set : Op::run, index, min, max});
  }

  static bool isQuantifier(char c) { return c == '*' || c == '+' || c == '?' || c == '{'; }

  void quantifier(std::uint32_t& min, std::uint32_t& max) {
    if (!more()) return;
    const char c = peek();
    if (c == '*') min = 0, max = kUnbounded;
    if (c == '+') min = 1, max = kUnbounded;
    if (c == '?') min = 0, max = 1;
    if (c == '{') {
      ++at_;
      min = max = number();
      if (more() && peek() == ',') {
        ++at_;
        max = more() && peek() == '}' ? kUnbounded : number();
      }
      if (!more() || peek() != '}' || max < min) fail("bad {n,m}");
    } else if (!isQuantifier(c)) {
      return;
    }
    ++at_;
    if (more() && (peek() == '?' || peek() == '+' || isQuantifier(peek())))
      fail("only greedy quantifiers are supported");
  }

  std::uint32_t number() {
    std::uint64_t value = 0;
    const std::size_t start = at_;
    while (more() && peek() >= '0' && peek() <= '9' && value < 65536) value = value * 10 + (text_[at_++] - '0');
    if (at_ == start || value >= 65536) fail("bad repeat count");
    return static_cast<std::uint32_t>(value);
  }

  // After a backslash: a class (\s \S \d \D \w \W), a control character, or a punctuation byte itself.
  ByteSet escape() {
    if (!more()) fail("\\ at the end");
    const char c = text_[at_++];
    ByteSet set;
    const ByteSet word = [] {
      ByteSet w = range('a', 'z');
      w.add(range('A', 'Z'));
      w.add(range('0', '9'));
      w.add('_');
      return w;
    }();
    switch (c) {
      case 's':
        return space();
      case 'S':
        return space().inverted();
      case 'd':
        return range('0', '9');
      case 'D':
        return range('0', '9').inverted();
      case 'w':
        return word;
      case 'W':
        return word.inverted();
      default:
        break;
    }
    const std::string_view controls = "t\tn\nr\rf\fv\v";  // each letter, then the byte it stands for
    if (const auto at = controls.find(c); at != std::string_view::npos && at % 2 == 0) {
      set.add(static_cast<unsigned char>(controls[at + 1]));
      return set;
    }
    const auto u = static_cast<unsigned char>(c);
    if ((u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')) fail("unsupported escape");
    set.add(u);
    return set;
  }

  // After [: items up to ], a ] first being itself; ranges a-b; escapes; ^ first inverts.
  ByteSet bracket() {
    const bool inverted = more() && peek() == '^';
    if (inverted) ++at_;
    ByteSet set;
    for (bool first = true; more() && (first || peek() != ']'); first = false) {
      const bool escaped = peek() == '\\';
      ++at_;
      ByteSet item = escaped ? escape() : ByteSet{};
      if (!escaped) item.add(static_cast<unsigned char>(text_[at_ - 1]));
      const int bytes = std::popcount(item.bits[0]) + std::popcount(item.bits[1]) + std::popcount(item.bits[2]) +
                        std::popcount(item.bits[3]);
      if (bytes == 1 && at_ + 1 < text_.size() && peek() == '-' && text_[at_ + 1] != ']') {
        ++at_;
        if (peek() == '\\') fail("escape as the end of a range");
        const unsigned char low = lowest(item), high = static_cast<unsigned char>(text_[at_++]);
        if (high < low) fail("range out of order");
        item = range(low, high);
      }
      set.add(item);
    }
    if (!more()) fail("missing ]");
    ++at_;
    return inverted ? set.inverted() : set;
  }

  static unsigned char lowest(const ByteSet& set) {
    for (unsigned c = 0; c < 256; ++c) {
      if (set.has(static_cast<unsigned char>(c))) return static_cast<unsigned char>(c);
    }
    return 0;
  }

  const std::string& text_;
  std::size_t at_ = 0;
  std::uint32_t groups_ = 0;
  std::vector<Instruction>* code_ = nullptr;
  std::vector<ByteSet>* sets_ = nullptr;
};

}  // namespace

struct LinePattern::Engine {
  std::vector<Instruction> code;
  std::vector<ByteSet> sets;
  std::uint32_t groups = 0;  // capturing groups, not counting the whole match
  std::vector<std::size_t> offsets;
  // What to undo when a branch fails: the branch to try next (kind alternative), a run that can give
  // back a byte (kind run: its next instruction, shortest end, current end), or a mark's old value.
  struct Backtrack {
    enum class Kind : std::uint8_t { alternative, run, mark } kind;
    std::uint32_t pc;  // alternative, run: where to go on; mark: the slot
    std::size_t position, end;
  };
  // The backtracking stack: its used part is [0, top); it only grows, and only past the pattern's size
  // when runs give bytes back.
  std::vector<Backtrack> stack = std::vector<Backtrack>(64);
  std::size_t top = 0;

  void push(const Backtrack& entry) {
    if (top == stack.size()) stack.resize(2 * stack.size());
    stack[top++] = entry;
  }
  bool run(const unsigned char* subject, std::size_t size);
};

bool LinePattern::Engine::run(const unsigned char* subject, std::size_t size) {
  offsets.assign(2 * (groups + 1), kUnset);
  top = 0;
  std::uint32_t pc = 0;
  std::size_t position = 0, steps = 0;
  for (;;) {
    const Instruction& in = code[pc];
    bool ok = true;
    switch (in.op) {
      case Op::set:
        ok = position < size && sets[in.set].has(subject[position]);
        ++position, ++pc;
        break;
      case Op::run: {
        const ByteSet& set = sets[in.set];
        const std::size_t room = size - position, most = in.max < room ? in.max : room;
        std::size_t taken = 0;
        while (taken < most && set.has(subject[position + taken])) ++taken;
        ok = taken >= in.min;
        if (ok && taken > in.min && !in.possessive)
          push({Backtrack::Kind::run, pc + 1, position + in.min, position + taken});
        position += taken, ++pc;
        break;
      }
      case Op::split:
        push({Backtrack::Kind::alternative, in.target, position, 0});
        ++pc;
        break;
      case Op::jump:
        pc = in.target;
        break;
      case Op::mark:
        // With no choice left behind, a failure ends the match and nothing needs the old value back.
        if (top > 0) push({Backtrack::Kind::mark, in.slot, offsets[in.slot], 0});
        offsets[in.slot] = position;
        ++pc;
        break;
      case Op::lineStart:
        ok = position == 0;
        ++pc;
        break;
      case Op::match:
        return true;
    }
    if (ok) continue;
    // Back to the latest choice, undoing the marks set since.
    for (bool resumed = false; !resumed;) {
      if (top == 0 || ++steps > kStepLimit) return false;
      Backtrack& last = stack[top - 1];
      switch (last.kind) {
        case Backtrack::Kind::mark:
          offsets[last.pc] = last.position;
          --top;
          break;
        case Backtrack::Kind::alternative:
          pc = last.pc, position = last.position;
          --top;
          resumed = true;
          break;
        case Backtrack::Kind::run:
          pc = last.pc, position = --last.end;
          if (last.end == last.position) --top;
          resumed = true;
          break;
      }
    }
  }
}

LinePattern::LinePattern(std::string text) : text_(std::move(text)), engine_(std::make_unique<Engine>()) {
  Compiler(text_).compile(engine_->code, engine_->sets, engine_->groups);
  markPossessiveRuns(engine_->code, engine_->sets);
}

LinePattern::LinePattern(LinePattern&&) noexcept = default;
LinePattern& LinePattern::operator=(LinePattern&&) noexcept = default;
LinePattern::~LinePattern() = default;

bool LinePattern::matchAtStart(std::string_view subject) const {
  const bool matched = engine_->run(reinterpret_cast<const unsigned char*>(subject.data()), subject.size());
  subject_ = subject;
  offsets_ = engine_->offsets.data();
  groups_ = matched ? engine_->groups + 1 : 0;
  return matched;
}

}  // namespace sv
