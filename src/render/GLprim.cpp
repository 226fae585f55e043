// Drawing the floor grid, the spring mesh and the cloth with fixed-function OpenGL, through the
// binding layer. Indices that do not fit their arrays are skipped rather than read out of bounds.
#include "render/GLprim.h"

#include "gl/GL.h"

#include <cstddef>
#include <cstdint>

namespace sv {

namespace {

void vertex(const Vec3D& v) { gl::vertex3d(v.x, v.y, v.z); }

bool inside(std::int32_t index, std::size_t length) { return index >= 0 && static_cast<std::size_t>(index) < length; }

// A face is drawable when all three vertex and normal indices name existing elements. The reader
// keeps them so for the files it accepts; a face that slips through anyway is skipped, not read
// out of bounds.
bool drawable(const Object3D& mesh, std::size_t f) {
  const FaceIndices& v = mesh.faces[f];
  const FaceIndices& n = mesh.faceNormalIndices[f];
  const std::size_t vertices = mesh.vertices.length(), normals = mesh.normals.length();
  return inside(v.a, vertices) && inside(v.b, vertices) && inside(v.c, vertices) && inside(n.a, normals) &&
         inside(n.b, normals) && inside(n.c, normals);
}

void corner(const Object3D& mesh, std::int32_t normalIndex, std::int32_t vertexIndex) {
  const Vec3D& n = mesh.normals[static_cast<std::size_t>(normalIndex)];
  gl::normal3d(n.x, n.y, n.z);
  const Vec3D& v = mesh.vertices[static_cast<std::size_t>(vertexIndex)];
  gl::vertex3d(v.x + mesh.position.x, v.y + mesh.position.y, v.z + mesh.position.z);
}

}  // namespace

int GLprim::drawModel(const Object3D& mesh) {
  gl::disable(gl::kLighting);
  drawMeshLines(mesh);
  gl::enable(gl::kLighting);
  gl::enable(gl::kLight0);
  drawMeshFaces(mesh);
  return 0;
}

// The guide line from position to guidePoint (empty while both are the origin), then one yellow line
// per vertex from its current to its rest position, neither end offset by position.
void GLprim::drawMeshLines(const Object3D& mesh) {
  gl::begin(gl::kLines);
  gl::color3f(1, 0, 0);
  vertex(mesh.position);
  vertex(mesh.guidePoint);
  gl::end();

  // particles has one element per vertex once the mesh is built; an unbuilt mesh has none to draw.
  const std::size_t count =
      mesh.particles.length() < mesh.vertices.length() ? mesh.particles.length() : mesh.vertices.length();
  for (std::size_t i = 0; i < count; ++i) {
    gl::begin(gl::kLines);
    gl::color3f(1, 1, 0);
    vertex(mesh.vertices[i]);
    vertex(mesh.particles[i].restPosition);
    gl::end();
  }
}

// One lit triangle per face: olive where the face is marked, green otherwise; corners offset by position.
void GLprim::drawMeshFaces(const Object3D& mesh) {
  const std::size_t count =
      mesh.faceMarks.length() < mesh.faces.length() ? mesh.faceMarks.length() : mesh.faces.length();
  for (std::size_t f = 0; f < count; ++f) {
    if (!drawable(mesh, f)) continue;
    const bool marked = mesh.faceMarks[f] == 1;
    gl::materialfv(gl::kFront, gl::kDiffuse, (marked ? markedDiffuse : plainDiffuse).data());
    gl::lightfv(gl::kLight0, gl::kAmbient, (marked ? markedAmbient : plainAmbient).data());
    gl::begin(gl::kTriangles);
    const FaceIndices& v = mesh.faces[f];
    const FaceIndices& n = mesh.faceNormalIndices[f];
    corner(mesh, n.a, v.a);
    corner(mesh, n.b, v.b);
    corner(mesh, n.c, v.c);
    gl::end();
  }
}

// All 90 + 90 segments of the 10 x 10 cloth in one batch: rows first, then columns; no diagonals.
int GLprim::drawCloth(const Cloth& cloth) {
  const std::int64_t n = cloth.columns, r = cloth.rows;
  auto point = [&cloth](std::int64_t k) { vertex(cloth.particles[static_cast<std::size_t>(k)].position); };
  // The grid must fit the particles it indexes; a cloth that does not is drawn as nothing.
  const bool consistent = n >= 0 && r >= 0 && static_cast<std::uint64_t>(n * r) <= cloth.particles.length();
  gl::disable(gl::kLighting);
  gl::begin(gl::kLines);
  gl::color3f(1, 0, 0);
  if (consistent) {
    for (std::int64_t j = 0; j < r; ++j) {
      for (std::int64_t i = 1; i < n; ++i) {
        point(j * n + i - 1);
        point(j * n + i);
      }
    }
    for (std::int64_t i = 0; i < n; ++i) {
      for (std::int64_t j = 1; j < r; ++j) {
        point((j - 1) * n + i);
        point(j * n + i);
      }
    }
  }
  gl::end();
  return 0;
}

int GLprim::drawFloor(double size, double factor) {
  const double spacing = size * factor;
  const double half = 5 * size * factor;
  for (int k = -5; k <= 5; ++k) {
    gl::begin(gl::kLines);
    gl::color3f(1, 1, 1);
    gl::vertex3d(k * spacing, 0, -half);
    gl::vertex3d(k * spacing, 0, half);
    gl::vertex3d(-half, 0, k * spacing);
    gl::vertex3d(half, 0, k * spacing);
    gl::end();
  }
  return 0;
}

}  // namespace sv
