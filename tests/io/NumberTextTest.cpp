// The conversions of a model file's numbers, which must give the C library's own bits.
#include "io/NumberText.h"

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace sv {
namespace {

// Numbers of every form the line patterns capture give the very bits strtod and atoi give.
TEST(NumberTextTest, RandomNumbersOfThePatternFormsConvertAsStrtodAndAtoi) {
  std::mt19937_64 random(20261207);
  auto digits = [&](int most) { return std::to_string(random()).substr(0, 1 + random() % most); };
  for (int i = 0; i < 300000; ++i) {
    std::string text = std::string(random() % 8 == 0 ? random() % 3 : 0, '-') + digits(19);
    if (random() % 4 != 0) text += "." + digits(19) + (i % 100 == 0 ? std::string(800, '7') : "");  // past shortcuts
    if (random() % 2 == 0 && text.find('.') != std::string::npos) {
      const char* signs[] = {"", "+", "-"};
      text += std::string(random() % 2 ? "e" : "E") + signs[random() % 3] + digits(3);
    }
    // A second minus leaves no number: +0, as the C library gives (mingw-w64's own strtod says -0).
    const double expected = text.starts_with("--") ? 0.0 : std::strtod(text.c_str(), nullptr);
    const double actual = realFromText(text);
    ASSERT_EQ(std::memcmp(&expected, &actual, sizeof actual), 0) << text;
    if (text.find_first_of(".") == std::string::npos && text.size() < 10) {
      ASSERT_EQ(integerFromText(text), std::atoi(text.c_str())) << text;
    }
  }
}

}  // namespace
}  // namespace sv
