// libFuzzer target for the model reader. Every input is read as a model file, after which the mesh
// must be sound (see isSoundMesh). Every line of up to 300 bytes is also matched by each pattern the
// reader applies, on the reader's engine (Boost.Regex) and on the standard library's ECMAScript
// engine, the oracle: both must accept the same lines and capture the same groups.
#include "RegexOracle.h"
#include "io/OBJ3D.h"
#include "io/ReaderHarness.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

// True when the reader's engine and the oracle accept `line` alike and capture the same groups.
bool enginesAgree(const sv::LinePattern& pattern, const std::string& line) {
  static std::vector<std::string> expected;
  const bool matched = sv::test::oracleMatch(pattern.text(), line, expected);
  bool same = pattern.matchAtStart(line) == matched;
  for (std::size_t g = 0; g < expected.size(); ++g) same &= pattern.group(g) == expected[g];
  return same;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  // One reader for the whole run (compiling its patterns for every input would dominate); emptying
  // its mesh table makes it as good as new, since a load resets everything else it keeps.
  static sv::OBJ3D reader;
  static const sv::LinePattern* const applied[] = {&reader.keywordPattern,   &reader.patterns.at("#"),
                                                   &reader.patterns.at("v"), &reader.patterns.at("vn"),
                                                   &reader.patterns.at("f"), &reader.patterns.at("k")};
  for (auto& slot : reader.objects) slot.reset();
  std::istringstream in(input);
  reader.loadFrom(in, "fuzz.obj");
  if (!sv::test::isSoundMesh(reader)) std::abort();
  for (std::size_t start = 0; start <= input.size();) {
    const std::size_t end = std::min(input.find_first_of("\r\n", start), input.size());
    const std::string line = input.substr(start, end - start);
    for (const sv::LinePattern* pattern : applied) {
      if (line.size() <= 300 && !enginesAgree(*pattern, line)) std::abort();
    }
    start = end + 1;
  }
  return 0;
}
