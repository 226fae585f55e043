// The model reader: reads a model file line by line into Object3D meshes and keeps them. It is
// table-driven: every line pattern is compiled once and filed under its keyword, and each keyword
// with a line operation is bound to it in a second table.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <string>

#include "core/Object.h"
#include "mesh/Object3D.h"

namespace sv {

class OBJ3D : public Object {
 public:
  using LineHandler = int (OBJ3D::*)(const std::string& keyword, const std::string& line);
  static constexpr std::size_t kObjectSlots = 32;

  OBJ3D();

  // Throws ModelFileError, naming the file and the reason, when the file cannot be opened.
  virtual int open(const std::string& fileName);
  virtual int close();
  virtual int load();
  virtual int onMtllib(const std::string& keyword, const std::string& line);
  virtual int onObject(const std::string& keyword, const std::string& line);
  virtual int onVertex(const std::string& keyword, const std::string& line);
  virtual int onNormal(const std::string& keyword, const std::string& line);
  virtual int onUnbound(const std::string& keyword, const std::string& line);
  virtual int onFace(const std::string& keyword, const std::string& line);
  virtual int onSpring(const std::string& keyword, const std::string& line);

  std::unique_ptr<std::ifstream> input;
  std::map<std::string, std::regex> patterns;
  std::map<std::string, LineHandler> handlers;
  std::array<std::unique_ptr<Object3D>, kObjectSlots> objects;
  std::int32_t currentIndex = 0;
  std::regex keywordPattern;

 private:
  Object3D& currentMesh();

  std::string fileName_;
};

}  // namespace sv
