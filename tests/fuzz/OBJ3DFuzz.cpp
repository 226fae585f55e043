// libFuzzer target for the model reader. Every input is read as a model file; afterwards the mesh
// must be built with every index valid and every coordinate finite. The first line of the input
// also checks that the line patterns match its bounded form exactly as they match the line.
#include "io/ModelLine.h"
#include "io/OBJ3D.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

bool finite(const sv::Vec3D& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

void checkMesh(const sv::OBJ3D& reader) {
  require(reader.objects[0] != nullptr);
  for (std::size_t i = 1; i < sv::OBJ3D::kObjectSlots; ++i) require(reader.objects[i] == nullptr);
  const sv::Object3D& m = *reader.objects[0];
  require(m.vertices.length() == static_cast<std::size_t>(m.vertexCount));
  require(m.particles.length() == m.vertices.length());
  require(m.normals.length() == static_cast<std::size_t>(m.normalCount));
  require(m.faces.length() == static_cast<std::size_t>(m.faceCount));
  require(m.springs.length() == static_cast<std::size_t>(m.springCount));
  auto vertex = [&](std::int32_t i) { return i >= 0 && i < m.vertexCount; };
  auto normal = [&](std::int32_t i) { return i >= 0 && i < m.normalCount; };
  for (const auto& f : m.faces) require(vertex(f.a) && vertex(f.b) && vertex(f.c));
  for (const auto& f : m.faceNormalIndices) require(normal(f.a) && normal(f.b) && normal(f.c));
  for (const auto& s : m.springs) require(vertex(s.first) && vertex(s.second) && std::isfinite(s.restLength));
  for (const auto& v : m.vertices) require(finite(v));
  for (const auto& n : m.normals) require(finite(n));
}

// Short lines only: the regex engine recurses per character, which is why long lines are bounded.
void checkBoundedForm(const sv::OBJ3D& reader, const std::string& input) {
  const std::string line = input.substr(0, input.find_first_of("\r\n"));
  if (line.size() > 300) return;
  for (const char* keyword : {"v", "vn", "f", "k"}) {
    const std::regex& pattern = reader.patterns.at(keyword);
    const std::string bounded = sv::ModelLine::of(line, keyword == std::string("k") ? 3 : 4).text();
    std::smatch a, b;
    const bool whole = std::regex_search(line, a, pattern, std::regex_constants::match_continuous);
    const bool shortened = std::regex_search(bounded, b, pattern, std::regex_constants::match_continuous);
    require(whole == shortened);
    for (std::size_t g = 1; whole && g < a.size(); ++g) require(a[g].str() == b[g].str());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  // One reader for the whole run (compiling its patterns for every input would dominate); emptying
  // its mesh table makes it as good as new, since a load resets everything else it keeps.
  static sv::OBJ3D reader;
  for (auto& slot : reader.objects) slot.reset();
  std::istringstream in(input);
  reader.loadFrom(in, "fuzz.obj");
  checkMesh(reader);
  checkBoundedForm(reader, input);
  return 0;
}
