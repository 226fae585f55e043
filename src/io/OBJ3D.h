// The model reader: reads a model file line by line into Object3D meshes and keeps them. It is
// table-driven: every line pattern is compiled once and filed under its keyword, and each keyword
// with a line operation is bound to it in a second table. Faces and springs are checked against the
// mesh's final counts before they reach it, so every index the mesh stores is valid; lines that are
// skipped for that or for other faults are reported on standard error with file and line.
#pragma once

#include "core/Object.h"
#include "mesh/FaceIndices.h"
#include "mesh/Object3D.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <istream>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace sv {

class OBJ3D : public Object {
 public:
  using LineHandler = int (OBJ3D::*)(const std::string& keyword, const std::string& line);
  static constexpr std::size_t kObjectSlots = 32;
  // Problems reported per load before the rest are only counted.
  static constexpr std::size_t kMaxReportedProblems = 50;
  // Largest vertex coordinate accepted, in file units (see acceptPoint).
  static constexpr double kMaxCoordinate = 1e150;

  OBJ3D();

  // Throws ModelFileError, naming the file and the reason, when the file cannot be opened (missing,
  // unreadable, a directory); the reader is then left as it was.
  virtual int open(const std::string& fileName);
  virtual int close();
  // Reads the open file (an empty one when none is open) and builds objects[currentIndex], which
  // exists afterwards whatever the file held.
  virtual int load();
  virtual int onMtllib(const std::string& keyword, const std::string& line);
  virtual int onObject(const std::string& keyword, const std::string& line);
  virtual int onVertex(const std::string& keyword, const std::string& line);
  virtual int onNormal(const std::string& keyword, const std::string& line);
  virtual int onUnbound(const std::string& keyword, const std::string& line);
  virtual int onFace(const std::string& keyword, const std::string& line);
  virtual int onSpring(const std::string& keyword, const std::string& line);

  // What load does, from any stream; sourceName stands for the file in messages.
  int loadFrom(std::istream& in, const std::string& sourceName);
  // Lines skipped with a message on standard error during the last load.
  std::size_t problemCount() const { return problemCount_; }

  std::unique_ptr<std::ifstream> input;
  std::map<std::string, std::regex> patterns;
  std::map<std::string, LineHandler> handlers;
  std::array<std::unique_ptr<Object3D>, kObjectSlots> objects;
  std::int32_t currentIndex = 0;
  std::regex keywordPattern;

 private:
  struct PendingFace {
    FaceIndices vertices, textures, normals;
    std::size_t line;
  };
  struct PendingSpring {
    std::int32_t first, second;
    std::size_t line;
  };

  Object3D& currentMesh();
  void interpret(const std::string& line);
  bool matchElement(const std::string& keyword, const std::string& line, std::smatch& match, std::string& text);
  bool acceptPoint(const char* what, double x, double y, double z);
  void commitPendingElements();
  bool faceIsValid(const PendingFace& face, const Object3D& mesh);
  bool springIsValid(const PendingSpring& spring, const Object3D& mesh);
  void report(std::size_t line, const std::string& message);

  std::string fileName_;
  std::string sourceName_;
  std::size_t lineNumber_ = 0;
  std::size_t problemCount_ = 0;
  std::vector<PendingFace> pendingFaces_;
  std::vector<PendingSpring> pendingSprings_;
};

}  // namespace sv
