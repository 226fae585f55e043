#include "io/OBJ3D.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "io/ModelFileError.h"

namespace sv {

namespace {

const std::string kNumber =
    "("
    "[-]*[0-9]+\\.[0-9]+[eE]{1}[-+]?[0-9]+"
    "|"
    "[-]*[0-9]+\\.[0-9]+"
    "|"
    "[-]*[0-9]+"
    ")";
const std::string kFaceCorner = "([0-9]*)/([0-9]*)/([0-9]*)";

double toReal(const std::ssub_match& group) { return std::strtod(group.str().c_str(), nullptr); }
std::int32_t toInteger(const std::ssub_match& group) { return std::atoi(group.str().c_str()); }

}  // namespace

OBJ3D::OBJ3D() {
  patterns.emplace("mtllib", std::regex("^mtllib\\s+(\\S+)"));
  patterns.emplace("o", std::regex("^o\\s+(\\S+)"));
  patterns.emplace("v", std::regex("^v\\s+" + kNumber + "\\s+" + kNumber + "\\s+" + kNumber));
  patterns.emplace("vn", std::regex("^vn\\s+" + kNumber + "\\s+" + kNumber + "\\s+" + kNumber));
  patterns.emplace("g", std::regex("^g\\s+(\\S+)"));
  patterns.emplace("usemtl", std::regex("^usemtl\\s+(\\S+)"));
  patterns.emplace("f", std::regex("^f\\s+" + kFaceCorner + "\\s+" + kFaceCorner + "\\s+" + kFaceCorner));
  patterns.emplace("#", std::regex("^#"));
  patterns.emplace("k", std::regex("^k\\s+" + kNumber + "\\s+" + kNumber));

  handlers.emplace("mtllib", &OBJ3D::onMtllib);
  handlers.emplace("o", &OBJ3D::onObject);
  handlers.emplace("v", &OBJ3D::onVertex);
  handlers.emplace("vn", &OBJ3D::onNormal);
  handlers.emplace("f", &OBJ3D::onFace);
  handlers.emplace("k", &OBJ3D::onSpring);

  currentIndex = 0;
  keywordPattern = std::regex("^(\\S+)");
}

int OBJ3D::open(const std::string& fileName) {
  auto stream = std::make_unique<std::ifstream>(fileName, std::ios::binary);
  if (!stream->is_open()) {
    throw ModelFileError("cannot open model file \"" + fileName + "\": " + std::strerror(errno));
  }
  input = std::move(stream);
  fileName_ = fileName;
  return 0;
}

int OBJ3D::close() {
  input.reset();
  return 0;
}

int OBJ3D::load() {
  std::string line;
  std::smatch match;
  while (input && std::getline(*input, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!std::regex_search(line, match, keywordPattern)) continue;
    const std::string keyword = match[1].str();
    if (std::regex_search(keyword, patterns.at("#"))) continue;
    if (patterns.find(keyword) == patterns.end()) {
      std::printf("keyword %s not found\n", keyword.c_str());
      continue;
    }
    const auto handler = handlers.find(keyword);
    if (handler == handlers.end()) continue;
    (this->*(handler->second))(keyword, line);
  }
  currentMesh().build();
  return 0;
}

Object3D& OBJ3D::currentMesh() {
  auto& slot = objects[currentIndex];
  if (!slot) {
    slot = std::make_unique<Object3D>();
    slot->init();
  }
  return *slot;
}

int OBJ3D::onMtllib(const std::string&, const std::string&) { return 0; }
int OBJ3D::onUnbound(const std::string&, const std::string&) { return 0; }

int OBJ3D::onObject(const std::string&, const std::string&) {
  objects[currentIndex] = std::make_unique<Object3D>();
  objects[currentIndex]->init();
  return 0;
}

int OBJ3D::onVertex(const std::string& keyword, const std::string& line) {
  std::smatch m;
  if (!std::regex_search(line, m, patterns.at(keyword), std::regex_constants::match_continuous)) return 0;
  currentMesh().addVertex(toReal(m[1]), toReal(m[2]), toReal(m[3]));
  return 0;
}

int OBJ3D::onNormal(const std::string& keyword, const std::string& line) {
  std::smatch m;
  if (!std::regex_search(line, m, patterns.at(keyword), std::regex_constants::match_continuous)) return 0;
  currentMesh().addNormal(toReal(m[1]), toReal(m[2]), toReal(m[3]));
  return 0;
}

int OBJ3D::onFace(const std::string& keyword, const std::string& line) {
  std::smatch m;
  if (!std::regex_search(line, m, patterns.at(keyword), std::regex_constants::match_continuous)) return 0;
  currentMesh().addFace({toInteger(m[1]), toInteger(m[4]), toInteger(m[7])},
                        {toInteger(m[2]), toInteger(m[5]), toInteger(m[8])},
                        {toInteger(m[3]), toInteger(m[6]), toInteger(m[9])});
  return 0;
}

int OBJ3D::onSpring(const std::string& keyword, const std::string& line) {
  std::smatch m;
  if (!std::regex_search(line, m, patterns.at(keyword), std::regex_constants::match_continuous)) return 0;
  currentMesh().addSpring(toInteger(m[1]), toInteger(m[2]));
  return 0;
}

}  // namespace sv
