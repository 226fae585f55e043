// Number conversion: random numbers of every form the line patterns capture must give the very bits
// strtod and atoi give, which is what allows the faster conversion at all.
#include "io/NumberText.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(NumberTextTest, RandomNumbersOfThePatternFormsConvertAsStrtodAndAtoi) {
  std::mt19937_64 random(20261207);
  auto digits = [&](int most) {
    std::string run(1 + random() % most, '0');
    for (char& c : run) c = static_cast<char>('0' + random() % 10);
    return run;
  };
  for (int i = 0; i < 300000; ++i) {
    const int longest = i % 100 == 0 ? 800 : 20;  // a few beyond every shortcut of the conversion
    std::string text = std::string(random() % 8 == 0 ? random() % 3 : 0, '-') + digits(longest);
    if (random() % 4 != 0) text += "." + digits(longest);
    if (random() % 2 == 0 && text.find('.') != std::string::npos) {
      const char* signs[] = {"", "+", "-"};
      text += std::string(random() % 2 ? "e" : "E") + signs[random() % 3] + digits(3);
    }
    const double expected = std::strtod(text.c_str(), nullptr), actual = realFromText(text);
    ASSERT_EQ(std::memcmp(&expected, &actual, sizeof actual), 0) << text;
    if (text.find_first_of(".") == std::string::npos && text.size() < 10) {
      ASSERT_EQ(integerFromText(text), std::atoi(text.c_str())) << text;
    }
  }
}

}  // namespace
}  // namespace sv
