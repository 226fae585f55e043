// Object3D before its first step: construction, the add operations with their scaling, sign flips and
// 1-based indices, doubling growth, and build (trimming, particle and spring constants, the four
// report lines, the +1.0 x disturbance of the first 60 particles).
#include "mesh/Object3D.h"
#include "support/TestMeshes.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <type_traits>

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

// Plain records without a vtable, fields in their declared order: the arrays zero-fill them by bytes.
static_assert(!std::is_polymorphic_v<MeshParticle> && !std::is_polymorphic_v<MeshSpring> &&
              !std::is_polymorphic_v<FaceIndices>);
static_assert(offsetof(MeshParticle, force) == 0 && offsetof(MeshParticle, velocity) == 32 &&
              offsetof(MeshParticle, restPosition) == 64 && offsetof(MeshParticle, displacement) == 96 &&
              offsetof(MeshParticle, anchorStiffness) == 128 && offsetof(MeshParticle, anchorDamping) == 136 &&
              offsetof(MeshParticle, anchorRestLength) == 144 && offsetof(MeshParticle, mass) == 152);
static_assert(offsetof(MeshSpring, first) == 0 && offsetof(MeshSpring, second) == 4 &&
              offsetof(MeshSpring, stiffness) == 8 && offsetof(MeshSpring, damping) == 16 &&
              offsetof(MeshSpring, restLength) == 24);
static_assert(sizeof(FaceIndices) == 12 && offsetof(FaceIndices, c) == 8);
static_assert(std::is_base_of_v<Object, Object3D>);

TEST(Object3DConstruction, CapacitiesAndZeros) {
  Object3D mesh;
  EXPECT_EQ(mesh.init(), 0);
  for (auto length : {mesh.vertices.length(), mesh.normals.length(), mesh.faces.length(),
                      mesh.faceNormalIndices.length(), mesh.springs.length()})
    EXPECT_EQ(length, 256u);
  EXPECT_TRUE(mesh.particles.empty());
  EXPECT_TRUE(mesh.faceMarks.empty());
  EXPECT_EQ(mesh.vertexCount, 0);
  EXPECT_EQ(mesh.normalCount, 0);
  EXPECT_EQ(mesh.faceCount, 0);
  EXPECT_EQ(mesh.springCount, 0);
  EXPECT_TRUE(isZero(mesh.vertices[255]));
  EXPECT_EQ(mesh.springs[255].restLength, 0.0);
  EXPECT_TRUE(isZero(mesh.position));
  EXPECT_TRUE(isZero(mesh.guidePoint));
  EXPECT_EQ(bitsOf(mesh.time), 0u);
}

TEST(Object3DAdd, VertexIsScaledByFive) {
  Object3D mesh;
  mesh.addVertex(1, 2, 3);
  mesh.addVertex(-0.5, 0.25, 0);
  EXPECT_EQ(mesh.vertexCount, 2);
  EXPECT_TRUE(mesh.vertices[0].equals(Vec3D{5, 10, 15, 0}));
  EXPECT_TRUE(mesh.vertices[1].equals(Vec3D{-2.5, 1.25, 0, 0}));
}

TEST(Object3DAdd, NormalIsNegatedWithSignedZeros) {
  Object3D mesh;
  mesh.addNormal(0, 1, 0);
  EXPECT_EQ(mesh.normalCount, 1);
  EXPECT_EQ(bitsOf(mesh.normals[0].x), bitsOf(-0.0));
  EXPECT_EQ(mesh.normals[0].y, -1.0);
  EXPECT_EQ(bitsOf(mesh.normals[0].z), bitsOf(-0.0));
}

TEST(Object3DAdd, FaceAndSpringBecomeZeroBased) {
  Object3D mesh;
  mesh.addFace({1, 2, 3}, {70, 80, 90}, {4, 5, 6});
  EXPECT_EQ(mesh.faceCount, 1);
  EXPECT_EQ(mesh.faces[0].a, 0);
  EXPECT_EQ(mesh.faces[0].b, 1);
  EXPECT_EQ(mesh.faces[0].c, 2);
  EXPECT_EQ(mesh.faceNormalIndices[0].a, 3);
  EXPECT_EQ(mesh.faceNormalIndices[0].b, 4);
  EXPECT_EQ(mesh.faceNormalIndices[0].c, 5);
  mesh.addSpring(1, 2);
  EXPECT_EQ(mesh.springCount, 1);
  EXPECT_EQ(mesh.springs[0].first, 0);
  EXPECT_EQ(mesh.springs[0].second, 1);
  EXPECT_EQ(mesh.springs[0].stiffness, 0.0);  // constants wait for build
}

