// The importer's mesh: exported shapes become closed meshes of the shipped sphere's size, normals outward,
// a spring per edge, read without a word; a text that is no mesh is refused with its reason.
#include "MeshImport.h"
#include "io/ReaderHarness.h"

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

namespace sv::test {
namespace {

// Each directed edge once, and its reverse too: every edge borders two triangles wound alike.
bool isClosed(const MeshImport& mesh) {
  std::map<std::pair<int, int>, int> directed;
  for (const MeshImport::Triangle& t : mesh.faces)
    for (int c = 0; c < 3; ++c) ++directed[{t.vertices[c], t.vertices[(c + 1) % 3]}];
  for (const auto& [edge, count] : directed)
    if (count != 1 || directed.count({edge.second, edge.first}) == 0) return false;
  return true;
}

TEST(MeshImportTest, ExportedShapesBecomeClosedMeshesTheReaderLoadsSilently) {
  const std::pair<const char*, const char*> cases[] = {
      {"cube.obj", "vtx   =8\nnml   =6\nface  =12\nspring=18\n"},
      {"tetrahedron.obj", "vtx   =4\nnml   =4\nface  =4\nspring=6\n"},
      {"two-objects.obj", "vtx   =8\nnml   =8\nface  =8\nspring=12\n"}};
  for (const auto& [file, counts] : cases) {
    std::ostringstream text;
    text << std::ifstream(std::string(SV_SHAPES_DIR "/") + file).rdbuf();
    const MeshImport mesh(text.str(), {});
    EXPECT_TRUE(isClosed(mesh)) << counts;
    for (const MeshImport::Triangle& t : mesh.faces)
      for (int k = 0; k < 3; ++k) {  // centred convex shapes: every normal points away from the middle
        const MeshImport::Point &v = mesh.vertices[t.vertices[k]], &n = mesh.normals[t.normals[k]];
        EXPECT_GT(v[0] * n[0] + v[1] * n[1] + v[2] * n[2], 0) << counts;
        EXPECT_NEAR(std::hypot(v[0], v[1], v[2]), 0.2, 1e-12) << "every corner on the shipped sphere's radius";
      }
    const auto loaded = loadText(mesh.toText("shape"));
    EXPECT_EQ(loaded->out + loaded->err, counts) << "the counts, and not a word more";
  }
}

// A square of two triangles: five edges, a sixth across with --bend; coordinates kept with --keep-scale.
TEST(MeshImportTest, BendAndKeepScale) {
  const std::string square = "v 10 10 0\nv 12 10 0\nv 12 12 0\nv 10 12 0\nf 1 2 3 4\n";
  const MeshImport plain(square, {false, true}), bent(square, {true, true});
  EXPECT_EQ(plain.springs.size(), 5u);
  ASSERT_EQ(bent.springs.size(), 6u);
  EXPECT_EQ(bent.springs.back(), MeshImport::Spring(1, 3));
  EXPECT_EQ(plain.vertices[2], (MeshImport::Point{12, 12, 0}));
}

// Found by the fuzzer: a normal read as not a number was written out as nan, and the reader dropped it
// with its faces; it is now a normal without direction, and the face's normals are computed instead.
TEST(MeshImportTest, AFileNormalThatIsNotANumberIsComputedInstead) {
  const MeshImport mesh("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 1 1 -0.E+577350\nf 1//1 2//1 3//1\n", {});
  EXPECT_EQ(loadText(mesh.toText("nan"))->err, "");
}

TEST(MeshImportTest, TextsThatAreNoMeshAreRefusedWithTheirReason) {
  const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
  std::string manyCorners = "f";
  for (int i = 0; i < 256; ++i) manyCorners += " " + std::to_string(i % 3 + 1);
  const std::pair<std::string, const char*> cases[] = {
      {"", "no faces"},
      {triangle + "l 1 2\np 3\n", "no faces"},
      {triangle + "f 1 1 2\n", "no faces"},
      {std::string("v 0 0 0\0\n", 9), "not a text file (byte 0x00 at offset 7)"},
      {triangle + "f 1 2 4\n", "face 1 names vertex 4, but the file has 3 vertices"},
      {triangle + "f -4 1 2\n", "face 1 names vertex 0, but the file has 3 vertices"},
      {triangle + "f 1 2 0\n", "not readable as OBJ: "},
      {"v 0 0 0\nv 1 1 1\nv 2 2 2\nf 1 2 3\n", "degenerate: every face has zero area"},
      {"v 0 0 0\nv 1e151 0 0\nv 0 1 0\nf 1 2 3\n", "vertex 2 has a coordinate beyond 1e150"},
      {triangle + manyCorners + "\n", "a face has more than 255 corners"},
  };
  for (const auto& [text, reason] : cases) {
    try {
      MeshImport mesh(text, {});
      ADD_FAILURE() << "accepted: " << text;
    } catch (const ImportError& e) {
      EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace sv::test
