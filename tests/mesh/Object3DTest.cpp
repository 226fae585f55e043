// Object3D before its first step: what the reader's add operations store (scaled, negated, 0-based),
// growth past the first 256 of each that keeps everything, and build's trimming and four report lines.
#include "mesh/Object3D.h"

#include <array>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

namespace sv {
namespace {

std::string buildAndCapture(Object3D& mesh) {
  ::testing::internal::CaptureStdout();
  mesh.build();
  return ::testing::internal::GetCapturedStdout();
}

TEST(Object3DAdd, ScalesNegatesAndCountsFromZero) {
  Object3D mesh;
  mesh.addVertex(-0.5, 0.25, 0);
  mesh.addNormal(0, 1, 0);  // negated, zeros included
  mesh.addFace({1, 2, 3}, {70, 80, 90}, {4, 5, 6});
  mesh.addSpring(1, 2);
  EXPECT_TRUE(mesh.vertices[0].equals(Vec3D{-2.5, 1.25, 0, 0}));
  EXPECT_TRUE(std::signbit(mesh.normals[0].x) && mesh.normals[0].y == -1.0);
  EXPECT_EQ((std::array{mesh.faces[0].a, mesh.faces[0].c, mesh.faceNormalIndices[0].a, mesh.faceNormalIndices[0].c,
                        mesh.springs[0].first, mesh.springs[0].second}),
            (std::array{0, 2, 3, 5, 0, 1}));
}

TEST(Object3DBuild, TrimsToCountsAndReportsThem) {
  Object3D empty;
  EXPECT_EQ(buildAndCapture(empty), "vtx   =0\nnml   =0\nface  =0\nspring=0\n");
  EXPECT_EQ(empty.step(0.1), 0);  // nothing to move, but time still runs
  EXPECT_EQ(empty.time, 0.1);

  Object3D mesh;
  for (int i = 0; i < 300; ++i) {
    if (i < 257) mesh.addVertex(i, -i, 0.5), mesh.addNormal(0, 0, i), mesh.addSpring(i + 1, i + 1);
    mesh.addFace({i + 1, i + 1, i + 1}, {}, {i + 1, i + 1, i + 1});
  }
  EXPECT_EQ(buildAndCapture(mesh), "vtx   =257\nnml   =257\nface  =300\nspring=257\n");
  EXPECT_EQ((std::array{mesh.vertices.length(), mesh.particles.length(), mesh.normals.length(), mesh.springs.length(),
                        mesh.faces.length(), mesh.faceNormalIndices.length(), mesh.faceMarks.length()}),
            (std::array<std::size_t, 7>{257, 257, 257, 257, 300, 300, 300}));
  for (int i = 0; i < 300; ++i) {  // growth kept everything
    ASSERT_TRUE(i >= 257 || (mesh.vertices[i].equals(Vec3D{5.0 * i, -5.0 * i, 2.5, 0}) && mesh.normals[i].z == -i));
    ASSERT_EQ(mesh.faces[i].c + mesh.faceNormalIndices[i].a + (i < 257 ? mesh.springs[i].second : i), 3 * i);
    ASSERT_EQ(mesh.faceMarks[i], 0);
  }
}

}  // namespace
}  // namespace sv
