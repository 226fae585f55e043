// Drawing the floor grid, the spring mesh and the cloth with fixed-function OpenGL vertex arrays,
// through the binding layer: from buffer objects where the context has them, from client memory
// otherwise. Indices that do not fit their arrays are skipped rather than read out of bounds. Each
// draw call issues the same primitives in the same order as one glBegin/glEnd batch per element
// would, so the pictures are the same; the calls are far fewer.
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

template <typename T>
void put(T*& out, double x, double y, double z) {
  *out++ = static_cast<T>(x), *out++ = static_cast<T>(y), *out++ = static_cast<T>(z);
}
template <typename T>
void put(T*& out, const Vec3D& v) {
  put(out, v.x, v.y, v.z);
}

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

// With a buffer bound, GL takes byte offsets where it takes pointers to client memory.
const void* atOffset(std::size_t bytes) { return reinterpret_cast<const void*>(bytes); }

constexpr gl::Enum kCoordinateType = gl::kFloat;

// Nothing stays bound after a draw, so calls made later with client memory read client memory.
void unbindBuffers() {
  gl::bindBuffer(gl::kArrayBuffer, 0);
  gl::bindBuffer(gl::kElementArrayBuffer, 0);
}

}  // namespace

// The first draw asks the context once; the answer holds for the drawer's life.
bool GLprim::buffered() {
  if (path == Path::undecided) {
    path = gl::hasBufferObjects() ? Path::buffers : Path::clientArrays;
  }
  return path == Path::buffers;
}

GLprim::Coordinate* GLprim::staged(std::size_t coordinates) {
  growTo(staging, coordinates);
  return staging.data();
}

void GLprim::setFaceColours(bool marked) const {
  gl::materialfv(gl::kFront, gl::kDiffuse, (marked ? markedDiffuse : plainDiffuse).data());
  gl::lightfv(gl::kLight0, gl::kAmbient, (marked ? markedAmbient : plainAmbient).data());
}

// The runs of consecutive drawable faces that share their colour and their way of being read, in
// face order.
template <typename Visit>
void GLprim::forEachFaceRun(const Object3D& mesh, Visit visit) {
  const std::size_t count = std::min(mesh.faceMarks.length(), mesh.faces.length());
  FaceRun run;
  for (std::size_t f = 0; f <= count; ++f) {
    const bool drawn = f < count && drawable(mesh, f);
    const bool marked = drawn && mesh.faceMarks[f] == 1, inPlace = drawn && readableInPlace(mesh, f);
    if (drawn && run.end == f && run.first != run.end && marked == run.marked && inPlace == run.inPlace) {
      ++run.end;
      continue;
    }
    if (run.first != run.end) visit(run);
    run = drawn ? FaceRun{f, f + 1, marked, inPlace} : FaceRun{};
  }
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
  if (!buffered() || !(shapeOf(mesh) == uploaded)) return false;
  updateMeshPositions(mesh);
  preloaded = &mesh;
  return true;
}

// A preloaded mesh is read here only for what it keeps fixed once built: its counts, its position
// and its guide point.
int GLprim::drawModel(const Object3D& mesh) {
  gl::disable(gl::kLighting);
  if (buffered()) {
    const MeshShape shape = shapeOf(mesh);
    if (!(shape == uploaded)) uploadMesh(mesh, shape);
    if (preloaded != &mesh) updateMeshPositions(mesh);
    preloaded = nullptr;
    drawBufferedMeshLines(mesh);
  } else {
    drawMeshLines(mesh);
  }
  gl::enable(gl::kLighting);
  gl::enable(gl::kLight0);
  if (path == Path::buffers) {
    drawBufferedFaces();
    unbindBuffers();
  } else {
    drawMeshFaces(mesh);
  }
  return 0;
}

// The guide line from position to guidePoint (empty while both are the origin), then one yellow line
// per vertex from its current to its rest position, neither end offset by position.
void GLprim::drawMeshLines(const Object3D& mesh) {
  gl::color3f(1, 0, 0);
  double* guidePoints = guideLine.data();
  put(guidePoints, mesh.position);
  put(guidePoints, mesh.guidePoint);
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
  forEachFaceRun(mesh, [&](const FaceRun& run) { drawFaceRun(mesh, run); });
}

