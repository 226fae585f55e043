// from_chars takes the common case (a plain correctly rounded number, no locale, no copy); every text
// it refuses or reports out of range goes to strtod itself, so the result is strtod's bit for bit.
#include "io/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>
#include <string>

#ifndef _WIN32
#include <locale.h>
#endif

namespace sv {

namespace {

// strtod in the "C" locale: the decimal point is '.', even under a locale that writes ','.
double strtodClassic(std::string_view text) {
  const std::string terminated(text);
#ifdef _WIN32
  static const _locale_t c = _create_locale(LC_NUMERIC, "C");
  return _strtod_l(terminated.c_str(), nullptr, c);
#else
  static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
  return strtod_l(terminated.c_str(), nullptr, c);
#endif
}

}  // namespace

double realFromText(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc{} && end == text.data() + text.size()) return value;
  return strtodClassic(text);
}

std::int32_t integerFromAnyText(std::string_view text) {
  std::size_t i = 0;
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = std::min(magnitude * 10 + (text[i] - '0'), kLimit);
  }
  if (negative) return static_cast<std::int32_t>(-magnitude);
  return static_cast<std::int32_t>(std::min(magnitude, kLimit - 1));
}

}  // namespace sv
