// Reading a model file: the line patterns, the dispatch through the keyword tables, the numbering of
// vertices and normals, and the checks that keep every index the mesh stores valid.
#include "io/OBJ3D.h"

#include "io/ModelFileError.h"
#include "io/NumberText.h"
#include "io/PlainLine.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <sstream>
#include <vector>

namespace sv {

namespace {

// A keyword in quotes, to start a message. Appended rather than "'" + std::string(keyword), which
// GCC 12 flags with a false -Wrestrict warning in optimised builds.
std::string quoted(std::string_view keyword) {
  std::string text = "'";
  text.append(keyword);
  return text += '\'';
}

// With an exponent, with a fraction, or whole: the longest alternative first.
const std::string kNumber = "([-]*[0-9]+\\.[0-9]+[eE]{1}[-+]?[0-9]+|[-]*[0-9]+\\.[0-9]+|[-]*[0-9]+)";
// What a v and a vn line give, as messages name them.
constexpr const char* kVertex = "vertex";
constexpr const char* kNormal = "normal";
const std::string kFaceCorner = "([0-9]*)/([0-9]*)/([0-9]*)";

// The lines read by hand when they are plain (PlainLine.h), with the patterns that read the rest. A
// keyword whose table entry no longer holds its pattern here is read by its pattern alone.
struct PlainPattern {
  std::string_view keyword;
  std::string text;
  PlainShape shape;
};
const std::string kThreeNumbers = "\\s+" + kNumber + "\\s+" + kNumber + "\\s+" + kNumber;
const PlainPattern kPlainPatterns[] = {
    {"v", "^v" + kThreeNumbers, PlainShape::threeNumbers},
    {"vn", "^vn" + kThreeNumbers, PlainShape::threeNumbers},
    {"f", "^f\\s+" + kFaceCorner + "\\s+" + kFaceCorner + "\\s+" + kFaceCorner, PlainShape::threeCorners},
    {"k", "^k\\s+" + kNumber + "\\s+" + kNumber, PlainShape::twoNumbers},
};

PlainShape plainShapeOf(std::string_view keyword, const LinePattern* pattern) {
  for (const PlainPattern& plain : kPlainPatterns) {
    if (pattern != nullptr && keyword == plain.keyword && pattern->text() == plain.text) return plain.shape;
  }
  return PlainShape::none;
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

// A keyword as its not-found message shows it: escaped, and cut with a marker when it is long.
std::string shownKeyword(std::string_view keyword) {
  if (keyword.size() <= OBJ3D::kMaxShownKeyword) return printable(keyword);
  return printable(keyword.substr(0, OBJ3D::kMaxShownKeyword)) + "[... " +
         std::to_string(keyword.size() - OBJ3D::kMaxShownKeyword) + " more bytes]";
}

// The next line of `rest` (a line ends at LF, CR LF or a lone CR); `rest` moves past its terminator.
std::string_view nextLine(std::string_view& rest) {
  const auto* lf = static_cast<const char*>(std::memchr(rest.data(), '\n', rest.size()));
  std::size_t end = lf != nullptr ? static_cast<std::size_t>(lf - rest.data()) : rest.size();
  std::size_t next = lf != nullptr ? end + 1 : end;
  if (const auto* cr = static_cast<const char*>(std::memchr(rest.data(), '\r', end))) {
    const std::size_t at = static_cast<std::size_t>(cr - rest.data());
    next = at + 1 == end ? next : at + 1;
    end = at;
  }
  const std::string_view line = rest.substr(0, end);
  rest.remove_prefix(next);
  return line;
}

// The last byte of `text` that ends a line for certain, plus one; 0 when there is none. A CR as the
// very last byte may be the first half of a CR LF still to come, so it does not count.
std::size_t endOfCompleteLines(std::string_view text) {
  std::size_t end = text.size();
  if (end > 0 && text[end - 1] == '\r') --end;
  while (end > 0 && text[end - 1] != '\n' && text[end - 1] != '\r') --end;
  return end;
}

// The size of the first block: a whole block, or less when the stream can tell that less is left
// (a small file, a string), so that reading a small model costs no more than its size.
std::size_t firstBlock(std::streambuf* source) {
  if (source == nullptr) return 1;
  const std::streamoff here = source->pubseekoff(0, std::ios::cur, std::ios::in);
  const std::streamoff end = source->pubseekoff(0, std::ios::end, std::ios::in);
  if (here < 0 || end < here || source->pubseekpos(here, std::ios::in) != here) return OBJ3D::kReadBlock;
  return std::min(OBJ3D::kReadBlock, static_cast<std::size_t>(end - here) + 1);
}

// The most a line takes in the buffer: the longest line read and a CR LF after it. A buffer this full
// that holds no line end is the start of a longer line.
constexpr std::size_t kLineBuffer = OBJ3D::kMaxLineLength + 2;

// How much of `text`, which starts inside a line being skipped, still belongs to that line: up to and
// with its terminator, or all of it when the line goes on. `skipping` ends with the line, and
// `lfMayFollow` tells that it ended at the last byte of `text` with a CR, whose LF may start the next read.
std::size_t restOfSkippedLine(std::string_view text, bool& skipping, bool& lfMayFollow) {
  std::string_view rest = text;
  if (nextLine(rest).size() == text.size()) return text.size();
  skipping = false;
  lfMayFollow = rest.empty() && text.back() == '\r';
  return text.size() - rest.size();
}

// Hands every line of the stream to `each`, reading it in blocks of at most kLineBuffer bytes: the
// start of a line a block cuts moves to the front and the next block completes it. A line longer than
// OBJ3D::kMaxLineLength goes to `tooLong` instead, with at least its first kMaxLineLength bytes; the
// rest of it is dropped block by block as it streams past, so the buffer never grows beyond kLineBuffer.
template <typename Each, typename TooLong>
void forEachLine(std::istream& in, Each&& each, TooLong&& tooLong) {
  std::streambuf* source = in.rdbuf();
  std::vector<char> buffer(std::min(firstBlock(source), kLineBuffer));
  std::size_t held = 0;      // bytes in the buffer not yet handed out
  bool skipping = false;     // the buffer starts inside a line that is too long
  bool lfMayFollow = false;  // the bytes before the buffer ended a skipped line with a CR
  for (bool atEnd = source == nullptr; !atEnd;) {
    if (held == buffer.size()) buffer.resize(std::min(buffer.size() * 2, kLineBuffer));
    const auto wanted = static_cast<std::streamsize>(buffer.size() - held);
    const std::streamsize got = source->sgetn(buffer.data() + held, wanted);
    held += got > 0 ? static_cast<std::size_t>(got) : 0;
    atEnd = got < wanted;
    std::string_view text(buffer.data(), held);
    if (lfMayFollow && !text.empty()) {
      if (text.front() == '\n') text.remove_prefix(1);
      lfMayFollow = false;
    }
    if (skipping) text.remove_prefix(restOfSkippedLine(text, skipping, lfMayFollow));
    const std::size_t complete = atEnd ? text.size() : endOfCompleteLines(text);
    for (std::string_view lines = text.substr(0, complete); !lines.empty();) {
      const std::string_view line = nextLine(lines);
      if (line.size() > OBJ3D::kMaxLineLength) {
        tooLong(line);
      } else {
        each(line);
      }
    }
    text.remove_prefix(complete);
    if (text.size() == kLineBuffer) {  // the start of a line that does not end within the buffer
      tooLong(text);
      skipping = true;
    }
    std::memmove(buffer.data(), text.data(), text.size());
    held = text.size();
  }
}

// What a path that can be opened but is no model file is, in the words of the open error; null for a
// regular file, a pipe (read as a stream) and a path whose status is unknown (opening it tells why).
// A device is refused before it is opened: many never end (/dev/zero, a terminal), and opening some acts.
const char* unreadableKind(std::filesystem::file_type type) {
  using Type = std::filesystem::file_type;
  if (type == Type::regular || type == Type::fifo || type == Type::not_found || type == Type::none) return nullptr;
  if (type == Type::directory) return "a directory";
  if (type == Type::character) return "a character device, not a file";
  if (type == Type::block) return "a block device, not a file";
  if (type == Type::socket) return "a socket, not a file";
  return "not a regular file";
}

// The words of a line after its keyword; for a face line, its corners.
std::size_t wordsAfterKeyword(std::string_view line) {
  std::size_t words = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const bool blank = std::isspace(static_cast<unsigned char>(line[i])) != 0;
    const bool startsWord = i > 0 && !blank && std::isspace(static_cast<unsigned char>(line[i - 1])) != 0;
    words += startsWord ? 1 : 0;
  }
  return words;
}

std::string counted(std::size_t count, const char* thing) {
  return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

constexpr const char* kConvertHint = "convert the file with springview-import";

std::string rangeText(const char* what, std::int32_t count) {
  if (count == 0) return std::string("the object has no ") + what;
  return std::string("valid ") + what + " are 1 to " + std::to_string(count);
}

}  // namespace

OBJ3D::OBJ3D() : keywordPattern("^(\\S+)") {
  patterns.emplace("mtllib", LinePattern("^mtllib\\s+(\\S+)"));
  patterns.emplace("o", LinePattern("^o\\s+(\\S+)"));
  patterns.emplace("g", LinePattern("^g\\s+(\\S+)"));
  patterns.emplace("usemtl", LinePattern("^usemtl\\s+(\\S+)"));
  patterns.emplace("#", LinePattern("^#"));
  for (const PlainPattern& plain : kPlainPatterns) patterns.emplace(plain.keyword, LinePattern(plain.text));

  handlers.emplace("mtllib", &OBJ3D::onMtllib);
  handlers.emplace("o", &OBJ3D::onObject);
  handlers.emplace("v", &OBJ3D::onVertex);
  handlers.emplace("vn", &OBJ3D::onNormal);
  handlers.emplace("f", &OBJ3D::onFace);
  handlers.emplace("k", &OBJ3D::onSpring);

  commentPattern_ = &patterns.at("#");
}

int OBJ3D::open(const std::string& fileName) {
  auto fail = [&](const std::string& reason) {
    return ModelFileError(printable(fileName) + ": cannot open the model file: " + reason);
  };
  std::error_code ec;
  if (const char* kind = unreadableKind(std::filesystem::status(fileName, ec).type())) {
    throw fail(std::string("it is ") + kind);
  }
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
  passedOver_ = {};
  startMesh();
  lastKeyword_ = {};
  lineNumber_ = 0;
  forEachLine(
      in, [this](std::string_view line) { interpret(line); }, [this](std::string_view start) { skipLongLine(start); });
  commitPendingElements();
  if (problemCount_ > kMaxReportedProblems) {
    std::fprintf(stderr, "%s: %zu more skipped lines not shown\n", sourceName_.c_str(),
                 problemCount_ - kMaxReportedProblems);
  }
  currentMesh().build();
  summarisePassedOver();
  return 0;
}

// Said once per kind, after the load's own lines, on standard error: standard output keeps only the
// lines the format defines.
void OBJ3D::summarisePassedOver() {
  const char* name = sourceName_.c_str();
  if (passedOver_.longFaces > 0) {
    std::fprintf(stderr, "%s: %s with more than three corners: only the first three were read; %s\n", name,
                 counted(passedOver_.longFaces, "face line").c_str(), kConvertHint);
  }
  if (passedOver_.unreadFaces > 0) {
    std::fprintf(stderr, "%s: %s skipped: not three corners written v/t/n or v//n; %s\n", name,
                 counted(passedOver_.unreadFaces, "face line").c_str(), kConvertHint);
  }
  if (passedOver_.unknownKeywords > 0) {
    std::fprintf(stderr, "%s: %s of unknown keywords skipped; %s\n", name,
                 counted(passedOver_.unknownKeywords, "line").c_str(), kConvertHint);
  }
}

void OBJ3D::summariseEmptyMesh() const {
  const Object3D* mesh = objects[currentIndex].get();
  const char* name = sourceName_.c_str();
  if (mesh == nullptr || mesh->faces.length() == 0) {
    std::fprintf(stderr, "%s: the mesh has no faces; %s\n", name, kConvertHint);
  }
  if (mesh == nullptr || mesh->normals.length() == 0) {
    std::fprintf(stderr, "%s: the mesh has no normals; %s\n", name, kConvertHint);
  }
}

// A line too long to read: only its start is at hand. A v or vn line still takes its number, so that
// the numbers of later lines do not shift, and whoever names it hears that this line dropped it.
void OBJ3D::skipLongLine(std::string_view start) {
  ++lineNumber_;
  report(lineNumber_, "line longer than " + std::to_string(kMaxLineLength) + " bytes; line skipped");
  const std::string_view keyword = keywordOf(start);
  if (keyword == "v") vertexNumbers_.drop(lineNumber_);
  if (keyword == "vn") normalNumbers_.drop(lineNumber_);
}

// One line: its number, keyword, comment test, table look-ups, line operation. Only a keyword that
// starts with '#' can match the comment pattern, so the others skip that match.
void OBJ3D::interpret(std::string_view line) {
  ++lineNumber_;
  const std::string_view keyword = keywordOf(line);
  if (keyword.empty()) return;
  if (keyword.front() == '#' && commentPattern_->matchAtStart(keyword)) return;
  const KeywordEntry& entry = lookUp(keyword);
  if (entry.pattern == nullptr) {
    std::printf("keyword %s not found\n", shownKeyword(keyword).c_str());
    ++passedOver_.unknownKeywords;
    return;
  }
  if (entry.handler != nullptr) (this->*entry.handler)(keyword, line);
}

// The table entries of a keyword. Model files repeat one keyword for thousands of lines, so the last
// keyword's entries are kept and the tables searched only when the keyword changes.
const OBJ3D::KeywordEntry& OBJ3D::lookUp(std::string_view keyword) {
  if (lastKeyword_.known && keyword == lastKeyword_.keyword) return lastKeyword_;
  const auto pattern = patterns.find(keyword);
  const auto handler = handlers.find(keyword);
  lastKeyword_.keyword.assign(keyword);
  lastKeyword_.pattern = pattern != patterns.end() ? &pattern->second : nullptr;
  lastKeyword_.handler = handler != handlers.end() ? handler->second : nullptr;
  lastKeyword_.shape = plainShapeOf(keyword, lastKeyword_.pattern);
  lastKeyword_.known = true;
  return lastKeyword_;
}

// The groups of the keyword's line pattern on `line` from group 1 on, as many as `groups` holds: read
// by hand when the line is plain, by the pattern otherwise. A match that gives up at the engine's
// limit drops the line with a message of its own.
OBJ3D::LineRead OBJ3D::readGroups(std::string_view keyword, std::string_view line, std::span<std::string_view> groups) {
  const KeywordEntry& entry = lookUp(keyword);
  if (readPlainLine(entry.shape, keyword, line, groups)) return LineRead::read;
  if (!entry.pattern->matchAtStart(line)) {
    if (!entry.pattern->gaveUp()) return LineRead::unmatched;
    report(lineNumber_, quoted(keyword) + " line is too costly to match; line skipped");
    return LineRead::givenUp;
  }
  for (std::size_t g = 0; g < groups.size(); ++g) groups[g] = entry.pattern->group(g + 1);
  return LineRead::read;
}

Object3D& OBJ3D::currentMesh() {
  auto& slot = objects[currentIndex];
  if (!slot) {
    slot = std::make_unique<Object3D>();
    slot->init();
  }
  return *slot;
}

// A new mesh numbers its elements from 1 again, and what the old one was waiting for is gone.
void OBJ3D::startMesh() {
  vertexNumbers_.clear();
  normalNumbers_.clear();
  pendingFaces_.clear();
  pendingSprings_.clear();
}

int OBJ3D::onMtllib(std::string_view, std::string_view) { return 0; }
int OBJ3D::onUnbound(std::string_view, std::string_view) { return 0; }

int OBJ3D::onObject(std::string_view, std::string_view) {
  objects[currentIndex] = std::make_unique<Object3D>();
  objects[currentIndex]->init();
  startMesh();
  return 0;
}

// Normals must be finite. Vertex coordinates must also keep every distance between two vertices
// finite (the rest lengths of build, the spring lengths of every step), so they are bounded by
// kMaxCoordinate in file units, far beyond any model's size.
bool OBJ3D::acceptPoint(const char* what, double x, double y, double z) {
  const double largest = what == kVertex ? kMaxCoordinate : std::numeric_limits<double>::max();
  for (double value : {x, y, z}) {
    if (!(std::fabs(value) <= largest)) {
      report(lineNumber_, std::string(what) + " coordinate out of range; line skipped");
      return false;
    }
  }
  return true;
}

// A v or vn line takes the next number whatever happens to it; one that is not kept says why.
void OBJ3D::readPoint(const char* what, std::string_view keyword, std::string_view line, ElementNumbering& numbers,
                      AddPoint add) {
  std::string_view text[3];
  if (const LineRead read = readGroups(keyword, line, text); read != LineRead::read) {
    if (read == LineRead::unmatched) {
      report(lineNumber_, quoted(keyword) + " line does not read as three numbers; line skipped");
    }
    numbers.drop(lineNumber_);
    return;
  }
  const double x = realFromText(text[0]), y = realFromText(text[1]), z = realFromText(text[2]);
  if (!acceptPoint(what, x, y, z)) {
    numbers.drop(lineNumber_);
    return;
  }
  (currentMesh().*add)(x, y, z);
  numbers.keep();
}

int OBJ3D::onVertex(std::string_view keyword, std::string_view line) {
  readPoint(kVertex, keyword, line, vertexNumbers_, &Object3D::addVertex);
  return 0;
}

int OBJ3D::onNormal(std::string_view keyword, std::string_view line) {
  readPoint(kNormal, keyword, line, normalNumbers_, &Object3D::addNormal);
  return 0;
}

// A face or spring whose numbers all lie behind it (the usual order) is mapped at once. One that names
// a number no line has given yet waits for the end of the file, when every number is known, and so
// does every face and spring after it, so the mesh still gets them in file order.
int OBJ3D::onFace(std::string_view keyword, std::string_view line) {
  std::string_view text[9];
  if (const LineRead read = readGroups(keyword, line, text); read != LineRead::read) {
    if (read == LineRead::unmatched) ++passedOver_.unreadFaces;
    return 0;
  }
  if (wordsAfterKeyword(line) > 3) ++passedOver_.longFaces;
  auto index = [&](int group) { return integerFromText(text[group - 1]); };
  const PendingFace face{
      {index(1), index(4), index(7)}, {index(2), index(5), index(8)}, {index(3), index(6), index(9)}, lineNumber_};
  const std::int32_t vertices = vertexNumbers_.count(), normals = normalNumbers_.count();
  const bool known = face.vertices.a <= vertices && face.vertices.b <= vertices && face.vertices.c <= vertices &&
                     face.normals.a <= normals && face.normals.b <= normals && face.normals.c <= normals;
  if (known && pendingFaces_.empty() && pendingSprings_.empty()) {
    commitFace(face);
  } else {
    pendingFaces_.push_back(face);
  }
  return 0;
}

int OBJ3D::onSpring(std::string_view keyword, std::string_view line) {
  std::string_view text[2];
  if (readGroups(keyword, line, text) != LineRead::read) return 0;
  const PendingSpring spring{integerFromText(text[0]), integerFromText(text[1]), lineNumber_};
  const bool known = spring.first <= vertexNumbers_.count() && spring.second <= vertexNumbers_.count();
  if (known && pendingFaces_.empty() && pendingSprings_.empty()) {
    commitSpring(spring);
  } else {
    pendingSprings_.push_back(spring);
  }
  return 0;
}

void OBJ3D::commitFace(const PendingFace& face) {
  FaceIndices vertices = face.vertices, normals = face.normals;
  if (resolveFace(face, vertices, normals)) currentMesh().addFace(vertices, face.textures, normals);
}

void OBJ3D::commitSpring(PendingSpring spring) {
  const Naming naming{"spring", 0, "vertex", "vertices", spring.line};
  if (resolve(spring.first, vertexNumbers_, naming) && resolve(spring.second, vertexNumbers_, naming)) {
    currentMesh().addSpring(spring.first, spring.second);
  }
}

// Hands the waiting faces and springs to the mesh in file order.
void OBJ3D::commitPendingElements() {
  std::size_t f = 0, s = 0;
  while (f < pendingFaces_.size() || s < pendingSprings_.size()) {
    const bool faceFirst =
        s == pendingSprings_.size() || (f < pendingFaces_.size() && pendingFaces_[f].line < pendingSprings_[s].line);
    if (faceFirst) {
      commitFace(pendingFaces_[f++]);
    } else {
      commitSpring(pendingSprings_[s++]);
    }
  }
}

bool OBJ3D::resolveFace(const PendingFace& face, FaceIndices& vertices, FaceIndices& normals) {
  std::int32_t* vertex[] = {&vertices.a, &vertices.b, &vertices.c};
  std::int32_t* normal[] = {&normals.a, &normals.b, &normals.c};
  for (int corner = 0; corner < 3; ++corner) {
    if (!resolve(*vertex[corner], vertexNumbers_, {"face", corner + 1, "vertex", "vertices", face.line}) ||
        !resolve(*normal[corner], normalNumbers_, {"face", corner + 1, "normal", "normals", face.line})) {
      return false;
    }
  }
  return true;
}

bool OBJ3D::resolve(std::int32_t& index, const ElementNumbering& numbers, const Naming& naming) {
  const ElementNumbering::Lookup found = numbers.find(index);
  if (found.kind == ElementNumbering::Lookup::Kind::kept) {
    index = found.keptNumber;
    return true;
  }
  reportUnresolved(index, found, numbers.count(), naming);
  return false;
}

void OBJ3D::reportUnresolved(std::int32_t index, const ElementNumbering::Lookup& found, std::int32_t count,
                             const Naming& naming) {
  const std::string who =
      naming.corner > 0 ? "face corner " + std::to_string(naming.corner) : std::string(naming.element);
  const std::string names = who + " names " + naming.kind + " " + std::to_string(index);
  const std::string skipped = std::string("; ") + naming.element + " skipped";
  if (found.kind == ElementNumbering::Lookup::Kind::dropped) {
    report(naming.line, names + ", which line " + std::to_string(found.droppedLine) + " dropped" + skipped);
  } else {
    report(naming.line, names + ", but " + rangeText(naming.kinds, count) + skipped);
  }
}

void OBJ3D::report(std::size_t line, const std::string& message) {
  if (++problemCount_ > kMaxReportedProblems) return;
  std::fprintf(stderr, "%s:%zu: %s\n", sourceName_.c_str(), line, message.c_str());
}

}  // namespace sv
