// The drawer's calls read back through the recording binding, with and without buffer objects: where segments
// and triangles lie, their colours, bad faces, a frame's uploads, preloads. Whole pictures are offscreen tests'.
#include "render/GLprim.h"
#include "support/RecordedCalls.h"
#include "support/TestMeshes.h"

#include <algorithm>
#include <array>
#include <set>
#include <tuple>

#include <gtest/gtest.h>

namespace sv::test {
namespace {

using Point = std::array<double, 3>;
using Points = std::vector<Point>;

// The points the draw calls read, in order; while normals are enabled, each point's normal follows it.
Points pointsDrawn(const Calls& calls) {
  Points points;
  for (const GLCall& c : calls)
    for (std::size_t i = 3; c.name.starts_with("glDraw") && i + 2 < c.args.size(); i += 3)
      points.push_back({c.args[i], c.args[i + 1], c.args[i + 2]});
  return points;
}

class GLprimTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { gl::GLRecorder::offerBufferObjects(GetParam()); }
  void TearDown() override { gl::GLRecorder::offerBufferObjects(true); }
};
INSTANTIATE_TEST_SUITE_P(Contexts, GLprimTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "BufferObjects" : "ClientMemory"; });

// Vertices (0,0,0), (5,0,0), (0,5,0) and normals (0,0,0), (-1,0,0), (0,-1,0) once read in; the third
// face names a missing vertex unless a fourth, (5, 5, 5), is added. Built, at position (x, y, z).
void triangleMesh(Object3D& mesh, FaceIndices normals, double x, double y, double z, bool fourth = false) {
  for (double v : {0, 1, 2}) mesh.addVertex(v == 1, v == 2, 0), mesh.addNormal(v == 1, v == 2, 0);
  if (fourth) mesh.addVertex(1, 1, 1);
  for (FaceIndices face : {FaceIndices{1, 2, 3}, {1, 2, 3}, {1, 2, 4}})
    mesh.addFace(face, {}, face.c == 4 ? FaceIndices{1, 2, 3} : normals);  // only the vertex is missing
  buildQuietly(mesh);
  mesh.position = {x, y, z, 0};
}

// Particle k sits at (k, 2k, 3k), so each drawn end names its particle. A grid past its particles draws nothing.
TEST_P(GLprimTest, ClothJoinsEveryRowAndColumnNeighbourPairOnce) {
  Cloth cloth;
  for (std::size_t k = 0; k < cloth.particles.length(); ++k) cloth.particles[k].position = {1.0 * k, 2.0 * k, 3.0 * k};
  for (const auto& [columns, rows, segments] : {std::tuple{10, 10, 180}, std::tuple{1, 10, 9}, std::tuple{10, 1, 9},
                                                std::tuple{1, 1, 0}, std::tuple{10, 11, 0}}) {
    cloth.columns = columns, cloth.rows = rows;
    EXPECT_EQ(GLprim().drawCloth(cloth), 0);
    const Points p = pointsDrawn(takeCalls());
    std::set<std::pair<double, double>> pairs;
    for (std::size_t i = 0; i + 1 < p.size(); i += 2) {
      const double a = p[i][0], b = p[i + 1][0];
      EXPECT_TRUE(((b == a + 1 && int(b) % columns != 0) || b == a + columns) && p[i + 1][2] == 3 * b) << a << "-" << b;
      pairs.insert({a, b});
    }
    EXPECT_TRUE(p.size() == 2u * segments && pairs.size() == std::size_t(segments)) << columns << " x " << rows;
  }
}

