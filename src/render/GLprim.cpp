// Drawing the floor grid, the spring mesh and the cloth with fixed-function OpenGL vertex arrays
// through the binding layer, from GLBuffers. Indices that do not fit their arrays are skipped rather
// than read out of bounds. Each draw call issues the same primitives in the same order as one
// glBegin/glEnd batch per element would, so the pictures are the same; the calls are far fewer.
#include "render/GLprim.h"

#include "gl/GL.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace sv {

namespace {

constexpr gl::Enum kCoordinateType = gl::kFloat;
constexpr std::size_t kPoint = 3 * sizeof(float);             // one position or normal
constexpr std::size_t kTriangle = 3 * sizeof(std::uint32_t);  // one face's corner indices
constexpr std::size_t kFloorPoints = 11 * 4;                  // two segments for each of the eleven grid steps

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

// A face can name its vertices' positions when each corner's normal has its vertex's index and the
// mesh sits at the origin (the corners are offset by position).
bool readableInPlace(const Object3D& mesh, std::size_t f) {
  const FaceIndices& v = mesh.faces[f];
  const FaceIndices& n = mesh.faceNormalIndices[f];
  const Vec3D& p = mesh.position;
  return v.a == n.a && v.b == n.b && v.c == n.c && p.x == 0 && p.y == 0 && p.z == 0;
}

template <typename T>
void put(T*& out, double x, double y, double z) {
  *out++ = static_cast<T>(x), *out++ = static_cast<T>(y), *out++ = static_cast<T>(z);
}
template <typename T>
void put(T*& out, const Vec3D& v) {
  put(out, v.x, v.y, v.z);
}

void setFaceColours(bool marked) {
  gl::materialfv(gl::kFront, gl::kDiffuse, (marked ? GLprim::markedDiffuse : GLprim::plainDiffuse).data());
  gl::lightfv(gl::kLight0, gl::kAmbient, (marked ? GLprim::markedAmbient : GLprim::plainAmbient).data());
}

}  // namespace

GLprim::Coordinate* GLprim::staged(std::size_t coordinates) {
  if (staging.size() < coordinates) staging.resize(coordinates);
  return staging.data();
}

// Nothing stays bound after a draw, so calls made later with client memory read client memory.
void GLprim::unbind() {
  meshPositions.unbind();
  faceCorners.unbind();
}

GLprim::MeshShape GLprim::shapeOf(const Object3D& mesh) {
  const Vec3D& p = mesh.position;
  return {&mesh,
          mesh.vertices.length(),
          mesh.normals.length(),
          mesh.faces.length(),
          std::min(mesh.particles.length(), mesh.vertices.length()),
          std::min(mesh.faceMarks.length(), mesh.faces.length()),
          p.x,
          p.y,
          p.z};
}

bool GLprim::preloadModel(const Object3D& mesh) {
  if (!(shapeOf(mesh) == uploaded)) return false;
  updateMeshPositions(mesh);
  preloaded = &mesh;
  return true;
}

// A preloaded mesh is read here only for what it keeps fixed once built: its counts, its position
// and its guide point.
int GLprim::drawModel(const Object3D& mesh) {
  gl::disable(gl::kLighting);
  const MeshShape shape = shapeOf(mesh);
  // The faces first: the rest positions lie behind the positions of the corners they copy.
  if (!(shape == uploaded)) uploaded = shape, uploadFaces(mesh), uploadLines(mesh);
  if (preloaded != &mesh) updateMeshPositions(mesh);
  preloaded = nullptr;
  drawMeshLines(mesh);
  gl::enable(gl::kLighting);
  gl::enable(gl::kLight0);
  drawMeshFaces();
  unbind();
  return 0;
}

