// The model reader's test helpers (the fuzz targets use isSoundMesh alone): each load writes its file into a
// fresh directory, so parallel runs never meet, reads it capturing what OBJ3D prints, and describes the mesh.
#pragma once

#include "io/OBJ3D.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
// The Windows build's tests run under Wine: mkdtemp from the Microsoft C runtime's own calls.
inline char* mkdtemp(char* pattern) {
  return _mktemp_s(pattern, std::strlen(pattern) + 1) == 0 && _mkdir(pattern) == 0 ? pattern : nullptr;
}
#endif

namespace sv::test {

// Whatever the file: only the first slot filled, built, every index inside its array, every value finite.
inline bool isSoundMesh(const OBJ3D& reader) {
  if (!reader.objects[0] ||
      std::any_of(reader.objects.begin() + 1, reader.objects.end(), [](const auto& o) { return o != nullptr; }))
    return false;
  const Object3D& m = *reader.objects[0];
  auto in = [](std::int32_t i, std::int32_t count) { return i >= 0 && i < count; };
  auto finite = [](const Vec3D& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); };
  bool sound = m.particles.length() == std::size_t(m.vertexCount) && m.faces.length() == std::size_t(m.faceCount);
  for (std::int32_t i = 0; i < m.faceCount; ++i) {
    const FaceIndices &f = m.faces[i], &n = m.faceNormalIndices[i];
    sound &= in(f.a, m.vertexCount) && in(f.b, m.vertexCount) && in(f.c, m.vertexCount) && in(n.a, m.normalCount) &&
             in(n.b, m.normalCount) && in(n.c, m.normalCount);
  }
  for (const MeshSpring& s : m.springs) sound &= in(s.first, m.vertexCount) && in(s.second, m.vertexCount);
  for (const Vec3D& v : m.vertices) sound &= finite(v);
  for (const Vec3D& n : m.normals) sound &= finite(n);
  return sound;
}

// A new directory under the test's temporary folder, removed with everything in it.
struct ScratchDir {
  std::string path = ::testing::TempDir() + "sv-io-XXXXXX";
  ScratchDir() {
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '\\', '/');  // messages escape a backslash; a slash stays as it is
#endif
    EXPECT_NE(mkdtemp(path.data()), nullptr) << path;
  }
  ~ScratchDir() {
    std::error_code ignored;  // a destructor must not throw
    std::filesystem::remove_all(path, ignored);
  }
  std::string write(const std::string& name, const std::string& content) const {
    std::ofstream(path + "/" + name, std::ios::binary) << content;
    return path + "/" + name;
  }
};

struct LoadResult {
  ScratchDir dir;
  OBJ3D reader;
  std::string path, out, err;  // out and err: what open, load and close printed
  const Object3D& mesh() const { return *reader.objects[0]; }
};

inline std::unique_ptr<LoadResult> loadText(const std::string& content) {
  auto r = std::make_unique<LoadResult>();
  r->path = r->dir.write("model.obj", content);
  ::testing::internal::CaptureStdout(), ::testing::internal::CaptureStderr();
  r->reader.open(r->path), r->reader.load(), r->reader.close();
  r->err = ::testing::internal::GetCapturedStderr(), r->out = ::testing::internal::GetCapturedStdout();
  return r;
}

// The mesh as stored: "v" vertices, "n" normals, "f" faces (vertices/normals, 0-based), "k" springs.
inline std::string describe(const Object3D& m) {
  std::ostringstream s;
  for (const Vec3D& v : m.vertices) s << "v" << v.x << "," << v.y << "," << v.z << " ";
  for (const Vec3D& n : m.normals) s << "n" << n.x << "," << n.y << "," << n.z << " ";
  for (std::int32_t i = 0; i < m.faceCount; ++i) {
    const FaceIndices &f = m.faces[i], &n = m.faceNormalIndices[i];
    s << "f" << f.a << "," << f.b << "," << f.c << "/" << n.a << "," << n.b << "," << n.c << " ";
  }
  for (const MeshSpring& k : m.springs) s << "k" << k.first << "," << k.second << " ";
  return s.str();
}

}  // namespace sv::test
