// Test helpers for the model reader: write a model file, read it with OBJ3D while capturing what
// the reader prints, and check the invariants every loaded mesh must keep.
#pragma once

#include "io/OBJ3D.h"

#include <cmath>
#include <fstream>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace sv::testing {

struct LoadResult {
  std::unique_ptr<OBJ3D> reader;
  std::string out;  // standard output during open, load and close
  std::string err;  // standard error during the same

  Object3D& mesh() const { return *reader->objects[0]; }
};

// A file under the test's temporary directory, holding exactly `content`.
inline std::string writeModelFile(const std::string& content, const std::string& name = "model.obj") {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
  return path;
}

// Opens, loads and closes a file holding `content`, capturing what the reader prints.
template <typename Reader = OBJ3D>
LoadResult loadText(const std::string& content) {
  LoadResult result;
  result.reader = std::make_unique<Reader>();
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  result.reader->open(writeModelFile(content));
  result.reader->load();
  result.reader->close();
  result.err = ::testing::internal::GetCapturedStderr();
  result.out = ::testing::internal::GetCapturedStdout();
  return result;
}

inline std::string countLines(int vertices, int normals, int faces, int springs) {
  return "vtx   =" + std::to_string(vertices) + "\nnml   =" + std::to_string(normals) +
         "\nface  =" + std::to_string(faces) + "\nspring=" + std::to_string(springs) + "\n";
}

// What every mesh the reader hands over keeps: built once, every stored index inside its array,
// every coordinate finite.
inline void expectSoundMesh(const OBJ3D& reader) {
  ASSERT_NE(reader.objects[0], nullptr);
  const Object3D& m = *reader.objects[0];
  EXPECT_EQ(m.vertices.length(), static_cast<std::size_t>(m.vertexCount));
  EXPECT_EQ(m.particles.length(), m.vertices.length());
  EXPECT_EQ(m.normals.length(), static_cast<std::size_t>(m.normalCount));
  EXPECT_EQ(m.faces.length(), static_cast<std::size_t>(m.faceCount));
  EXPECT_EQ(m.faceNormalIndices.length(), m.faces.length());
  EXPECT_EQ(m.springs.length(), static_cast<std::size_t>(m.springCount));
  auto vertexOk = [&](std::int32_t i) { return i >= 0 && i < m.vertexCount; };
  auto normalOk = [&](std::int32_t i) { return i >= 0 && i < m.normalCount; };
  for (const FaceIndices& f : m.faces) EXPECT_TRUE(vertexOk(f.a) && vertexOk(f.b) && vertexOk(f.c));
  for (const FaceIndices& f : m.faceNormalIndices) EXPECT_TRUE(normalOk(f.a) && normalOk(f.b) && normalOk(f.c));
  for (const MeshSpring& s : m.springs) EXPECT_TRUE(vertexOk(s.first) && vertexOk(s.second));
  for (const Vec3D& v : m.vertices) EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
  for (const Vec3D& n : m.normals) EXPECT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z));
  for (std::size_t i = 1; i < OBJ3D::kObjectSlots; ++i) EXPECT_EQ(reader.objects[i], nullptr);
}

}  // namespace sv::testing
