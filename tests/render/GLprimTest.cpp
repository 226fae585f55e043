// The drawer, call by call against the recording binding: the floor's 22 white segments, the cloth's
// 90 + 90 red segments in their fixed order with no diagonals, and the mesh's guide line, yellow
// displacement lines and lit triangles with the marked or plain colour tables.
#include "render/GLprim.h"
#include "support/RecordedCalls.h"

#include <memory>
#include <set>
#include <utility>

#include <gtest/gtest.h>

namespace sv::test {
namespace {

constexpr double kLines = 1, kTriangles = 4, kLighting = 0x0B50, kLight0 = 0x4000;

// Splits the vertex calls of a log into segments (pairs of points).
std::vector<std::pair<Vec3D, Vec3D>> segments(const Calls& calls) {
  std::vector<std::pair<Vec3D, Vec3D>> out;
  std::vector<Vec3D> points;
  for (const GLCall& c : calls) {
    if (c.name == "glVertex3d") points.push_back({c.args[0], c.args[1], c.args[2], 0});
  }
  for (std::size_t i = 0; i + 1 < points.size(); i += 2) out.push_back({points[i], points[i + 1]});
  return out;
}

class GLprimFloorTest : public ::testing::Test {
 protected:
  void SetUp() override { gl::GLRecorder::clear(); }
  GLprim prim;
};

TEST_F(GLprimFloorTest, SceneFloorIsElevenBatchesOfTwoWhiteSegmentsFromMinus12_5To12_5) {
  prim.drawFloor(0.5, 5.0);
  Calls expected;
  for (int k = -5; k <= 5; ++k) {
    const double at = 2.5 * k;
    expected.insert(expected.end(),
                    {call("glBegin", {kLines}), call("glColor3f", {1, 1, 1}), call("glVertex3d", {at, 0, -12.5}),
                     call("glVertex3d", {at, 0, 12.5}), call("glVertex3d", {-12.5, 0, at}),
                     call("glVertex3d", {12.5, 0, at}), call("glEnd")});
  }
  const Calls calls = takeCalls();
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(segments(calls).size(), 22u);
  EXPECT_EQ(countNamed(calls, "glEnable") + countNamed(calls, "glDisable"), 0u) << "the floor leaves lighting alone";
}

TEST_F(GLprimFloorTest, UnitFloorHasLinesAtWholeNumbersFromMinus5To5) {
  prim.drawFloor(1.0, 1.0);
  const auto lines = segments(takeCalls());
  ASSERT_EQ(lines.size(), 22u);
  for (int k = -5; k <= 5; ++k) {
    const auto& alongZ = lines[static_cast<std::size_t>(2 * (k + 5))];
    const auto& alongX = lines[static_cast<std::size_t>(2 * (k + 5) + 1)];
    EXPECT_TRUE(alongZ.first.equals({double(k), 0, -5, 0}) && alongZ.second.equals({double(k), 0, 5, 0})) << k;
    EXPECT_TRUE(alongX.first.equals({-5, 0, double(k), 0}) && alongX.second.equals({5, 0, double(k), 0})) << k;
  }
}

class GLprimClothTest : public ::testing::Test {
 protected:
  // Particle k sits at (k, 2k, 3k), so every drawn point names its particle.
  void SetUp() override {
    for (std::size_t k = 0; k < cloth.particles.length(); ++k) {
      cloth.particles[k].position = {double(k), 2.0 * k, 3.0 * k, 0};
    }
    gl::GLRecorder::clear();
  }
  static std::vector<std::pair<int, int>> particlePairs(const Calls& calls) {
    std::vector<std::pair<int, int>> pairs;
    for (const auto& [a, b] : segments(calls)) pairs.emplace_back(int(a.x), int(b.x));
    return pairs;
  }
  Cloth cloth;
  GLprim prim;
};

TEST_F(GLprimClothTest, TenByTenClothIsOneRedBatchOfRowsThenColumnsWithoutDiagonals) {
  ASSERT_EQ(cloth.columns, 10);
  ASSERT_EQ(cloth.rows, 10);
  prim.drawCloth(cloth);
  const Calls calls = takeCalls();
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(calls[0], call("glDisable", {kLighting}));
  EXPECT_EQ(calls[1], call("glBegin", {kLines}));
  EXPECT_EQ(calls[2], call("glColor3f", {1, 0, 0}));
  EXPECT_EQ(calls.back(), call("glEnd"));
  EXPECT_EQ(calls.size(), 3 + 360 + 1u) << "nothing but vertices inside the batch";
  EXPECT_EQ(countNamed(calls, "glEnable"), 0u) << "lighting stays disabled";

  const auto pairs = particlePairs(calls);
  ASSERT_EQ(pairs.size(), 180u);
  EXPECT_EQ(pairs.front(), std::make_pair(0, 1));
  EXPECT_EQ(pairs[8], std::make_pair(8, 9));
  EXPECT_EQ(pairs[9], std::make_pair(10, 11)) << "the second row follows the first";
  EXPECT_EQ(pairs[89], std::make_pair(98, 99));
  EXPECT_EQ(pairs[90], std::make_pair(0, 10)) << "columns follow all rows";
  EXPECT_EQ(pairs[91], std::make_pair(10, 20));
  EXPECT_EQ(pairs[99], std::make_pair(1, 11));
  EXPECT_EQ(pairs.back(), std::make_pair(89, 99));
  std::set<std::pair<int, int>> distinct(pairs.begin(), pairs.end());
  EXPECT_EQ(distinct.size(), 180u);
  for (const auto& [a, b] : pairs) {
    const bool horizontal = b == a + 1 && a / 10 == b / 10;
    const bool vertical = b == a + 10;
    EXPECT_TRUE(horizontal || vertical) << a << "-" << b << " is not a grid edge";
  }
  // The drawn points are the particles' own coordinates.
  EXPECT_EQ(calls[3], call("glVertex3d", {0, 0, 0}));
  EXPECT_EQ(calls[4], call("glVertex3d", {1, 2, 3}));
}

TEST_F(GLprimClothTest, SingleColumnDrawsOnlyVerticalSegments) {
  cloth.columns = 1;
  prim.drawCloth(cloth);
  const auto pairs = particlePairs(takeCalls());
  ASSERT_EQ(pairs.size(), 9u);
  for (int j = 1; j < 10; ++j) EXPECT_EQ(pairs[std::size_t(j - 1)], std::make_pair(j - 1, j));
}

TEST_F(GLprimClothTest, SingleRowDrawsOnlyHorizontalSegments) {
  cloth.rows = 1;
  prim.drawCloth(cloth);
  const auto pairs = particlePairs(takeCalls());
  ASSERT_EQ(pairs.size(), 9u);
  for (int i = 1; i < 10; ++i) EXPECT_EQ(pairs[std::size_t(i - 1)], std::make_pair(i - 1, i));
}

TEST_F(GLprimClothTest, GridLargerThanItsParticlesDrawsAnEmptyBatchInsteadOfReadingPastTheEnd) {
  cloth.rows = 11;
  prim.drawCloth(cloth);
  EXPECT_EQ(takeCalls(), (Calls{call("glDisable", {kLighting}), call("glBegin", {kLines}), call("glColor3f", {1, 0, 0}),
                                call("glEnd")}));
}

class GLprimModelTest : public ::testing::Test {
 protected:
  // Four vertices (scaled by 5 on the way in), three normals (negated), two faces.
  void SetUp() override {
    auto mesh = std::make_unique<Object3D>();
    mesh->addVertex(0, 0, 0);
    mesh->addVertex(1, 0, 0);
    mesh->addVertex(0, 1, 0);
    mesh->addVertex(0, 0, 1);
    mesh->addNormal(0, 0, 1);
    mesh->addNormal(1, 0, 0);
    mesh->addNormal(0, 1, 0);
    mesh->addFace({1, 2, 3}, {}, {1, 1, 1});
    mesh->addFace({1, 3, 4}, {}, {2, 3, 1});
    mesh->build();
    model.objects[0] = std::move(mesh);
    gl::GLRecorder::clear();
  }
  Object3D& mesh() { return *model.objects[0]; }

