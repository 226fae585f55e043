// What one frame does to the two bodies and in which order: the mesh's ten steps of 0.1, then the
// cloth's five of 0.2. The random generator is drawn in that order, frame after frame, and the steps a
// frame may take ahead (the next frame's mesh steps, run on a thread of their own while the frame is
// drawn) keep to it. It knows nothing of drawing: the scene says when the mesh is free to move on.
#pragma once

#include "cloth/Cloth.h"
#include "core/BackgroundTask.h"
#include "core/Object.h"
#include "mesh/Object3D.h"

#include <memory>

namespace sv {

class SimulationFrame : public Object {
 public:
  static constexpr int kMeshSteps = 10;
  static constexpr double kMeshDt = 0.1;
  static constexpr int kClothSteps = 5;
  static constexpr double kClothDt = 0.2;

  // This frame's steps: the mesh's (awaited where they were taken ahead, taken now otherwise), then the
  // cloth's. Without a mesh, the cloth's alone.
  void stepBodies(Object3D* mesh, Cloth& cloth);
  // Starts the next frame's mesh steps on the background thread. Only after stepBodies, and only once
  // nothing reads the mesh until the next stepBodies, which waits for them.
  void stepMeshAhead(Object3D& mesh);
  // Waits for steps taken ahead and forgets them, before the mesh they step is replaced or destroyed;
  // the next stepBodies then takes its own.
  void settle();

 private:
  std::unique_ptr<BackgroundTask> nextSteps;  // made at the first frame that steps ahead
  bool nextStepsStarted = false;
};

}  // namespace sv
