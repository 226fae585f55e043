// One object of a model: a triangle mesh whose vertices are point masses joined by springs. The
// reader fills it through the add operations, build turns it into a mass-spring system, and step
// advances it. Indices are trusted here; the reader is the one that keeps them valid.
#pragma once

#include "core/Array.h"
#include "core/Object.h"
#include "core/TurnTable.h"
#include "core/Vec3D.h"
#include "mesh/FaceIndices.h"
#include "mesh/MeshParticle.h"
#include "mesh/MeshSpring.h"
#include "mesh/SpringForces.h"

#include <cstdint>

namespace sv {

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
  // The same as `steps` calls of step(dt), to the bit, in fewer trips through memory: nothing else may
  // draw from the random generator in between, as in the scene's frame of ten mesh steps.
  int advance(int steps, double dt);

  // Meshes of at least this many particles step on every thread of the shared WorkerPool (one per
  // core, or SV_THREADS); smaller ones step on one, where waking the threads would cost more than
  // it saves. Either way the bits are the same. Measured on a 2-core machine; see BENCHMARKS.md.
  static constexpr std::size_t kParallelThreshold = 4096;
  std::size_t parallelFrom = kParallelThreshold;

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
  struct Range {
    std::size_t begin, end;
  };
  void buildBlocks(int blocks);
  static int threadsOffered();
  bool blocksFit(int blocks) const;
  std::size_t blockBegin(int block) const;
  Range particlesOf(int block) const;
  static double swellAt(double t);
  void drawWinds();
  void applyBodyForces(Range range, double swell);
  void fetchTurnAhead(const TurnTable& turns, std::size_t i, std::size_t end) const;
  static void applyBodyForce(MeshParticle& p, const TurnTable::SinCos& turn, double swell);
  void computeSpringForces(int block);
  void endLastStep(Range range, double dt);
  void endStepAndApplyNextBodyForces(Range range, double dt, double nextSwell);
  static void applyAnchorAndIntegrate(MeshParticle& p, double dt);
  void followParticle(std::size_t i);
  std::size_t endLastStepInFours(Range range, double dt);
  std::size_t endStepInFours(Range range, double dt, double nextSwell);

  // For the threaded step: the particles in one block per thread, and a share of the springs each;
  // the wind draws of a step, taken in particle order before the forces. Made by build for the threads
  // on offer, and again by a step that finds the thread count or the mesh changed.
  Array<std::uint32_t> windDraws;
  int blockCount = 0;
  std::size_t blockParticles = 0;  // the mesh the blocks were made for
  // The springs' forces apart, and for each particle the springs that add into it.
  SpringForces meshSpringForces;
};

}  // namespace sv