  static Calls line(std::vector<double> from, std::vector<double> to, std::vector<double> colour) {
    return {call("glBegin", {kLines}), call("glColor3f", std::move(colour)), call("glVertex3d", std::move(from)),
            call("glVertex3d", std::move(to)), call("glEnd")};
  }
  static Calls face(bool marked, std::vector<std::vector<double>> normalsAndVertices) {
    Calls c{marked ? call("glMaterialfv", {0x0404, 0x1201, 0.5, 0.5, 0, 1})
                   : call("glMaterialfv", {0x0404, 0x1201, 0, 0.5, 0, 1}),
            marked ? call("glLightfv", {0x4000, 0x1200, 0.2f, 0.2f, 0, 1})
                   : call("glLightfv", {0x4000, 0x1200, 0, 0.2f, 0, 1}),
            call("glBegin", {kTriangles})};
    for (std::size_t i = 0; i < normalsAndVertices.size(); i += 2) {
      c.push_back(call("glNormal3d", normalsAndVertices[i]));
      c.push_back(call("glVertex3d", normalsAndVertices[i + 1]));
    }
    c.push_back(call("glEnd"));
    return c;
  }

  OBJ3D model;
  GLprim prim;
};

TEST_F(GLprimModelTest, OffsetsCornersButNotDisplacementLinesAndUsesMarkedTablesOnlyForMarkOne) {
  mesh().vertices[1] = {6, 1, 0, 0};  // moved away from its rest position (5, 0, 0)
  mesh().position = {10, 20, 30, 0};
  mesh().guidePoint = {1, 2, 3, 0};
  mesh().faceMarks[0] = 2;  // only a mark of exactly 1 selects the marked tables
  mesh().faceMarks[1] = 1;
  prim.drawModel(model);
  const Calls expected = concat({
      {call("glDisable", {kLighting})},
      line({10, 20, 30}, {1, 2, 3}, {1, 0, 0}),
      line({0, 0, 0}, {0, 0, 0}, {1, 1, 0}),
      line({6, 1, 0}, {5, 0, 0}, {1, 1, 0}),
      line({0, 5, 0}, {0, 5, 0}, {1, 1, 0}),
      line({0, 0, 5}, {0, 0, 5}, {1, 1, 0}),
      {call("glEnable", {kLighting}), call("glEnable", {kLight0})},
      face(false, {{0, 0, -1}, {10, 20, 30}, {0, 0, -1}, {16, 21, 30}, {0, 0, -1}, {10, 25, 30}}),
      face(true, {{-1, 0, 0}, {10, 20, 30}, {0, -1, 0}, {10, 25, 30}, {0, 0, -1}, {10, 20, 35}}),
  });
  EXPECT_EQ(takeCalls(), expected);
}

TEST_F(GLprimModelTest, FreshlyBuiltMeshHasZeroLengthDisplacementLinesAndOnlyPlainGreenFaces) {
  prim.drawModel(model);
  const Calls calls = takeCalls();
  std::size_t yellowLines = 0;
  for (std::size_t i = 0; i + 3 < calls.size(); ++i) {
    if (calls[i + 1] != call("glColor3f", {1, 1, 0})) continue;
    ++yellowLines;
    EXPECT_EQ(calls[i + 2].args, calls[i + 3].args) << "line " << yellowLines << " has a length";
  }
  EXPECT_EQ(yellowLines, 4u);
  EXPECT_EQ(countNamed(calls, "glMaterialfv"), 2u);
  for (const GLCall& c : calls) {
    if (c.name == "glMaterialfv") {
      EXPECT_EQ(c, call("glMaterialfv", {0x0404, 0x1201, 0, 0.5, 0, 1}));
    } else if (c.name == "glLightfv") {
      EXPECT_EQ(c, call("glLightfv", {0x4000, 0x1200, 0, 0.2f, 0, 1}));
    }
  }
}

TEST_F(GLprimModelTest, MeshWithoutFacesDrawsOnlyGuideAndDisplacementLines) {
  auto bare = std::make_unique<Object3D>();
  bare->addVertex(0, 0, 1);
  bare->build();
  model.objects[0] = std::move(bare);
  prim.drawModel(model);
  EXPECT_EQ(takeCalls(), concat({{call("glDisable", {kLighting})},
                                 line({0, 0, 0}, {0, 0, 0}, {1, 0, 0}),
                                 line({0, 0, 5}, {0, 0, 5}, {1, 1, 0}),
                                 {call("glEnable", {kLighting}), call("glEnable", {kLight0})}}));
}

TEST_F(GLprimModelTest, ModelWithoutFirstMeshDrawsNothing) {
  model.objects[0].reset();
  prim.drawModel(model);
  EXPECT_TRUE(takeCalls().empty());
}

TEST_F(GLprimModelTest, FaceIndexOutsideTheMeshIsSkippedNotReadOutOfBounds) {
  mesh().faces[0].c = 4;               // one past the last vertex
  mesh().faceNormalIndices[1].a = -1;  // before the first normal
  prim.drawModel(model);
  const Calls calls = takeCalls();
  EXPECT_EQ(countNamed(calls, "glMaterialfv"), 0u);
  EXPECT_EQ(countNamed(calls, "glNormal3d"), 0u);
  EXPECT_EQ(calls.back(), call("glEnable", {kLight0}));
}

TEST(GLprimTablesTest, ConstructorFillsTheFourSharedColourTables) {
  GLprim prim;
  auto values = [](const Array<float>& t) { return std::vector<float>(t.begin(), t.end()); };
  EXPECT_EQ(values(GLprim::markedDiffuse), (std::vector<float>{0.5f, 0.5f, 0.0f, 1.0f}));
  EXPECT_EQ(values(GLprim::markedAmbient), (std::vector<float>{0.2f, 0.2f, 0.0f, 1.0f}));
  EXPECT_EQ(values(GLprim::plainDiffuse), (std::vector<float>{0.0f, 0.5f, 0.0f, 1.0f}));
  EXPECT_EQ(values(GLprim::plainAmbient), (std::vector<float>{0.0f, 0.2f, 0.0f, 1.0f}));
}

}  // namespace
}  // namespace sv::test