// Corners offset by position, own normals, in place or copied; bad faces skipped; only a mark of 1 is olive.
TEST_P(GLprimTest, LinesJoinVerticesToRestPositionsAndTrianglesCarryOffsetCornersNormalsAndColours) {
  for (const auto& [x, y, z, normals] :
       {std::tuple{10., 20., 30., FaceIndices{1, 2, 3}}, std::tuple{0., 0., 0., FaceIndices{1, 2, 3}},
        std::tuple{0., 0., 0., FaceIndices{3, 2, 1}}}) {
    Object3D mesh;
    triangleMesh(mesh, normals, x, y, z);
    mesh.vertices[1] = {6, 1, 0, 0};  // away from its rest position (5, 0, 0)
    mesh.faceMarks[0] = 2, mesh.faceMarks[1] = 1, mesh.guidePoint = {1, 2, 3, 0};
    gl::GLRecorder::clear();
    GLprim().drawModel(mesh);
    const Calls calls = takeCalls();
    const Points p = pointsDrawn(calls);
    ASSERT_EQ(p.size(), 2 + 6 + 12u);  // guide, three displacement lines, two triangles with normals
    const double n = normals.a == 1 ? 0 : -1;
    EXPECT_EQ(calls.front(), call("glDisable", {gl::kLighting})) << "the lines are drawn unlit";
    EXPECT_EQ(Points(p.begin(), p.begin() + 6),
              (Points{{x, y, z}, {1, 2, 3}, {0, 0, 0}, {0, 0, 0}, {6, 1, 0}, {5, 0, 0}}));
    EXPECT_EQ(Points(p.begin() + 8, p.begin() + 14),
              (Points{{x, y, z}, {0, n, 0}, {x + 6, y + 1, z}, {-1, 0, 0}, {x, y + 5, z}, {0, -1 - n, 0}}));
    const Calls materials = only(calls, [](const GLCall& c) { return c.name == "glMaterialfv"; });
    EXPECT_EQ(materials, (Calls{call("glMaterialfv", {gl::kFront, gl::kDiffuse, 0, 0.5, 0, 1}),
                                call("glMaterialfv", {gl::kFront, gl::kDiffuse, 0.5, 0.5, 0, 1})}));
  }
}

// Later frames write only positions (3 + 100, 12 bytes each) and draw as a fresh drawer; a grown mesh is laid anew.
TEST_P(GLprimTest, AfterTheFirstFrameOnlyPositionsAreWrittenAndEveryFrameDrawsWhatAFreshDrawerDraws) {
  Object3D mesh, grown;
  triangleMesh(mesh, {1, 2, 3}, 0, 0, 0), triangleMesh(grown, {1, 2, 3}, 1, 2, 3, true);
  Cloth cloth;
  auto frame = [&](GLprim& prim, const Object3D& drawn) {
    prim.drawFloor(0.5, 5), prim.drawModel(drawn), prim.drawCloth(cloth);
    return takeCalls();
  };
  GLprim kept;
  EXPECT_FALSE(kept.preloadModel(mesh)) << "nothing laid down to preload into";
  EXPECT_EQ(kept.drawFloor(0.5, 5), 0);
  EXPECT_EQ(takeCalls().back() == call("glBindBuffer", {gl::kElementArrayBuffer, 0}), GetParam()) << "left bound";
  EXPECT_EQ(countNamed(frame(kept, mesh), "glGenBuffers") > 0, GetParam());
  const Calls positionsOnly{call("glBufferSubData", {gl::kArrayBuffer, 0, 36}),
                            call("glBufferSubData", {gl::kArrayBuffer, 0, 1200})};
  for (int i = 1; i <= 4; ++i) {
    const Object3D& drawn = i < 4 ? mesh : grown;
    mesh.vertices[2].x = i, cloth.particles[cloth.particles.length() - 1].position.z = i;
    if (i == 2) mesh.vertices[2].x = kept.preloadModel(mesh) ? 10 : -1;  // moves on, drawn as preloaded
    const Calls calls = frame(kept, drawn);
    mesh.vertices[2].x = i;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), call("glEnableClientState", {gl::kVertexArray})),
              std::count(calls.begin(), calls.end(), call("glDisableClientState", {gl::kVertexArray})));
    const Calls uploads =
        only(calls, [](const GLCall& c) { return c.name.starts_with("glBuffer") || c.name == "glGenBuffers"; });
    const bool written = i < 4 ? uploads == positionsOnly : countNamed(uploads, "glBufferData") > 0;
    EXPECT_TRUE(GetParam() ? written : uploads.empty() && countNamed(calls, "glBindBuffer") == 0) << "frame " << i;
    GLprim fresh;
    EXPECT_EQ(pointsDrawn(calls), pointsDrawn(frame(fresh, drawn))) << "frame " << i;
  }
}

}  // namespace
}  // namespace sv::test
