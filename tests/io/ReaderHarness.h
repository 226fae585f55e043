// Test helpers for the model reader (the fuzz target uses isSoundMesh alone): every load writes its
// file into a fresh directory of its own (never a shared name, so parallel runs cannot meet), reads it
// with OBJ3D while capturing what the reader prints, and can describe the stored mesh in one line.
#pragma once

#include "io/OBJ3D.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#ifdef _WIN32
#include <direct.h>
#include <io.h>
// The Windows build's tests run under Wine: mkdtemp from the Microsoft C runtime's own calls.
inline char* mkdtemp(char* pattern) {
  return _mktemp_s(pattern, std::strlen(pattern) + 1) == 0 && _mkdir(pattern) == 0 ? pattern : nullptr;
}
#endif

namespace sv::test {

// What every mesh the reader hands over keeps, whatever the file held: only the first slot filled,
// built (a particle per vertex), every stored index inside its array, every value finite.
inline bool isSoundMesh(const OBJ3D& reader) {
  if (!reader.objects[0] ||
      std::any_of(reader.objects.begin() + 1, reader.objects.end(), [](const auto& o) { return o != nullptr; })) {
    return false;
  }
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

// Makes the process's C locale one that writes numbers with a decimal comma (on Linux compiled into
// `dir`); returns why it cannot, or nothing. useClassicLocale undoes it.
inline std::string useDecimalCommaLocale(const ScratchDir& dir) {
#ifdef _WIN32
  (void)dir;
  for (const char* name : {"de-DE", "German_Germany.1252"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) return {};
  }
  return "no German locale can be selected";
#else
  const std::string command = "localedef -i de_DE -f UTF-8 '" + dir.path + "/de_DE.UTF-8' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return "localedef could not make de_DE.UTF-8";
  setenv("LOCPATH", dir.path.c_str(), 1);
  // The C library keeps a copy of the LOCPATH list it parsed for good; that is not ours to free.
#if defined(__SANITIZE_ADDRESS__)
  const __lsan::ScopedDisabler keptByTheCLibrary;
#endif
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) return "de_DE.UTF-8 cannot be selected";
  return {};
#endif
}

inline void useClassicLocale() {
  std::setlocale(LC_ALL, "C");
#ifndef _WIN32
  unsetenv("LOCPATH");
#endif
}

struct LoadResult {
  ScratchDir dir;
  std::string path = dir.write("model.obj", "");
  OBJ3D reader;
  std::string out, err;  // what open, load and close printed
  const Object3D& mesh() const { return *reader.objects[0]; }
};

inline std::unique_ptr<LoadResult> loadText(const std::string& content) {
  auto r = std::make_unique<LoadResult>();
  r->dir.write("model.obj", content);
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  r->reader.open(r->path);
  r->reader.load();
  r->reader.close();
  r->err = ::testing::internal::GetCapturedStderr();
  r->out = ::testing::internal::GetCapturedStdout();
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
