// What Object3D's add operations store for the reader: coordinates scaled by 5, normals negated, indices
// from 1-based to 0-based, into arrays that start at 256 elements. (Growth, trimming and the report
// lines show in the shipped model's test.)
#include "mesh/Object3D.h"

#include <array>
#include <cmath>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(Object3DAdd, ScalesNegatesAndCountsFromZero) {
  Object3D mesh;
  EXPECT_EQ((std::array{mesh.vertices.length(), mesh.normals.length(), mesh.faces.length(),
                        mesh.faceNormalIndices.length(), mesh.springs.length()}),
            (std::array<std::size_t, 5>{256, 256, 256, 256, 256}));
  mesh.addVertex(-0.5, 0.25, 0);
  mesh.addNormal(0, 1, 0);  // negated, zeros included
  mesh.addFace({1, 2, 3}, {70, 80, 90}, {4, 5, 6});
  mesh.addSpring(1, 2);
  EXPECT_TRUE(mesh.vertices[0].equals(Vec3D{-2.5, 1.25, 0, 0}));
  EXPECT_TRUE(std::signbit(mesh.normals[0].x) && mesh.normals[0].y == -1.0);
  EXPECT_EQ(
      (std::array{mesh.faces[0].a, mesh.faces[0].c, mesh.faceNormalIndices[0].a, mesh.faceNormalIndices[0].c,
                  mesh.springs[0].first, mesh.springs[0].second, FaceIndices{}.a, FaceIndices{}.b, FaceIndices{}.c}),
      (std::array{0, 2, 3, 5, 0, 1, 0, 0, 0}));  // a FaceIndices of its own starts at 0, 0, 0
}

}  // namespace
}  // namespace sv
