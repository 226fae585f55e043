// Why the hand readers give the patterns' groups: in each pattern a run of digits, minus signs or
// blanks is followed by a byte it cannot take, so the pattern never gives a byte back and every run is
// as long as the line allows. kNumber's alternatives come longest first, each the one before without
// its last part: the pattern takes a part whenever the line has all of it, as the number reader does.
// Where the line has only the start of a part (as "1." or "1.5e+"), the pattern would fall back to a
// shorter alternative; the hand reader declines instead.
#include "io/PlainLine.h"

namespace sv {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A cursor over one line; each read moves past what it takes and tells whether it took what it needs.
struct Cursor {
  std::string_view line;
  std::size_t at;

  bool take(char c) {
    if (at == line.size() || line[at] != c) return false;
    ++at;
    return true;
  }
  std::size_t run(bool (*in)(char)) {
    const std::size_t start = at;
    while (at < line.size() && in(line[at])) ++at;
    return at - start;
  }
  // [-]*[0-9]+ with an optional \.[0-9]+ and, after that, an optional [eE][-+]?[0-9]+.
  bool number(std::string_view& group) {
    const std::size_t start = at;
    while (take('-')) {
    }
    if (run(isDigit) == 0) return false;
    if (take('.')) {
      if (run(isDigit) == 0) return false;
      if (take('e') || take('E')) {
        if (!take('-')) take('+');
        if (run(isDigit) == 0) return false;
      }
    }
    group = line.substr(start, at - start);
    return true;
  }

  // ([0-9]*)/([0-9]*)/([0-9]*).
  bool corner(std::string_view* groups) {
    for (int part = 0; part < 3; ++part) {
      const std::size_t start = at;
      groups[part] = line.substr(start, run(isDigit));
      if (part < 2 && !take('/')) return false;
    }
    return true;
  }
};

}  // namespace

bool readPlainLine(PlainShape shape, std::string_view keyword, std::string_view line,
                   std::span<std::string_view> groups) {
  const std::size_t fields = shape == PlainShape::twoNumbers ? 2 : 3;
  const std::size_t wanted = shape == PlainShape::threeCorners ? 9 : fields;
  if (shape == PlainShape::none || groups.size() != wanted || line.substr(0, keyword.size()) != keyword) return false;
  Cursor cursor{line, keyword.size()};
  for (std::size_t field = 0; field < fields; ++field) {
    if (cursor.run(isBlank) == 0) return false;
    const bool read =
        shape == PlainShape::threeCorners ? cursor.corner(&groups[3 * field]) : cursor.number(groups[field]);
    if (!read) return false;
  }
  return true;
}

}  // namespace sv