// The drawn faces' corners in face order, as indices into the positions. A face read in place names
// its vertices; any other face has three corners of its own behind the vertices, with their normals.
void GLprim::uploadFaces(const Object3D& mesh) {
  const std::size_t vertices = uploaded.vertices;
  std::vector<Coordinate> normals(3 * vertices);
  Coordinate* out = normals.data();
  for (std::size_t i = 0; i < std::min(vertices, uploaded.normals); ++i) put(out, mesh.normals[i]);
  std::vector<std::uint32_t> corners;
  faceRuns.clear(), copiedCorners.clear();
  for (std::size_t f = 0; f < uploaded.marks; ++f) {
    if (!drawable(mesh, f)) continue;
    const bool marked = mesh.faceMarks[f] == 1, inPlace = readableInPlace(mesh, f);
    const std::size_t drawn = corners.size() / 3;
    if (faceRuns.empty() || faceRuns.back().marked != marked) faceRuns.push_back({drawn, drawn, marked});
    faceRuns.back().end = drawn + 1;
    const FaceIndices& v = mesh.faces[f];
    const FaceIndices& n = mesh.faceNormalIndices[f];
    for (auto [vi, ni] : {std::pair{v.a, n.a}, std::pair{v.b, n.b}, std::pair{v.c, n.c}}) {
      if (inPlace) {
        corners.push_back(static_cast<std::uint32_t>(vi));
        continue;
      }
      corners.push_back(static_cast<std::uint32_t>(vertices + copiedCorners.size()));
      copiedCorners.push_back(static_cast<std::uint32_t>(vi));
      const Vec3D& normal = mesh.normals[static_cast<std::size_t>(ni)];
      normals.insert(normals.end(), {Coordinate(normal.x), Coordinate(normal.y), Coordinate(normal.z)});
    }
  }
  meshNormals.fill(normals.data(), sizeof(Coordinate) * normals.size());
  faceCorners.fill(corners.data(), sizeof(std::uint32_t) * corners.size());
}

// The rest positions behind every other position, and the (vertex, rest position) pair of each line.
void GLprim::uploadLines(const Object3D& mesh) {
  const std::size_t rest = uploaded.vertices + copiedCorners.size(), lines = uploaded.lines;
  meshPositions.reserve(kPoint * (rest + lines));
  Coordinate* out = staged(3 * lines);
  for (std::size_t i = 0; i < lines; ++i) put(out, mesh.particles[i].restPosition);
  meshPositions.write(kPoint * rest, staging.data(), kPoint * lines);
  std::vector<std::uint32_t> ends(2 * lines);
  for (std::size_t i = 0; i < lines; ++i) {
    ends[2 * i] = static_cast<std::uint32_t>(i), ends[2 * i + 1] = static_cast<std::uint32_t>(rest + i);
  }
  lineEnds.fill(ends.data(), sizeof(std::uint32_t) * ends.size());
}

// A frame's only write for the mesh: the current positions, then the copied corners offset by position.
void GLprim::updateMeshPositions(const Object3D& mesh) {
  const std::size_t count = uploaded.vertices + copiedCorners.size();
  Coordinate* out = staged(3 * count);
  for (std::size_t i = 0; i < uploaded.vertices; ++i) put(out, mesh.vertices[i]);
  const Vec3D& offset = mesh.position;
  for (std::uint32_t vertex : copiedCorners) {
    const Vec3D& at = mesh.vertices[vertex];
    put(out, at.x + offset.x, at.y + offset.y, at.z + offset.z);
  }
  meshPositions.write(0, staging.data(), kPoint * count);
}

// The guide line from position to guidePoint (empty while both are the origin), then one yellow line
// per vertex from its current to its rest position, neither end offset by position.
void GLprim::drawMeshLines(const Object3D& mesh) {
  gl::color3f(1, 0, 0);
  std::array<Coordinate, 2 * 3> points{};
  Coordinate* out = points.data();
  put(out, mesh.position);
  put(out, mesh.guidePoint);
  if (!guideFilled || points != guideUploaded) guide.fill(points.data(), sizeof points);
  guideUploaded = points, guideFilled = true;
  drawLines(guide, 2);
  if (uploaded.lines == 0) return;
  gl::color3f(1, 1, 0);
  drawLines(meshPositions, 2 * uploaded.lines, &lineEnds);
}

