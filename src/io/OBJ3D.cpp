// Reading a model file: the line patterns, the dispatch through the keyword tables, the number
// conversions, and the checks that keep every index the mesh stores valid.
//
// GCC 12 warns inside <regex> (std::function in the compiler's state table) when it inlines the
// pattern compiler under the sanitizers; the warning is about library code, not about this file.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "io/OBJ3D.h"

#include "io/ModelFileError.h"
#include "io/ModelLine.h"
#include "io/ModelLineReader.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <locale>
#include <sstream>
#include <string_view>

#ifndef _WIN32
#include <locale.h>
#endif

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

// Patterns classify characters with the classic locale, whatever locale the process has chosen.
std::regex classicRegex(const std::string& pattern) {
  std::regex compiled;
  compiled.imbue(std::locale::classic());
  compiled.assign(pattern);
  return compiled;
}

// strtod as in the "C" locale: the decimal point is '.', even under a locale that writes ','.
double toReal(const std::ssub_match& group) {
  const std::string text = group.str();
#ifdef _WIN32
  static const _locale_t c = _create_locale(LC_NUMERIC, "C");
  return _strtod_l(text.c_str(), nullptr, c);
#else
  static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
  return strtod_l(text.c_str(), nullptr, c);
#endif
}

// atoi, with the overflow it leaves undefined pinned to the nearest int32: an optional sign, the
// longest run of digits after it, 0 when there are none. The text never starts with a blank.
std::int32_t toInteger(const std::ssub_match& group) {
  const std::string text = group.str();
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

// Text from the file as it may go to a terminal: printable ASCII stays, a backslash and every other
// byte become escapes (\\, \xHH), so a file cannot send control sequences.
std::string printable(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c >= 0x20 && c < 0x7f) {
      out.push_back(static_cast<char>(c));
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      out += escaped;
    }
  }
  return out;
}

bool inRange(std::int32_t index, std::int32_t count) { return index >= 1 && index <= count; }

std::string rangeText(const char* what, std::int32_t count) {
  if (count == 0) return std::string("the object has no ") + what;
  return std::string("valid ") + what + " are 1 to " + std::to_string(count);
}

}  // namespace

OBJ3D::OBJ3D() {
  patterns.emplace("mtllib", classicRegex("^mtllib\\s+(\\S+)"));
  patterns.emplace("o", classicRegex("^o\\s+(\\S+)"));
  patterns.emplace("v", classicRegex("^v\\s+" + kNumber + "\\s+" + kNumber + "\\s+" + kNumber));
  patterns.emplace("vn", classicRegex("^vn\\s+" + kNumber + "\\s+" + kNumber + "\\s+" + kNumber));
  patterns.emplace("g", classicRegex("^g\\s+(\\S+)"));
  patterns.emplace("usemtl", classicRegex("^usemtl\\s+(\\S+)"));
  patterns.emplace("f", classicRegex("^f\\s+" + kFaceCorner + "\\s+" + kFaceCorner + "\\s+" + kFaceCorner));
  patterns.emplace("#", classicRegex("^#"));
  patterns.emplace("k", classicRegex("^k\\s+" + kNumber + "\\s+" + kNumber));

  handlers.emplace("mtllib", &OBJ3D::onMtllib);
  handlers.emplace("o", &OBJ3D::onObject);
  handlers.emplace("v", &OBJ3D::onVertex);
  handlers.emplace("vn", &OBJ3D::onNormal);
  handlers.emplace("f", &OBJ3D::onFace);
  handlers.emplace("k", &OBJ3D::onSpring);

  currentIndex = 0;
  keywordPattern = classicRegex("^(\\S+)");
}

