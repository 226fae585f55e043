// The reader's most common lines read by hand, without a pattern match: the keyword of every line,
// and the fields of v, vn, f and k lines. A hand reader gives exactly the groups its line pattern
// captures, or declines (false) a line where it could not be sure to, which the pattern then reads as
// before; so what a file gives never depends on which of them read a line.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace sv {

// The patterns a plain line stands for: "^KEYWORD" and then, each after \s+, three numbers (v, vn),
// two numbers (k) or three face corners (f); a number is kNumber, a corner kFaceCorner (OBJ3D.cpp).
enum class PlainShape { none, threeNumbers, twoNumbers, threeCorners };

// A blank as the patterns' \s in the classic locale: space, tab, LF, VT, FF, CR; every other byte is not.
inline bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The leading run of non-blank bytes, which ^(\S+) captures; empty when that pattern does not match.
inline std::string_view keywordOf(std::string_view line) {
  std::size_t end = 0;
  while (end < line.size() && !isBlank(line[end])) ++end;
  return line.substr(0, end);
}

// Reads `line` as `shape` after `keyword` (a line that does not start with it is declined): on true
// `groups` holds the shape's pattern's groups from group 1 on; it must have room for exactly these
// (3, 2 or 9), or the line is declined.
bool readPlainLine(PlainShape shape, std::string_view keyword, std::string_view line,
                   std::span<std::string_view> groups);

}  // namespace sv
