// The scene controller: owns the camera, the model read from its model file, the cloth and the
// drawer. It sets up the fixed-function state, advances and draws one frame per render, follows the
// window size, turns Alt-drags and the wheel into camera changes, and reads the model again on request.
// It never touches the window system; the host makes a GL context current around init, render and resize.
#pragma once

#include "cloth/Cloth.h"
#include "core/Object.h"
#include "io/OBJ3D.h"
#include "render/GLprim.h"
#include "scene/Camera.h"
#include "scene/SimulationFrame.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace sv {

class GLUW : public Object {
 public:
  // Modifier bits of onMouse's keys.
  static constexpr int kAlt = 0x100;
  static constexpr int kCtrl = 0x200;
  static constexpr int kShift = 0x400;
  // Button event codes of onMouse's button; a plain move repeats the last code (0 before any).
  static constexpr int kLeftDown = 0x01;
  static constexpr int kLeftUp = 0x02;
  static constexpr int kLeftDoubleClick = 0x04;
  static constexpr int kRightDown = 0x10;
  static constexpr int kRightUp = 0x20;
  static constexpr int kRightDoubleClick = 0x40;
  // Bits of dragButtons.
  static constexpr int kLeftHeld = 1;
  static constexpr int kRightHeld = 2;

  static constexpr const char* kModelFileName = "sphere_k.obj";

  // Material diffuse colour of the cloth and ambient colour of light 0 (red, green, blue, alpha).
  static constexpr std::array<float, 4> materialDiffuse{0.5f, 0.5f, 0.9f, 1.0f};
  static constexpr std::array<float, 4> lightAmbient{0.2f, 0.2f, 0.2f, 1.0f};

  GLUW();  // no GL calls

  // Sets the GL state and reads the model. Needs a current context. Throws ModelFileError when the
  // model file cannot be opened; the GLUW is then left without a model and still safe to render.
  virtual int init();
  // keys: modifier bits; button: event code; x, y: client position. Always 1 (repaint).
  virtual int onMouse(int keys, int button, int x, int y);
  // One frame: the floor, the bodies' steps (SimulationFrame), the mesh, the cloth. Needs a current
  // context. Does nothing while the client area is empty (width or height 0).
  virtual int render();
  // Needs a current context.
  virtual int resize(int width, int height);

  // The camera where the constructor puts it; a drag in progress goes on from there.
  virtual void resetCamera();
  // Zooms as an Alt+Ctrl drag of ten pixels per notch does, within the same limits; positive notches
  // bring the eye nearer.
  virtual void wheelZoom(int notches);
  // Reads the model file that init read again and starts the simulation over with it and a new cloth.
  // Throws ModelFileError, keeping the model and cloth it has, when the file cannot be read.
  virtual void reloadModel();

  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t dragButtons = 0;
  std::int32_t lastX = 0;
  std::int32_t lastY = 0;
  Camera camera;
  std::unique_ptr<Cloth> cloth;
  std::unique_ptr<OBJ3D> model;
  std::unique_ptr<GLprim> prim;
  // The model file init reads; a relative name is taken from the working directory.
  std::string modelFileName = kModelFileName;
  // When set, a frame hands the next frame's mesh steps to a thread of their own as soon as the
  // mesh's positions are on their way to GL, so they run while the frame is drawn and rasterized;
  // the next render waits for them.
  // What is drawn and every simulated bit stay the same (the random numbers are drawn in the same
  // order), but between renders the mesh may be a frame ahead and changing: set it only where
  // nothing reads the mesh between frames (the window, the snapshot tool).
  bool stepsAhead = false;

 private:
  bool hasVisibleArea() const { return width > 0 && height > 0; }
  void readModel();
  Object3D* firstMesh() const;
  void setProjection(double zNear, double zFar);
  void setModelView();
  void drawMesh(Object3D& mesh);
  void updateDragButtons(int button);
  void rotate(double dx, double dy);
  void zoom(double dy);
  void pan(double dx, double dy);

  // Declared after the model, so destroyed before it: its destructor waits for the steps in flight.
  SimulationFrame simulation;
};

// The scene's start-up in every host (the window, snapshot, offscreen tests and benchmarks): steps taken
// ahead, since nothing reads the mesh between frames, then init. Needs a current context; throws as init.
void startScene(GLUW& scene);
// A new scene started so and given its client size, which an offscreen host knows from the start (a
// window learns it from the window system after creation).
std::unique_ptr<GLUW> startScene(int width, int height, const std::string& modelFileName = GLUW::kModelFileName);

}  // namespace sv
