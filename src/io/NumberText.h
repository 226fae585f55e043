// Numbers of a model file, converted from the text a line pattern captured exactly as strtod and atoi
// would convert it in the "C" locale, whatever locale the process has chosen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sv {

// The double strtod gives: the longest valid prefix, 0 when there is none, +-HUGE_VAL on overflow.
double realFromText(std::string_view text);

// atoi, with the overflow it leaves undefined pinned to the nearest int32: an optional sign, the
// longest run of digits after it, 0 when there are none. The text never starts with a blank.
std::int32_t integerFromAnyText(std::string_view text);

// integerFromAnyText, with the common case inline: up to nine plain digits cannot reach the limits.
inline std::int32_t integerFromText(std::string_view text) {
  if (text.size() <= 9) {
    std::int32_t value = 0;
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned>(text[i] - '0') <= 9) value = value * 10 + (text[i++] - '0');
    if (i == text.size()) return value;
  }
  return integerFromAnyText(text);
}

}  // namespace sv
