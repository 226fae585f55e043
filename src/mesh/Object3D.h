// One object of a model: a triangle mesh whose vertices are point masses joined by springs. The
// reader fills it through the add operations, build turns it into a mass-spring system, and step
// advances it. Indices are trusted here; the reader is the one that keeps them valid.
#pragma once

#include "core/Array.h"
#include "core/DampedSpring.h"
#include "core/Object.h"
#include "mesh/FaceIndices.h"
#include "mesh/MeshParticle.h"
#include "core/Vec3D.h"

#include <cstdint>

namespace sv {

// A spring between two vertices of a mesh; its constants are set by build.
using MeshSpring = DampedSpring;

class Object3D : public Object {
 public:
  static constexpr std::size_t kInitialCapacity = 256;

  Object3D();

  virtual int init();
  virtual void addVertex(double x, double y, double z);
  virtual void addNormal(double x, double y, double z);
  virtual void addFace(FaceIndices vertexIndices, FaceIndices textureIndices, FaceIndices normalIndices);
  virtual void addSpring(std::int32_t first, std::int32_t second);
  virtual int build();
  virtual int step(double dt);

  Array<Vec3D> vertices;
  Array<Vec3D> normals;
  Array<FaceIndices> faces;
  Array<FaceIndices> faceNormalIndices;
  Array<MeshSpring> springs;
  Array<MeshParticle> particles;
  Array<std::int32_t> faceMarks;
  std::int32_t vertexCount = 0;
  std::int32_t normalCount = 0;
  std::int32_t faceCount = 0;
  std::int32_t springCount = 0;
  Vec3D position;
  Vec3D guidePoint;
  double time = 0.0;

 private:
  void applyBodyForces();
  void applyMeshSprings();
  void applyAnchorsAndIntegrate(double dt);
};

}  // namespace sv