int OBJ3D::open(const std::string& fileName) {
  auto fail = [&](const std::string& reason) {
    return ModelFileError(printable(fileName) + ": cannot open the model file: " + reason);
  };
  std::error_code ec;
  if (std::filesystem::is_directory(fileName, ec)) throw fail("it is a directory");
  errno = 0;
  auto stream = std::make_unique<std::ifstream>(fileName, std::ios::binary);
  if (!stream->is_open()) {
    throw fail(errno != 0 ? std::strerror(errno) : "it cannot be read");
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
  if (input) return loadFrom(*input, fileName_);
  std::istringstream nothing;
  return loadFrom(nothing, fileName_);
}

int OBJ3D::loadFrom(std::istream& in, const std::string& sourceName) {
  sourceName_ = printable(sourceName);
  problemCount_ = 0;
  pendingFaces_.clear();
  pendingSprings_.clear();
  ModelLineReader reader(in);
  ModelLine line;
  while (reader.read(line)) {
    lineNumber_ = reader.lineNumber();
    interpret(line.text());
  }
  commitPendingElements();
  if (problemCount_ > kMaxReportedProblems) {
    std::fprintf(stderr, "%s: %zu more skipped lines not shown\n", sourceName_.c_str(),
                 problemCount_ - kMaxReportedProblems);
  }
  currentMesh().build();
  return 0;
}

// One line, in its bounded form: keyword, comment test, table look-ups, line operation.
void OBJ3D::interpret(const std::string& line) {
  std::smatch match;
  if (!std::regex_search(line, match, keywordPattern)) return;
  const std::string keyword = match[1].str();
  if (std::regex_search(keyword, patterns.at("#"))) return;
  if (keyword.size() > ModelLine::kMaxTokenLength) {
    report(lineNumber_,
           "keyword longer than " + std::to_string(ModelLine::kMaxTokenLength) + " characters; line skipped");
    return;
  }
  if (patterns.find(keyword) == patterns.end()) {
    std::printf("keyword %s not found\n", printable(keyword).c_str());
    return;
  }
  const auto handler = handlers.find(keyword);
  if (handler == handlers.end()) return;
  (this->*(handler->second))(keyword, line);
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
  pendingFaces_.clear();
  pendingSprings_.clear();
  return 0;
}

// Matches an element line's pattern at its start. A line that cannot hold an overlong token is
// matched as it stands (the usual case); a longer one is bounded first (`text` keeps the string that
// `match` points into), and refused with a message when a token the pattern reads is overlong.
bool OBJ3D::matchElement(const std::string& keyword, const std::string& line, std::smatch& match, std::string& text) {
  const auto search = [&](const std::string& subject) {
    return std::regex_search(subject, match, patterns.at(keyword), std::regex_constants::match_continuous);
  };
  if (line.size() <= ModelLine::kMaxTokenLength) return search(line);
  // Tokens each element pattern reads, the keyword included: a longer tail cannot change its match.
  const std::size_t tokensRead = keyword == "k" ? 3 : 4;
  const ModelLine bounded = ModelLine::of(line, tokensRead);
  if (bounded.overlong()) {
    report(lineNumber_, "'" + keyword + "' line with a value longer than " +
                            std::to_string(ModelLine::kMaxTokenLength) + " characters; line skipped");
    return false;
  }
  text = bounded.text();
  return search(text);
}

// Normals must be finite. Vertex coordinates must also keep every distance between two vertices
// finite (the rest lengths of build, the spring lengths of every step), so they are bounded by
// kMaxCoordinate in file units, far beyond any model's size.
bool OBJ3D::acceptPoint(const char* what, double x, double y, double z) {
  const bool vertex = std::string_view(what) == "vertex";
  for (double value : {x, y, z}) {
    if (!std::isfinite(value) || (vertex && std::fabs(value) > kMaxCoordinate)) {
      report(lineNumber_, std::string(what) + " coordinate out of range; line skipped");
      return false;
    }
  }
  return true;
}

int OBJ3D::onVertex(const std::string& keyword, const std::string& line) {
  std::smatch m;
  std::string text;
  if (!matchElement(keyword, line, m, text)) return 0;
  const double x = toReal(m[1]), y = toReal(m[2]), z = toReal(m[3]);
  if (acceptPoint("vertex", x, y, z)) currentMesh().addVertex(x, y, z);
  return 0;
}

int OBJ3D::onNormal(const std::string& keyword, const std::string& line) {
  std::smatch m;
  std::string text;
  if (!matchElement(keyword, line, m, text)) return 0;
  const double x = toReal(m[1]), y = toReal(m[2]), z = toReal(m[3]);
  if (acceptPoint("normal", x, y, z)) currentMesh().addNormal(x, y, z);
  return 0;
}

// Faces and springs wait until the whole file is read: a line may name a vertex that a later line
// adds, so only the final counts can tell whether an index is valid.
int OBJ3D::onFace(const std::string& keyword, const std::string& line) {
  std::smatch m;
  std::string text;
  if (!matchElement(keyword, line, m, text)) return 0;
  currentMesh();
  pendingFaces_.push_back({{toInteger(m[1]), toInteger(m[4]), toInteger(m[7])},
                           {toInteger(m[2]), toInteger(m[5]), toInteger(m[8])},
                           {toInteger(m[3]), toInteger(m[6]), toInteger(m[9])},
                           lineNumber_});
  return 0;
}

int OBJ3D::onSpring(const std::string& keyword, const std::string& line) {
  std::smatch m;
  std::string text;
  if (!matchElement(keyword, line, m, text)) return 0;
  currentMesh();
  pendingSprings_.push_back({toInteger(m[1]), toInteger(m[2]), lineNumber_});
  return 0;
}

// Hands the waiting faces and springs to the mesh in file order, dropping those with an index
// outside the final counts; the mesh sees exactly the calls a valid file would make.
void OBJ3D::commitPendingElements() {
  Object3D& mesh = currentMesh();
  std::size_t f = 0, s = 0;
  while (f < pendingFaces_.size() || s < pendingSprings_.size()) {
    const bool faceFirst =
        s == pendingSprings_.size() || (f < pendingFaces_.size() && pendingFaces_[f].line < pendingSprings_[s].line);
    if (faceFirst) {
      const PendingFace& face = pendingFaces_[f++];
      if (faceIsValid(face, mesh)) mesh.addFace(face.vertices, face.textures, face.normals);
    } else {
      const PendingSpring& spring = pendingSprings_[s++];
      if (springIsValid(spring, mesh)) mesh.addSpring(spring.first, spring.second);
    }
  }
  pendingFaces_.clear();
  pendingSprings_.clear();
}

bool OBJ3D::faceIsValid(const PendingFace& face, const Object3D& mesh) {
  const std::int32_t vertices[] = {face.vertices.a, face.vertices.b, face.vertices.c};
  const std::int32_t normals[] = {face.normals.a, face.normals.b, face.normals.c};
  for (int corner = 0; corner < 3; ++corner) {
    const std::string where = "face corner " + std::to_string(corner + 1) + " names ";
    if (!inRange(vertices[corner], mesh.vertexCount)) {
      report(face.line, where + "vertex " + std::to_string(vertices[corner]) + ", but " +
                            rangeText("vertices", mesh.vertexCount) + "; face skipped");
      return false;
    }
    if (!inRange(normals[corner], mesh.normalCount)) {
      report(face.line, where + "normal " + std::to_string(normals[corner]) + ", but " +
                            rangeText("normals", mesh.normalCount) + "; face skipped");
      return false;
    }
  }
  return true;
}

bool OBJ3D::springIsValid(const PendingSpring& spring, const Object3D& mesh) {
  for (std::int32_t end : {spring.first, spring.second}) {
    if (!inRange(end, mesh.vertexCount)) {
      report(spring.line, "spring names vertex " + std::to_string(end) + ", but " +
                              rangeText("vertices", mesh.vertexCount) + "; spring skipped");
      return false;
    }
  }
  return true;
}

void OBJ3D::report(std::size_t line, const std::string& message) {
  if (++problemCount_ > kMaxReportedProblems) return;
  std::fprintf(stderr, "%s:%zu: %s\n", sourceName_.c_str(), line, message.c_str());
}

}  // namespace sv