TEST(Object3DGrowth, EveryArrayDoublesWhenFull) {
  Object3D mesh;
  for (int i = 0; i < 256; ++i) {
    mesh.addVertex(i, 0, 0);
    mesh.addNormal(0, 0, i);
    mesh.addFace({i + 1, i + 1, i + 1}, {}, {i + 1, i + 1, i + 1});
    mesh.addSpring(i + 1, i + 1);
  }
  EXPECT_EQ(mesh.vertices.length(), 256u);
  EXPECT_EQ(mesh.faces.length(), 256u);
  mesh.addVertex(256, 0, 0);
  mesh.addNormal(0, 0, 256);
  mesh.addFace({257, 257, 257}, {}, {257, 257, 257});
  mesh.addSpring(257, 257);
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
  EXPECT_TRUE(isZero(mesh.vertices[257]));
  EXPECT_TRUE(isZero(mesh.vertices[511]));
  for (int i = 257; i <= 512; ++i) mesh.addVertex(0, 0, 0);
  EXPECT_EQ(mesh.vertices.length(), 1024u);
}

TEST(Object3DGrowth, ThreeHundredVerticesTrimToThreeHundredParticles) {
  Object3D mesh;
  for (int i = 0; i < 300; ++i) mesh.addVertex(i, -i, 0.5);
  const std::string report = buildAndCapture(mesh);
  EXPECT_EQ(report, "vtx   =300\nnml   =0\nface  =0\nspring=0\n");
  EXPECT_EQ(mesh.vertices.length(), 300u);
  EXPECT_EQ(mesh.particles.length(), 300u);
  EXPECT_TRUE(mesh.normals.empty());
  EXPECT_TRUE(mesh.faces.empty());
  EXPECT_TRUE(mesh.faceNormalIndices.empty());
  EXPECT_TRUE(mesh.faceMarks.empty());
  EXPECT_TRUE(mesh.springs.empty());
  EXPECT_TRUE(mesh.particles[299].restPosition.equals(Vec3D{1495, -1495, 2.5, 0}));
}

TEST(Object3DBuild, ReportLinesAreExact) {
  Object3D mesh;
  for (int i = 0; i < 3; ++i) mesh.addVertex(i, 0, 0);
  for (int i = 0; i < 4; ++i) mesh.addNormal(0, 1, 0);
  mesh.addFace({1, 2, 3}, {}, {1, 2, 3});
  mesh.addFace({3, 2, 1}, {}, {4, 4, 4});
  for (int i = 0; i < 12; ++i) mesh.addSpring(1, 2);
  EXPECT_EQ(buildAndCapture(mesh), "vtx   =3\nnml   =4\nface  =2\nspring=12\n");
  EXPECT_EQ(mesh.faceMarks.length(), 2u);
  EXPECT_EQ(mesh.faceMarks[0], 0);
  EXPECT_EQ(mesh.faceMarks[1], 0);
  EXPECT_EQ(mesh.faceNormalIndices.length(), 2u);
  EXPECT_EQ(mesh.faceNormalIndices[1].b, 3);
}

TEST(Object3DBuild, EmptyObjectBuilds) {
  Object3D mesh;
  EXPECT_EQ(buildAndCapture(mesh), "vtx   =0\nnml   =0\nface  =0\nspring=0\n");
  EXPECT_TRUE(mesh.particles.empty());
  EXPECT_EQ(mesh.step(0.1), 0);  // nothing to move, but time still runs
  EXPECT_EQ(mesh.time, 0.1);
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
    EXPECT_TRUE(isZero(p.force));
    EXPECT_TRUE(isZero(p.velocity));
    EXPECT_EQ(p.anchorStiffness, 0.025);
    EXPECT_EQ(p.anchorDamping, 0.025);
    EXPECT_EQ(bitsOf(p.anchorRestLength), 0u);
    EXPECT_EQ(p.mass, 0.05);
  }
  EXPECT_EQ(bitsOf(mesh.time), 0u);
}

class Object3DDisturbance : public ::testing::TestWithParam<int> {};

TEST_P(Object3DDisturbance, FirstSixtyParticlesMoveOneInXButVerticesWait) {
  const int count = GetParam();
  Object3D mesh;
  for (int i = 0; i < count; ++i) mesh.addVertex(0.1 * i, 0.2, -0.3);
  buildAndCapture(mesh);
  ASSERT_EQ(mesh.particles.length(), static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const MeshParticle& p = mesh.particles[i];
    const Vec3D expected{i < 60 ? 1.0 : 0.0, 0.0, 0.0, 0.0};
    EXPECT_TRUE(p.displacement.equals(expected)) << i;
    EXPECT_EQ(bitsOf(p.displacement.y), 0u) << i;
    EXPECT_TRUE(mesh.vertices[i].equals(p.restPosition)) << i;  // build does not move the vertices
  }
  mesh.step(0.0);  // a step of length zero only writes rest + displacement
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(mesh.vertices[i].x, mesh.particles[i].restPosition.x + (i < 60 ? 1.0 : 0.0)) << i;
    EXPECT_EQ(mesh.vertices[i].y, mesh.particles[i].restPosition.y) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(VertexCounts, Object3DDisturbance, ::testing::Values(1, 40, 59, 60, 61, 100));

}  // namespace
}  // namespace sv
