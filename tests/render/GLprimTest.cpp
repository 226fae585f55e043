// What the drawer's pictures depend on, read back from its draw calls through the recording binding:
// where the cloth's and the mesh's segments and triangles lie, their colours, and that a face with a
// bad index is skipped. The offscreen tests compare whole pictures, the floor's included.
#include "render/GLprim.h"
#include "support/RecordedCalls.h"

#include <algorithm>
#include <array>
#include <iterator>
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

// Particle k sits at (k, 2k, 3k), so every drawn end names its particle. A grid larger than its
// particles is drawn as nothing.
TEST(GLprimTest, ClothJoinsEveryRowAndColumnNeighbourPairOnce) {
  Cloth cloth;
  for (std::size_t k = 0; k < cloth.particles.length(); ++k) cloth.particles[k].position = {1.0 * k, 2.0 * k, 3.0 * k};
  for (const auto& [columns, rows, segments] :
       {std::tuple{10, 10, 180}, std::tuple{1, 10, 9}, std::tuple{10, 1, 9}, std::tuple{10, 11, 0}}) {
    cloth.columns = columns, cloth.rows = rows;
    GLprim().drawCloth(cloth);
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

// Vertices (0,0,0), (5,0,0), (0,5,0) and normals (0,0,0), (-1,0,0), (0,-1,0) once read in. Faces whose
// corners have their vertices' normals are read in place while the mesh sits at the origin, the
// others copied; either way a corner is its vertex offset by position, with its own normal. A face
// naming a missing vertex is skipped, and only a mark of exactly 1 is olive.
TEST(GLprimTest, LinesJoinVerticesToRestPositionsAndTrianglesCarryOffsetCornersNormalsAndColours) {
  for (const auto& [x, y, z, normals] :
       {std::tuple{10., 20., 30., FaceIndices{1, 2, 3}}, std::tuple{0., 0., 0., FaceIndices{1, 2, 3}},
        std::tuple{0., 0., 0., FaceIndices{3, 2, 1}}}) {
    Object3D mesh;
    for (double v : {0, 1, 2}) mesh.addVertex(v == 1, v == 2, 0), mesh.addNormal(v == 1, v == 2, 0);
    for (FaceIndices face : {FaceIndices{1, 2, 3}, {1, 2, 3}, {1, 2, 4}})
      mesh.addFace(face, {}, face.c == 4 ? FaceIndices{1, 2, 3} : normals);  // only the vertex is missing
    mesh.build();
    mesh.vertices[1] = {6, 1, 0, 0};  // away from its rest position (5, 0, 0)
    mesh.position = {x, y, z, 0}, mesh.faceMarks[0] = 2, mesh.faceMarks[1] = 1;
    gl::GLRecorder::clear();
    GLprim().drawModel(mesh);
    const Calls calls = takeCalls();
    const Points p = pointsDrawn(calls);
    ASSERT_EQ(p.size(), 2 + 6 + 12u);  // guide, three displacement lines, two triangles with normals
    const double n = normals.a == 1 ? 0 : -1;
    EXPECT_EQ(Points(p.begin(), p.begin() + 6),
              (Points{{x, y, z}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {6, 1, 0}, {5, 0, 0}}));
    EXPECT_EQ(Points(p.begin() + 8, p.begin() + 14),
              (Points{{x, y, z}, {0, n, 0}, {x + 6, y + 1, z}, {-1, 0, 0}, {x, y + 5, z}, {0, -1 - n, 0}}));
    Calls materials;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(materials),
                 [](const GLCall& c) { return c.name == "glMaterialfv"; });
    EXPECT_EQ(materials, (Calls{call("glMaterialfv", {0x0404, 0x1201, 0, 0.5, 0, 1}),
                                call("glMaterialfv", {0x0404, 0x1201, 0.5, 0.5, 0, 1})}));
  }
}

}  // namespace
}  // namespace sv::test
