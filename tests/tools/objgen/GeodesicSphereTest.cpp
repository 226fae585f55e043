// The sphere generator: counts, a closed and consistently wound surface, points on the sphere with
// outward unit normals, and the shipped model being exactly what the generator writes.
#include "GeodesicSphere.h"
#include "ShippedModel.h"
#include "io/OBJ3D.h"

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

namespace sv {
namespace {

using Point = GeodesicSphere::Point;

Point cross(const Point& a, const Point& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Point minus(const Point& a, const Point& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double dot(const Point& a, const Point& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

class GeodesicSphereTest : public ::testing::TestWithParam<int> {};

TEST_P(GeodesicSphereTest, CountsFollowTheFrequency) {
  const int f = GetParam();
  const GeodesicSphere s(f, 0.2);
  EXPECT_EQ(s.positions.size(), static_cast<std::size_t>(10 * f * f + 2));
  EXPECT_EQ(s.normals.size(), s.positions.size());
  EXPECT_EQ(s.faces.size(), static_cast<std::size_t>(20 * f * f));
  EXPECT_EQ(s.edges.size(), static_cast<std::size_t>(30 * f * f));
}

// Every edge is used once in each direction: the surface is closed and every face is wound the same
// way, and each face turns counter-clockwise seen from outside.
TEST_P(GeodesicSphereTest, SurfaceIsClosedAndWoundOutward) {
  const GeodesicSphere s(GetParam(), 0.2);
  std::map<std::pair<int, int>, int> directed;
  for (const auto& t : s.faces) {
    for (int k = 0; k < 3; ++k) ++directed[{t[k], t[(k + 1) % 3]}];
    const Point n = cross(minus(s.positions[t[1]], s.positions[t[0]]), minus(s.positions[t[2]], s.positions[t[0]]));
    EXPECT_GT(dot(n, s.positions[t[0]]), 0.0);
  }
  for (const auto& [edge, uses] : directed) {
    EXPECT_EQ(uses, 1);
    EXPECT_EQ(directed.count({edge.second, edge.first}), 1u);
  }
  EXPECT_EQ(directed.size(), 2 * s.edges.size());
  for (const auto& [a, b] : s.edges) EXPECT_EQ(directed.count({a, b}) + directed.count({b, a}), 2u);
}

TEST_P(GeodesicSphereTest, PointsLieOnTheSphereWithOutwardUnitNormals) {
  const GeodesicSphere s(GetParam(), 0.2);
  for (std::size_t i = 0; i < s.positions.size(); ++i) {
    EXPECT_NEAR(std::sqrt(dot(s.positions[i], s.positions[i])), 0.2, 1e-15);
    EXPECT_NEAR(std::sqrt(dot(s.normals[i], s.normals[i])), 1.0, 1e-15);
    EXPECT_NEAR(dot(s.normals[i], s.positions[i]), 0.2, 1e-15);
  }
}

INSTANTIATE_TEST_SUITE_P(Frequencies, GeodesicSphereTest, ::testing::Values(1, 2, 3, 5, 8));

TEST(GeodesicSphereFileTest, ModelTextReadsBackWithEveryElement) {
  const GeodesicSphere s(4, 0.2);
  std::istringstream text(s.modelText("ball"));
  OBJ3D reader;
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  reader.loadFrom(text, "ball.obj");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "vtx   =162\nnml   =162\nface  =320\nspring=480\n");
  const Object3D& m = *reader.objects[0];
  for (int i = 0; i < m.faceCount; ++i) {
    EXPECT_EQ(m.faces[i].a, s.faces[i][0]);
    EXPECT_EQ(m.faceNormalIndices[i].c, s.faces[i][2]);
  }
  for (int i = 0; i < m.vertexCount; ++i) {
    // Written with six decimals, then scaled by 5 on reading.
    EXPECT_NEAR(m.vertices[i].x, 5 * s.positions[i][0], 5 * 0.5e-6);
    EXPECT_NEAR(m.normals[i].y, -s.normals[i][1], 0.5e-6);
  }
  EXPECT_EQ(m.springs[0].first, s.edges[0].first);
  EXPECT_EQ(m.springs[m.springCount - 1].second, s.edges.back().second);
}

TEST(GeodesicSphereFileTest, NoNegativeZeroIsWritten) {
  const std::string text = GeodesicSphere(3, 0.2).modelText("ball");
  EXPECT_EQ(text.find("-0.000000"), std::string::npos);
  EXPECT_NE(text.find(" 0.000000"), std::string::npos);
}

// The shipped model is what the generator writes, and it loads cleanly as a sphere of radius 1.
TEST(GeodesicSphereFileTest, ShippedModelIsExactlyWhatTheGeneratorWritesAndLoadsAsAUnitSphere) {
  std::ifstream file(SV_ASSETS_DIR "/sphere_k.obj", std::ios::binary);
  ASSERT_TRUE(file.is_open());
  std::ostringstream shipped;
  shipped << file.rdbuf();
  const GeodesicSphere sphere(kShippedSphereFrequency, kShippedSphereRadius);
  EXPECT_TRUE(shipped.str() == sphere.modelText(kShippedSphereName))
      << "assets/sphere_k.obj differs from objgen's output: regenerate it with objgen --output assets/sphere_k.obj";

  OBJ3D reader;
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  reader.open(SV_ASSETS_DIR "/sphere_k.obj");
  reader.load();
  reader.close();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "vtx   =1002\nnml   =1002\nface  =2000\nspring=3000\n");
  for (const Vec3D& v : reader.objects[0]->vertices) EXPECT_NEAR(v.length(), 1.0, 5e-6);
}

}  // namespace
}  // namespace sv
