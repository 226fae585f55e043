// libFuzzer target for the model reader. Every input is read as a model file, after which the mesh
// must be sound (see SoundMesh.h). Every line of up to 300 bytes is also matched by each line pattern
// that the reader applies, on PCRE2 and on the standard library's ECMAScript engine, the oracle: both must accept the
// same lines and capture the same groups.
#include "io/OBJ3D.h"
#include "io/SoundMesh.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <locale>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

std::vector<std::pair<const sv::LinePattern*, std::regex>> enginePairs(const sv::OBJ3D& reader) {
  std::vector<std::pair<const sv::LinePattern*, std::regex>> pairs;
  auto add = [&](const sv::LinePattern& pattern) {
    std::regex oracle;
    oracle.imbue(std::locale::classic());
    oracle.assign(pattern.text());
    pairs.emplace_back(&pattern, std::move(oracle));
  };
  add(reader.keywordPattern);
  // The patterns the reader applies; the rest ("o", "g", ...) only make their keywords known.
  for (const char* keyword : {"#", "v", "vn", "f", "k"}) add(reader.patterns.at(keyword));
  return pairs;
}

void compareEngines(const std::vector<std::pair<const sv::LinePattern*, std::regex>>& pairs, const std::string& line) {
  for (const auto& [pattern, oracle] : pairs) {
    std::smatch expected;
    const bool matched = std::regex_search(line, expected, oracle, std::regex_constants::match_continuous);
    require(pattern->matchAtStart(line) == matched);
    for (std::size_t g = 0; matched && g < expected.size(); ++g) require(pattern->group(g) == expected[g].str());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  // One reader for the whole run (compiling its patterns for every input would dominate); emptying
  // its mesh table makes it as good as new, since a load resets everything else it keeps.
  static sv::OBJ3D reader;
  static const auto pairs = enginePairs(reader);
  for (auto& slot : reader.objects) slot.reset();
  std::istringstream in(input);
  reader.loadFrom(in, "fuzz.obj");
  require(sv::testing::isSoundMesh(reader));
  for (std::size_t start = 0; start <= input.size();) {
    const std::size_t end = std::min(input.find_first_of("\r\n", start), input.size());
    if (end - start <= 300) compareEngines(pairs, input.substr(start, end - start));
    start = end + 1;
  }
  return 0;
}
