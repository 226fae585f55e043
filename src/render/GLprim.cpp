// Drawing the floor grid, the spring mesh and the cloth with fixed-function OpenGL vertex arrays,
// through the binding layer. Indices that do not fit their arrays are skipped rather than read out of
// bounds. Each draw call issues the same primitives in the same order as one glBegin/glEnd batch per
// element would, so the pictures are the same; the calls are far fewer.
#include "render/GLprim.h"

#include "gl/GL.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace sv {

namespace {

static_assert(sizeof(FaceIndices) == 3 * sizeof(std::uint32_t), "faces are read in place as index triples");

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

// A face can be drawn straight from the mesh's arrays when each corner's normal has its vertex's
// index and the mesh sits at the origin (the corners are offset by position).
bool readableInPlace(const Object3D& mesh, std::size_t f) {
  const FaceIndices& v = mesh.faces[f];
  const FaceIndices& n = mesh.faceNormalIndices[f];
  const Vec3D& p = mesh.position;
  return v.a == n.a && v.b == n.b && v.c == n.c && p.x == 0 && p.y == 0 && p.z == 0;
}

void put(double*& out, double x, double y, double z) { *out++ = x, *out++ = y, *out++ = z; }
void put(double*& out, const Vec3D& v) { put(out, v.x, v.y, v.z); }

// Lines from a packed array of x, y, z triples, two per segment.
void drawLines(const double* xyz, std::size_t vertexCount) {
  if (vertexCount == 0) return;
  gl::enableClientState(gl::kVertexArray);
  gl::vertexPointer(3, gl::kDouble, 0, xyz);
  gl::drawArrays(gl::kLines, 0, static_cast<gl::Sizei>(vertexCount));
  gl::disableClientState(gl::kVertexArray);
}

template <typename T>
void growTo(std::vector<T>& buffer, std::size_t size) {
  if (buffer.size() < size) buffer.resize(size);
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
  gl::color3f(1, 0, 0);
  double* guide = guideLine.data();
  put(guide, mesh.position);
  put(guide, mesh.guidePoint);
  drawLines(guideLine.data(), 2);

  // particles has one element per vertex once the mesh is built; an unbuilt mesh has none to draw.
  const std::size_t count = std::min(mesh.particles.length(), mesh.vertices.length());
  if (count == 0) return;
  growTo(displacementLines, 6 * count);
  double* out = displacementLines.data();
  for (std::size_t i = 0; i < count; ++i) {
    put(out, mesh.vertices[i]);
    put(out, mesh.particles[i].restPosition);
  }
  gl::color3f(1, 1, 0);
  drawLines(displacementLines.data(), 2 * count);
}

// Lit triangles in face order, olive where the face is marked and green otherwise, one draw call per
// run of faces that share their colour and their way of being read.
void GLprim::drawMeshFaces(const Object3D& mesh) {
  const std::size_t count = std::min(mesh.faceMarks.length(), mesh.faces.length());
  FaceRun run;
  for (std::size_t f = 0; f <= count; ++f) {
    const bool drawn = f < count && drawable(mesh, f);
    const bool marked = drawn && mesh.faceMarks[f] == 1, inPlace = drawn && readableInPlace(mesh, f);
    if (drawn && run.end == f && run.first != run.end && marked == run.marked && inPlace == run.inPlace) {
      ++run.end;
      continue;
    }
    if (run.first != run.end) drawFaceRun(mesh, run);
    run = drawn ? FaceRun{f, f + 1, marked, inPlace} : FaceRun{};
  }
}

void GLprim::drawFaceRun(const Object3D& mesh, const FaceRun& run) {
  gl::materialfv(gl::kFront, gl::kDiffuse, (run.marked ? markedDiffuse : plainDiffuse).data());
  gl::lightfv(gl::kLight0, gl::kAmbient, (run.marked ? markedAmbient : plainAmbient).data());
  const auto corners = static_cast<gl::Sizei>(3 * (run.end - run.first));
  gl::enableClientState(gl::kVertexArray);
  gl::enableClientState(gl::kNormalArray);
  if (run.inPlace) {
    gl::vertexPointer(3, gl::kDouble, sizeof(Vec3D), &mesh.vertices[0].x);
    gl::normalPointer(gl::kDouble, sizeof(Vec3D), &mesh.normals[0].x);
    gl::drawElements(gl::kTriangles, corners, gl::kUnsignedInt, &mesh.faces[run.first]);
  } else {
    growTo(cornerPositions, 9 * (run.end - run.first));
    growTo(cornerNormals, 9 * (run.end - run.first));
    double* position = cornerPositions.data();
    double* normal = cornerNormals.data();
    const Vec3D& offset = mesh.position;
    for (std::size_t f = run.first; f < run.end; ++f) {
      const FaceIndices& v = mesh.faces[f];
      const FaceIndices& n = mesh.faceNormalIndices[f];
      for (auto [vi, ni] : {std::pair{v.a, n.a}, std::pair{v.b, n.b}, std::pair{v.c, n.c}}) {
        const Vec3D& at = mesh.vertices[static_cast<std::size_t>(vi)];
        put(position, at.x + offset.x, at.y + offset.y, at.z + offset.z);
        put(normal, mesh.normals[static_cast<std::size_t>(ni)]);
      }
    }
    gl::vertexPointer(3, gl::kDouble, 0, cornerPositions.data());
    gl::normalPointer(gl::kDouble, 0, cornerNormals.data());
    gl::drawArrays(gl::kTriangles, 0, corners);
  }
  gl::disableClientState(gl::kNormalArray);
  gl::disableClientState(gl::kVertexArray);
}

// All 90 + 90 segments of the 10 x 10 cloth in one draw: rows first, then columns; no diagonals.
int GLprim::drawCloth(const Cloth& cloth) {
  gl::disable(gl::kLighting);
  gl::color3f(1, 0, 0);
  const std::int64_t n = cloth.columns, r = cloth.rows;
  // The grid must fit the particles it indexes; a cloth that does not is drawn as nothing.
  const bool consistent = n >= 0 && r >= 0 && static_cast<std::uint64_t>(n * r) <= cloth.particles.length();
  if (!consistent) return 0;
  const std::vector<std::uint32_t>& segments = clothGrid(n, r);
  if (segments.empty()) return 0;
  gl::enableClientState(gl::kVertexArray);
  gl::vertexPointer(3, gl::kDouble, sizeof(ClothParticle), &cloth.particles[0].position.x);
  gl::drawElements(gl::kLines, static_cast<gl::Sizei>(segments.size()), gl::kUnsignedInt, segments.data());
  gl::disableClientState(gl::kVertexArray);
  return 0;
}

// Built again only when the grid's shape changes.
const std::vector<std::uint32_t>& GLprim::clothGrid(std::int64_t columns, std::int64_t rows) {
  if (columns == clothGridColumns && rows == clothGridRows) return clothGridIndices;
  clothGridIndices.clear();
  auto segment = [this](std::int64_t a, std::int64_t b) {
    clothGridIndices.push_back(static_cast<std::uint32_t>(a));
    clothGridIndices.push_back(static_cast<std::uint32_t>(b));
  };
  for (std::int64_t j = 0; j < rows; ++j) {
    for (std::int64_t i = 1; i < columns; ++i) segment(j * columns + i - 1, j * columns + i);
  }
  for (std::int64_t i = 0; i < columns; ++i) {
    for (std::int64_t j = 1; j < rows; ++j) segment((j - 1) * columns + i, j * columns + i);
  }
  clothGridColumns = columns, clothGridRows = rows;
  return clothGridIndices;
}

// Eleven lines along z, each followed by its partner along x, as the grid was always laid down.
int GLprim::drawFloor(double size, double factor) {
  const double spacing = size * factor;
  const double half = 5 * size * factor;
  double* out = floorLines.data();
  for (int k = -5; k <= 5; ++k) {
    put(out, k * spacing, 0, -half);
    put(out, k * spacing, 0, half);
    put(out, -half, 0, k * spacing);
    put(out, half, 0, k * spacing);
  }
  gl::color3f(1, 1, 1);
  drawLines(floorLines.data(), 44);
  return 0;
}

}  // namespace sv
