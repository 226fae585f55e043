// The model reader: reads a model file into Object3D meshes and keeps them. It is table-driven: every
// line pattern is compiled once and filed under its keyword, and each keyword with a line operation
// is bound to it in a second table. Every v and vn line takes its number, kept or dropped; faces and
// springs are mapped to the kept elements at the end of the file, so every index the mesh stores is
// valid, and every line dropped on the way is reported on standard error with file and line.
#pragma once

#include "core/Object.h"
#include "io/ElementNumbering.h"
#include "io/LinePattern.h"
#include "io/PlainLine.h"
#include "mesh/FaceIndices.h"
#include "mesh/Object3D.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <functional>
#include <istream>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sv {

class OBJ3D : public Object {
 public:
  using LineHandler = int (OBJ3D::*)(std::string_view keyword, std::string_view line);
  static constexpr std::size_t kObjectSlots = 32;
  // Problems reported per load before the rest are only counted.
  static constexpr std::size_t kMaxReportedProblems = 50;
  // Largest vertex coordinate accepted, in file units (see acceptPoint).
  static constexpr double kMaxCoordinate = 1e150;
  // Bytes of an unknown keyword shown in its message; the rest is replaced by a marker.
  static constexpr std::size_t kMaxShownKeyword = 64;
  // Bytes read from the file at a time.
  static constexpr std::size_t kReadBlock = std::size_t{1} << 20;
  // The longest line read, terminator not counted; a longer one is skipped with a message while it
  // streams past, so no file, however long its lines, makes the reader hold more than this.
  static constexpr std::size_t kMaxLineLength = std::size_t{1} << 20;

  OBJ3D();

  // Throws ModelFileError, naming the file and the reason, when the file cannot be opened (missing,
  // unreadable, a directory) or is a device or socket, which need not ever end; the reader is then
  // left as it was. A pipe is read as a stream (opening one waits for its writer).
  virtual int open(const std::string& fileName);
  virtual int close();
  // Reads the open file (an empty one when none is open) and builds objects[currentIndex], which
  // exists afterwards whatever the file held.
  virtual int load();
  virtual int onMtllib(std::string_view keyword, std::string_view line);
  virtual int onObject(std::string_view keyword, std::string_view line);
  virtual int onVertex(std::string_view keyword, std::string_view line);
  virtual int onNormal(std::string_view keyword, std::string_view line);
  virtual int onUnbound(std::string_view keyword, std::string_view line);
  virtual int onFace(std::string_view keyword, std::string_view line);
  virtual int onSpring(std::string_view keyword, std::string_view line);

  // What load does, from any stream; sourceName stands for the file in messages.
  int loadFrom(std::istream& in, const std::string& sourceName);
  // Lines skipped with a message on standard error during the last load.
  std::size_t problemCount() const { return problemCount_; }

  // What the format made the last load pass over without a message of its own; summed up on standard
  // error after the load, with a hint to convert the file.
  struct PassedOver {
    std::size_t longFaces = 0;        // face lines with more than three corners, read as their first three
    std::size_t unreadFaces = 0;      // face lines that are not three corners with normals, skipped
    std::size_t unknownKeywords = 0;  // lines of a keyword the format does not have
  };
  const PassedOver& passedOver() const { return passedOver_; }
  // Says on standard error, with the same hint, when the mesh of the last load has no faces or no
  // normals: a program that shows the mesh calls it, a file with bare vertices being no model to show.
  void summariseEmptyMesh() const;

  std::unique_ptr<std::ifstream> input;
  std::map<std::string, LinePattern, std::less<>> patterns;
  std::map<std::string, LineHandler, std::less<>> handlers;
  std::array<std::unique_ptr<Object3D>, kObjectSlots> objects;
  std::int32_t currentIndex = 0;
  // What a line's keyword is: keywordOf (PlainLine.h) reads it by hand, as this pattern would.
  LinePattern keywordPattern;

 private:
  struct PendingFace {
    FaceIndices vertices, textures, normals;
    std::size_t line;
  };
  struct PendingSpring {
    std::int32_t first, second;
    std::size_t line;
  };

  // Who names an element, in messages: "face corner 2" of a face, "spring" of a spring.
  struct Naming {
    const char* element;  // "face" or "spring"
    int corner;           // 1 to 3 for a face's corner, 0 for a spring
    const char* kind;     // "vertex" or "normal"
    const char* kinds;    // "vertices" or "normals"
    std::size_t line;
  };
  using AddPoint = void (Object3D::*)(double x, double y, double z);
  struct KeywordEntry {
    std::string keyword;
    const LinePattern* pattern = nullptr;  // null: not a keyword of the reader
    LineHandler handler = nullptr;         // null: a keyword with no line operation
    PlainShape shape = PlainShape::none;   // how a plain line of the keyword is read by hand
    bool known = false;
  };

  // What readGroups made of a line: its groups, no match, or a match given up at the engine's limit.
  enum class LineRead { read, unmatched, givenUp };

  Object3D& currentMesh();
  void interpret(std::string_view line);
  void skipLongLine(std::string_view start);
  const KeywordEntry& lookUp(std::string_view keyword);
  LineRead readGroups(std::string_view keyword, std::string_view line, std::span<std::string_view> groups);
  void readPoint(const char* what, std::string_view keyword, std::string_view line, ElementNumbering& numbers,
                 AddPoint add);
  bool acceptPoint(const char* what, double x, double y, double z);
  void startMesh();
  void commitFace(const PendingFace& face);
  void commitSpring(PendingSpring spring);
  void commitPendingElements();
  bool resolveFace(const PendingFace& face, FaceIndices& vertices, FaceIndices& normals);
  bool resolve(std::int32_t& index, const ElementNumbering& numbers, const Naming& naming);
  void reportUnresolved(std::int32_t index, const ElementNumbering::Lookup& found, std::int32_t count,
                        const Naming& naming);
  void report(std::size_t line, const std::string& message);
  void summarisePassedOver();

  // patterns["#"], looked up once: map nodes stay where they are.
  const LinePattern* commentPattern_ = nullptr;
  KeywordEntry lastKeyword_;
  std::string fileName_;
  std::string sourceName_;
  std::size_t lineNumber_ = 0;
  std::size_t problemCount_ = 0;
  PassedOver passedOver_;
  ElementNumbering vertexNumbers_;
  ElementNumbering normalNumbers_;
  std::vector<PendingFace> pendingFaces_;
  std::vector<PendingSpring> pendingSprings_;
};

}  // namespace sv