// Lit triangles in face order, olive where the face is marked and green otherwise: one draw call per
// run of faces that share their colour.
void GLprim::drawMeshFaces() {
  if (faceRuns.empty()) return;
  gl::enableClientState(gl::kVertexArray);
  gl::enableClientState(gl::kNormalArray);
  gl::vertexPointer(3, kCoordinateType, 0, meshPositions.at());
  gl::normalPointer(kCoordinateType, 0, meshNormals.at());
  for (const FaceRun& run : faceRuns) {
    setFaceColours(run.marked);
    gl::drawElements(gl::kTriangles, static_cast<gl::Sizei>(3 * (run.end - run.first)), gl::kUnsignedInt,
                     faceCorners.at(kTriangle * run.first));
  }
  gl::disableClientState(gl::kNormalArray);
  gl::disableClientState(gl::kVertexArray);
}

// Segments between consecutive points, or between the points that the index pairs in ends name.
void GLprim::drawLines(GLBuffer& points, std::size_t vertexCount, GLBuffer* ends) {
  gl::enableClientState(gl::kVertexArray);
  gl::vertexPointer(3, kCoordinateType, 0, points.at());
  const auto count = static_cast<gl::Sizei>(vertexCount);
  if (ends != nullptr) {
    gl::drawElements(gl::kLines, count, gl::kUnsignedInt, ends->at());
  } else {
    gl::drawArrays(gl::kLines, 0, count);
  }
  gl::disableClientState(gl::kVertexArray);
}

// Every row and column segment of the grid in one draw: rows first, then columns; no diagonals.
int GLprim::drawCloth(const Cloth& cloth) {
  gl::disable(gl::kLighting);
  gl::color3f(1, 0, 0);
  const std::int64_t n = cloth.columns, r = cloth.rows;
  // The grid must fit the particles it indexes; a cloth that does not is drawn as nothing.
  const bool consistent = n >= 0 && r >= 0 && static_cast<std::uint64_t>(n * r) <= cloth.particles.length();
  if (!consistent) return 0;
  if (n != clothGridColumns || r != clothGridRows) fillClothGrid(n, r);
  if (clothSegments == 0) return 0;
  const auto particles = static_cast<std::size_t>(n * r);
  Coordinate* out = staged(3 * particles);
  for (std::size_t k = 0; k < particles; ++k) put(out, cloth.particles[k].position);
  clothPositions.fill(staging.data(), kPoint * particles);
  drawLines(clothPositions, 2 * clothSegments, &clothIndices);
  unbind();
  return 0;
}

// Laid down again only when the grid's shape changes.
void GLprim::fillClothGrid(std::int64_t columns, std::int64_t rows) {
  std::vector<std::uint32_t> ends;
  auto segment = [&ends](std::int64_t a, std::int64_t b) {
    ends.push_back(static_cast<std::uint32_t>(a));
    ends.push_back(static_cast<std::uint32_t>(b));
  };
  for (std::int64_t j = 0; j < rows; ++j) {
    for (std::int64_t i = 1; i < columns; ++i) segment(j * columns + i - 1, j * columns + i);
  }
  for (std::int64_t i = 0; i < columns; ++i) {
    for (std::int64_t j = 1; j < rows; ++j) segment((j - 1) * columns + i, j * columns + i);
  }
  clothIndices.fill(ends.data(), sizeof(std::uint32_t) * ends.size());
  clothGridColumns = columns, clothGridRows = rows, clothSegments = ends.size() / 2;
}

int GLprim::drawFloor(double size, double factor) {
  if (!(size == floorSize && factor == floorFactor)) fillFloor(size, factor);
  gl::color3f(1, 1, 1);
  drawLines(floor, kFloorPoints);
  unbind();
  return 0;
}

// Eleven lines along z, each followed by its partner along x, as the grid was always laid down; laid
// down again only for another size or factor.
void GLprim::fillFloor(double size, double factor) {
  const double spacing = size * factor;
  const double half = 5 * size * factor;
  std::array<Coordinate, 3 * kFloorPoints> points{};
  Coordinate* out = points.data();
  for (int k = -5; k <= 5; ++k) {
    put(out, k * spacing, 0, -half);
    put(out, k * spacing, 0, half);
    put(out, -half, 0, k * spacing);
    put(out, half, 0, k * spacing);
  }
  floor.fill(points.data(), sizeof points);
  floorSize = size, floorFactor = factor;
}

}  // namespace sv