void GLprim::drawFaceRun(const Object3D& mesh, const FaceRun& run) {
  setFaceColours(run.marked);
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

// What a mesh keeps from frame to frame: the rest positions behind the current ones, the normals, the
// face indices and the displacement lines' index pairs, and for the faces not read in place, which
// vertex each corner takes and the corner's normal. The face runs are found here once.
void GLprim::uploadMesh(const Object3D& mesh, const MeshShape& shape) {
  uploaded = shape;
  constexpr std::size_t kPoint = 3 * sizeof(Coordinate);
  meshPositions.reserve(kPoint * (shape.vertices + shape.lines));
  Coordinate* out = staged(3 * shape.lines);
  for (std::size_t i = 0; i < shape.lines; ++i) put(out, mesh.particles[i].restPosition);
  meshPositions.write(kPoint * shape.vertices, staging.data(), kPoint * shape.lines);

  out = staged(3 * shape.normals);
  for (std::size_t i = 0; i < shape.normals; ++i) put(out, mesh.normals[i]);
  meshNormals.fill(staging.data(), kPoint * shape.normals);
  faceIndices.fill(mesh.faces.data(), sizeof(FaceIndices) * shape.faces);

  std::vector<std::uint32_t> pairs(2 * shape.lines);
  for (std::size_t i = 0; i < shape.lines; ++i) {
    pairs[2 * i] = static_cast<std::uint32_t>(i), pairs[2 * i + 1] = static_cast<std::uint32_t>(shape.vertices + i);
  }
  lineIndices.fill(pairs.data(), sizeof(std::uint32_t) * pairs.size());

  faceRuns.clear(), copiedCorners.clear();
  std::vector<Coordinate> normals;
  forEachFaceRun(mesh, [&](FaceRun run) {
    if (!run.inPlace) {
      const std::size_t first = copiedCorners.size() / 3;
      for (std::size_t f = run.first; f < run.end; ++f) {
        const FaceIndices& v = mesh.faces[f];
        const FaceIndices& n = mesh.faceNormalIndices[f];
        for (auto [vi, ni] : {std::pair{v.a, n.a}, std::pair{v.b, n.b}, std::pair{v.c, n.c}}) {
          copiedCorners.push_back(static_cast<std::uint32_t>(vi));
          const Vec3D& normal = mesh.normals[static_cast<std::size_t>(ni)];
          normals.insert(normals.end(), {static_cast<Coordinate>(normal.x), static_cast<Coordinate>(normal.y),
                                         static_cast<Coordinate>(normal.z)});
        }
      }
      run = {first, first + (run.end - run.first), run.marked, false};
    }
    faceRuns.push_back(run);
  });
  copiedNormals.fill(normals.data(), sizeof(Coordinate) * normals.size());
  copiedPositions.reserve(kPoint * copiedCorners.size());
}

// A frame's only uploads for the mesh: the current positions, and the corners of the faces not read
// in place, offset by position.
void GLprim::updateMeshPositions(const Object3D& mesh) {
  constexpr std::size_t kPoint = 3 * sizeof(Coordinate);
  Coordinate* out = staged(3 * uploaded.vertices);
  for (std::size_t i = 0; i < uploaded.vertices; ++i) put(out, mesh.vertices[i]);
  meshPositions.write(0, staging.data(), kPoint * uploaded.vertices);
  if (copiedCorners.empty()) return;
  out = staged(3 * copiedCorners.size());
  const Vec3D& offset = mesh.position;
  for (std::uint32_t vertex : copiedCorners) {
    const Vec3D& at = mesh.vertices[vertex];
    put(out, at.x + offset.x, at.y + offset.y, at.z + offset.z);
  }
  copiedPositions.write(0, staging.data(), kPoint * copiedCorners.size());
}

void GLprim::drawBufferedMeshLines(const Object3D& mesh) {
  gl::color3f(1, 0, 0);
  std::array<Coordinate, 2 * 3> points{};
  Coordinate* out = points.data();
  put(out, mesh.position);
  put(out, mesh.guidePoint);
  if (!guideFilled || points != guideUploaded) guide.fill(points.data(), sizeof points);
  guideUploaded = points, guideFilled = true;
  drawBufferedLines(guide, 2);
  if (uploaded.lines == 0) return;
  gl::color3f(1, 1, 0);
  gl::enableClientState(gl::kVertexArray);
  meshPositions.bind();
  gl::vertexPointer(3, kCoordinateType, 0, atOffset(0));
  lineIndices.bind();
  gl::drawElements(gl::kLines, static_cast<gl::Sizei>(2 * uploaded.lines), gl::kUnsignedInt, atOffset(0));
  gl::disableClientState(gl::kVertexArray);
}

void GLprim::drawBufferedFaces() {
  for (const FaceRun& run : faceRuns) {
    setFaceColours(run.marked);
    const auto corners = static_cast<gl::Sizei>(3 * (run.end - run.first));
    gl::enableClientState(gl::kVertexArray);
    gl::enableClientState(gl::kNormalArray);
    (run.inPlace ? meshPositions : copiedPositions).bind();
    gl::vertexPointer(3, kCoordinateType, 0, atOffset(0));
    (run.inPlace ? meshNormals : copiedNormals).bind();
    gl::normalPointer(kCoordinateType, 0, atOffset(0));
    if (run.inPlace) {
      faceIndices.bind();
      gl::drawElements(gl::kTriangles, corners, gl::kUnsignedInt, atOffset(sizeof(FaceIndices) * run.first));
    } else {
      gl::drawArrays(gl::kTriangles, static_cast<gl::Int>(3 * run.first), corners);
    }
    gl::disableClientState(gl::kNormalArray);
    gl::disableClientState(gl::kVertexArray);
  }
}

void GLprim::drawBufferedLines(GLBuffer& points, std::size_t vertexCount) {
  gl::enableClientState(gl::kVertexArray);
  points.bind();
  gl::vertexPointer(3, kCoordinateType, 0, atOffset(0));
  gl::drawArrays(gl::kLines, 0, static_cast<gl::Sizei>(vertexCount));
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
  const bool gridChanged = updateClothGrid(n, r);
  if (clothGridIndices.empty()) return 0;
  const auto count = static_cast<gl::Sizei>(clothGridIndices.size());
  gl::enableClientState(gl::kVertexArray);
  if (buffered()) {
    if (gridChanged) clothIndices.fill(clothGridIndices.data(), sizeof(std::uint32_t) * clothGridIndices.size());
    const auto particles = static_cast<std::size_t>(n * r);
    Coordinate* out = staged(3 * particles);
    for (std::size_t k = 0; k < particles; ++k) put(out, cloth.particles[k].position);
    clothPositions.fill(staging.data(), 3 * sizeof(Coordinate) * particles);
    clothPositions.bind();
    gl::vertexPointer(3, kCoordinateType, 0, atOffset(0));
    clothIndices.bind();
    gl::drawElements(gl::kLines, count, gl::kUnsignedInt, atOffset(0));
    unbindBuffers();
  } else {
    gl::vertexPointer(3, gl::kDouble, sizeof(ClothParticle), &cloth.particles[0].position.x);
    gl::drawElements(gl::kLines, count, gl::kUnsignedInt, clothGridIndices.data());
  }
  gl::disableClientState(gl::kVertexArray);
  return 0;
}

// Built again only when the grid's shape changes; says whether it did.
bool GLprim::updateClothGrid(std::int64_t columns, std::int64_t rows) {
  if (columns == clothGridColumns && rows == clothGridRows) return false;
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
  return true;
}

// Eleven lines along z, each followed by its partner along x, as the grid was always laid down; laid
// down again only for another size or factor.
int GLprim::drawFloor(double size, double factor) {
  const bool changed = !(size == floorSize && factor == floorFactor);
  if (changed) fillFloor(size, factor);
  gl::color3f(1, 1, 1);
  if (buffered()) {
    if (changed) {
      std::array<Coordinate, 44 * 3> points{};
      std::transform(floorLines.begin(), floorLines.end(), points.begin(),
                     [](double c) { return static_cast<Coordinate>(c); });
      floor.fill(points.data(), sizeof points);
    }
    drawBufferedLines(floor, 44);
    unbindBuffers();
  } else {
    drawLines(floorLines.data(), 44);
  }
  return 0;
}

void GLprim::fillFloor(double size, double factor) {
  const double spacing = size * factor;
  const double half = 5 * size * factor;
  double* out = floorLines.data();
  for (int k = -5; k <= 5; ++k) {
    put(out, k * spacing, 0, -half);
    put(out, k * spacing, 0, half);
    put(out, -half, 0, k * spacing);
    put(out, half, 0, k * spacing);
  }
  floorSize = size, floorFactor = factor;
}

}  // namespace sv
