// Test helpers for the model reader: every load writes its file into a fresh directory of its own
// (never a shared name, so parallel runs cannot meet), reads it with OBJ3D while capturing what the
// reader prints, and can describe the mesh in one line.
#pragma once

#include "SoundMesh.h"
#include "io/OBJ3D.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

namespace sv::testing {

// A new directory under the test's temporary folder, removed with everything in it.
struct ScratchDir {
  std::string path;
  ScratchDir() {
    std::string name = ::testing::TempDir() + "sv-io-XXXXXX";
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed under " + ::testing::TempDir());
    path = name;
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string write(const std::string& name, const std::string& content) const {
    std::ofstream(path + "/" + name, std::ios::binary) << content;
    return path + "/" + name;
  }
};

struct LoadResult {
  ScratchDir dir;
  std::string path;
  std::unique_ptr<OBJ3D> reader = std::make_unique<OBJ3D>();
  std::string out, err;  // what open, load and close printed
  const Object3D& mesh() const { return *reader->objects[0]; }
};

inline std::unique_ptr<LoadResult> loadText(const std::string& content) {
  auto r = std::make_unique<LoadResult>();
  r->path = r->dir.write("model.obj", content);
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  r->reader->open(r->path);
  r->reader->load();
  r->reader->close();
  r->err = ::testing::internal::GetCapturedStderr();
  r->out = ::testing::internal::GetCapturedStdout();
  return r;
}

template <typename... Values>
void appendFormatted(std::string& text, const char* format, Values... values) {
  char item[96];
  std::snprintf(item, sizeof item, format, values...);
  text += item;
}

// The mesh as stored: "v" vertices, "n" normals, "f" faces (vertices/normals, 0-based), "k" springs.
inline std::string describe(const Object3D& m) {
  std::string text;
  for (const Vec3D& v : m.vertices) appendFormatted(text, "v%g,%g,%g ", v.x, v.y, v.z);
  for (const Vec3D& n : m.normals) appendFormatted(text, "n%g,%g,%g ", n.x, n.y, n.z);
  for (std::int32_t i = 0; i < m.faceCount; ++i) {
    const FaceIndices &f = m.faces[i], &n = m.faceNormalIndices[i];
    appendFormatted(text, "f%d,%d,%d/%d,%d,%d ", f.a, f.b, f.c, n.a, n.b, n.c);
  }
  for (const MeshSpring& s : m.springs) appendFormatted(text, "k%d,%d ", s.first, s.second);
  return text;
}

}  // namespace sv::testing
