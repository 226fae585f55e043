// The frame's steps in their one order. The next frame's mesh steps, when taken ahead, start only after
// this frame's cloth steps, so the random numbers are drawn exactly as by frames that take all their
// own steps.
#include "scene/SimulationFrame.h"

namespace sv {

void SimulationFrame::stepBodies(Object3D* mesh, Cloth& cloth) {
  if (nextStepsStarted) {
    nextSteps->wait();
    nextStepsStarted = false;
  } else if (mesh) {
    mesh->advance(kMeshSteps, kMeshDt);
  }
  for (int i = 0; i < kClothSteps; ++i) cloth.step(kClothDt);
}

void SimulationFrame::stepMeshAhead(Object3D& mesh) {
  if (!nextSteps) nextSteps = std::make_unique<BackgroundTask>();
  nextSteps->start([](void* stepped) { static_cast<Object3D*>(stepped)->advance(kMeshSteps, kMeshDt); }, &mesh);
  nextStepsStarted = true;
}

void SimulationFrame::settle() {
  if (nextSteps) nextSteps->wait();
  nextStepsStarted = false;
}

}  // namespace sv
