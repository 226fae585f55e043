// The drawer, call by call against the recording binding: the floor's 22 white segments, the cloth's
// 90 + 90 red segments in their fixed order with no diagonals, and the mesh's guide line, yellow
// displacement lines and lit triangles with the marked or plain colour tables.
#include "render/GLprim.h"
#include "support/RecordedCalls.h"

#include <memory>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

namespace sv::test {
namespace {

constexpr double kLines = 1, kTriangles = 4, kLighting = 0x0B50, kLight0 = 0x4000;

// Eleven batches of two white segments, one along z and one along x, at `spacing * scale` apart and
// reaching five steps either way; lighting is left alone.
TEST(GLprimFloorTest, FloorIsElevenBatchesOfTwoWhiteSegments) {
  for (const auto& [spacing, scale, step] : {std::tuple{0.5, 5.0, 2.5}, std::tuple{1.0, 1.0, 1.0}}) {
    gl::GLRecorder::clear();
    GLprim().drawFloor(spacing, scale);
    Calls expected;
    const double reach = 5 * step;
    for (int k = -5; k <= 5; ++k) {
      const double at = step * k;
      expected.insert(expected.end(),
                      {call("glBegin", {kLines}), call("glColor3f", {1, 1, 1}), call("glVertex3d", {at, 0, -reach}),
                       call("glVertex3d", {at, 0, reach}), call("glVertex3d", {-reach, 0, at}),
                       call("glVertex3d", {reach, 0, at}), call("glEnd")});
    }
    EXPECT_EQ(takeCalls(), expected) << "spacing " << spacing << ", scale " << scale;
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
  // The calls as designed: lighting off, one red batch, every row's segments, then every column's.
  static Calls expectedGrid(int columns, int rows) {
    Calls calls{call("glDisable", {kLighting}), call("glBegin", {kLines}), call("glColor3f", {1, 0, 0})};
    auto segment = [&](int a, int b) {
      calls.push_back(call("glVertex3d", {double(a), 2.0 * a, 3.0 * a}));
      calls.push_back(call("glVertex3d", {double(b), 2.0 * b, 3.0 * b}));
    };
    for (int j = 0; j < rows; ++j) {
      for (int i = 0; i + 1 < columns; ++i) segment(j * columns + i, j * columns + i + 1);
    }
    for (int i = 0; i < columns; ++i) {
      for (int j = 0; j + 1 < rows; ++j) segment(j * columns + i, (j + 1) * columns + i);
    }
    calls.push_back(call("glEnd"));
    return calls;
  }
  Cloth cloth;
  GLprim prim;
};

TEST_F(GLprimClothTest, ClothIsOneRedBatchOfRowsThenColumnsWithoutDiagonals) {
  ASSERT_EQ(cloth.columns, 10);
  ASSERT_EQ(cloth.rows, 10);
  for (const auto& [columns, rows, segments] : {std::tuple{10, 10, 180}, std::tuple{1, 10, 9}, std::tuple{10, 1, 9}}) {
    cloth.columns = columns;
    cloth.rows = rows;
    prim.drawCloth(cloth);
    const Calls calls = takeCalls();
    EXPECT_EQ(calls.size(), 4 + 2u * segments) << columns << " x " << rows;
    EXPECT_EQ(calls, expectedGrid(columns, rows)) << columns << " x " << rows;
  }
}

TEST_F(GLprimClothTest, GridLargerThanItsParticlesDrawsAnEmptyBatchInsteadOfReadingPastTheEnd) {
  cloth.rows = 11;
  prim.drawCloth(cloth);
  EXPECT_EQ(takeCalls(), expectedGrid(0, 0));
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
    model = std::move(mesh);
    gl::GLRecorder::clear();
  }
  Object3D& mesh() { return *model; }

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

  std::unique_ptr<Object3D> model;
  GLprim prim;
};

TEST_F(GLprimModelTest, OffsetsCornersButNotDisplacementLinesAndUsesMarkedTablesOnlyForMarkOne) {
  mesh().vertices[1] = {6, 1, 0, 0};  // moved away from its rest position (5, 0, 0)
  mesh().position = {10, 20, 30, 0};
  mesh().guidePoint = {1, 2, 3, 0};
  mesh().faceMarks[0] = 2;  // only a mark of exactly 1 selects the marked tables
  mesh().faceMarks[1] = 1;
  prim.drawModel(*model);
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

TEST_F(GLprimModelTest, MeshWithoutFacesDrawsOnlyGuideAndDisplacementLines) {
  auto bare = std::make_unique<Object3D>();
  bare->addVertex(0, 0, 1);
  bare->build();
  model = std::move(bare);
  prim.drawModel(*model);
  EXPECT_EQ(takeCalls(), concat({{call("glDisable", {kLighting})},
                                 line({0, 0, 0}, {0, 0, 0}, {1, 0, 0}),
                                 line({0, 0, 5}, {0, 0, 5}, {1, 1, 0}),
                                 {call("glEnable", {kLighting}), call("glEnable", {kLight0})}}));
}

TEST_F(GLprimModelTest, FaceIndexOutsideTheMeshIsSkippedNotReadOutOfBounds) {
  mesh().faces[0].c = 4;               // one past the last vertex
  mesh().faceNormalIndices[1].a = -1;  // before the first normal
  prim.drawModel(*model);
  const Calls calls = takeCalls();
  EXPECT_EQ(countNamed(calls, "glMaterialfv"), 0u);
  EXPECT_EQ(countNamed(calls, "glNormal3d"), 0u);
  EXPECT_EQ(calls.back(), call("glEnable", {kLight0}));
}

}  // namespace
}  // namespace sv::test
