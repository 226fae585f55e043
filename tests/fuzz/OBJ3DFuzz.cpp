// libFuzzer target for the model reader: every input read as a model leaves a sound mesh, and on every line
// of up to 300 bytes each of its patterns accepts and captures as the standard library's engine does.
#include "RegexOracle.h"
#include "io/OBJ3D.h"
#include "io/ReaderHarness.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  static sv::OBJ3D reader;  // compiling its patterns for every input would dominate; a load resets the rest
  static std::vector<std::string> expected;
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
      if (line.size() > 300) break;
      bool same = sv::test::oracleMatch(pattern->text(), line, expected) == pattern->matchAtStart(line);
      for (std::size_t g = 0; g < expected.size(); ++g) same &= pattern->group(g) == expected[g];
      if (!same) std::abort();
    }
    start = end + 1;
  }
  return 0;
}
