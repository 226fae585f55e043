// Object3D before its first step: construction, the add operations with their scaling, sign flips and
// 1-based indices, doubling growth, and build (trimming, particle and spring constants, the four
// report lines, the +1.0 x disturbance of the first 60 particles).
#include "mesh/Object3D.h"
#include "support/TestMeshes.h"

#include <cmath>
#include <cstddef>
#include <string>

#include <gtest/gtest.h>

namespace sv {
namespace {

using testing::bitsOf;

std::string buildAndCapture(Object3D& mesh) {
  ::testing::internal::CaptureStdout();
  mesh.build();
  return ::testing::internal::GetCapturedStdout();
}

bool isZero(const Vec3D& v) { return bitsOf(v.x) == 0 && bitsOf(v.y) == 0 && bitsOf(v.z) == 0; }

TEST(Object3DConstruction, CapacitiesAndZeros) {
  Object3D mesh;
  EXPECT_EQ(mesh.init(), 0);
  for (auto length : {mesh.vertices.length(), mesh.normals.length(), mesh.faces.length(),
                      mesh.faceNormalIndices.length(), mesh.springs.length()})
    EXPECT_EQ(length, 256u);
  EXPECT_TRUE(mesh.particles.empty() && mesh.faceMarks.empty());
  EXPECT_EQ(mesh.vertexCount + mesh.normalCount + mesh.faceCount + mesh.springCount, 0);
  EXPECT_TRUE(isZero(mesh.vertices[255]) && isZero(mesh.position) && isZero(mesh.guidePoint));
  EXPECT_EQ(mesh.springs[255].restLength, 0.0);
  EXPECT_EQ(bitsOf(mesh.time), 0u);
}

TEST(Object3DAdd, ScalesNegatesAndCountsFromZero) {
  Object3D mesh;
  mesh.addVertex(-0.5, 0.25, 0);
  EXPECT_TRUE(mesh.vertices[0].equals(Vec3D{-2.5, 1.25, 0, 0}));
  mesh.addNormal(0, 1, 0);  // negated, zeros included
  EXPECT_EQ(bitsOf(mesh.normals[0].x), bitsOf(-0.0));
  EXPECT_EQ(mesh.normals[0].y, -1.0);
  EXPECT_EQ(bitsOf(mesh.normals[0].z), bitsOf(-0.0));
  mesh.addFace({1, 2, 3}, {70, 80, 90}, {4, 5, 6});
  EXPECT_EQ(mesh.faces[0].a, 0);
  EXPECT_EQ(mesh.faces[0].c, 2);
  EXPECT_EQ(mesh.faceNormalIndices[0].a, 3);
  EXPECT_EQ(mesh.faceNormalIndices[0].c, 5);
  mesh.addSpring(1, 2);
  EXPECT_EQ(mesh.springs[0].first, 0);
  EXPECT_EQ(mesh.springs[0].second, 1);
  EXPECT_EQ(mesh.springs[0].stiffness, 0.0);  // constants wait for build
  EXPECT_EQ(mesh.vertexCount + mesh.normalCount + mesh.faceCount + mesh.springCount, 4);
}

TEST(Object3DGrowth, EveryArrayDoublesWhenFull) {
  Object3D mesh;
  for (int i = 0; i <= 256; ++i) {
    mesh.addVertex(i, 0, 0);
    mesh.addNormal(0, 0, i);
    mesh.addFace({i + 1, i + 1, i + 1}, {}, {i + 1, i + 1, i + 1});
    mesh.addSpring(i + 1, i + 1);
    if (i == 255) ASSERT_EQ(mesh.faces.length(), 256u);  // full, not yet grown
  }
  for (auto length : {mesh.vertices.length(), mesh.normals.length(), mesh.faces.length(),
                      mesh.faceNormalIndices.length(), mesh.springs.length()})
    EXPECT_EQ(length, 512u);
  for (int i = 0; i <= 256; ++i) {  // growth kept everything
    ASSERT_EQ(mesh.vertices[i].x, 5.0 * i);
    ASSERT_EQ(mesh.normals[i].z, -static_cast<double>(i));
    ASSERT_EQ(mesh.faces[i].c, i);
    ASSERT_EQ(mesh.faceNormalIndices[i].a, i);
    ASSERT_EQ(mesh.springs[i].second, i);
  }
  EXPECT_TRUE(isZero(mesh.vertices[257]) && isZero(mesh.vertices[511]));
  for (int i = 257; i <= 512; ++i) mesh.addVertex(0, 0, 0);
  EXPECT_EQ(mesh.vertices.length(), 1024u);
}

TEST(Object3DBuild, TrimsToCountsAndReportsThem) {
  Object3D empty;
  EXPECT_EQ(buildAndCapture(empty), "vtx   =0\nnml   =0\nface  =0\nspring=0\n");
  EXPECT_TRUE(empty.vertices.empty() && empty.faces.empty() && empty.springs.empty());
  EXPECT_EQ(empty.step(0.1), 0);  // nothing to move, but time still runs
  EXPECT_EQ(empty.time, 0.1);

  Object3D mesh;
  for (int i = 0; i < 300; ++i) mesh.addVertex(i, -i, 0.5);
  for (int i = 0; i < 4; ++i) mesh.addNormal(0, 1, 0);
  mesh.addFace({1, 2, 3}, {}, {1, 2, 3});
  mesh.addFace({3, 2, 1}, {}, {4, 4, 4});
  for (int i = 0; i < 12; ++i) mesh.addSpring(1, 2);
  EXPECT_EQ(buildAndCapture(mesh), "vtx   =300\nnml   =4\nface  =2\nspring=12\n");
  EXPECT_EQ(mesh.vertices.length(), 300u);
  EXPECT_EQ(mesh.particles.length(), 300u);
  EXPECT_EQ(mesh.normals.length(), 4u);
  EXPECT_EQ(mesh.faces.length(), 2u);
  EXPECT_EQ(mesh.faceNormalIndices.length(), 2u);
  EXPECT_EQ(mesh.faceNormalIndices[1].b, 3);
  EXPECT_EQ(mesh.springs.length(), 12u);
  ASSERT_EQ(mesh.faceMarks.length(), 2u);
  EXPECT_EQ(mesh.faceMarks[0] | mesh.faceMarks[1], 0);
  EXPECT_TRUE(mesh.particles[299].restPosition.equals(Vec3D{1495, -1495, 2.5, 0}));
}

TEST(Object3DBuild, ParticlesAndSpringsGetTheirConstants) {
  Object3D mesh;
  mesh.addVertex(0, 0, 0);
  mesh.addVertex(1, 0, 0);
  mesh.addVertex(0.2, 0.4, 0.4);
  mesh.addSpring(1, 2);
  mesh.addSpring(3, 1);
  EXPECT_EQ(mesh.build(), 0);
  EXPECT_EQ(mesh.springs[0].restLength, 5.0);  // measured on the scaled positions
  EXPECT_EQ(mesh.springs[1].restLength, std::sqrt(1.0 * 1.0 + 2.0 * 2.0 + 2.0 * 2.0));
  for (const MeshSpring& s : mesh.springs) {
    EXPECT_EQ(s.stiffness, 0.0025);
    EXPECT_EQ(s.damping, 0.0025);
  }
  for (std::size_t i = 0; i < 3; ++i) {
    const MeshParticle& p = mesh.particles[i];
    EXPECT_TRUE(p.restPosition.equals(mesh.vertices[i]));
    EXPECT_TRUE(isZero(p.force) && isZero(p.velocity));
    EXPECT_EQ(p.anchorStiffness, 0.025);
    EXPECT_EQ(p.anchorDamping, 0.025);
    EXPECT_EQ(bitsOf(p.anchorRestLength), 0u);
    EXPECT_EQ(p.mass, 0.05);
  }
}

TEST(Object3DBuild, FirstSixtyParticlesMoveOneInXButVerticesWait) {
  for (int count : {1, 60, 61, 100}) {
    SCOPED_TRACE(count);
    Object3D mesh;
    for (int i = 0; i < count; ++i) mesh.addVertex(0.1 * i, 0.2, -0.3);
    buildAndCapture(mesh);
    ASSERT_EQ(mesh.particles.length(), static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      const MeshParticle& p = mesh.particles[i];
      EXPECT_EQ(bitsOf(p.displacement.x), bitsOf(i < 60 ? 1.0 : 0.0)) << i;
      EXPECT_TRUE(isZero(Vec3D{0, p.displacement.y, p.displacement.z, 0})) << i;
      EXPECT_TRUE(mesh.vertices[i].equals(p.restPosition)) << i;  // build does not move the vertices
    }
  }
}

}  // namespace
}  // namespace sv
