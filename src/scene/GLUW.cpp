// The scene controller: OpenGL set-up, one simulated and drawn frame per paint, the projection that
// follows the window size, and the Alt-drags that turn, zoom and pan the camera.
#include "scene/GLUW.h"

#include "gl/GL.h"

namespace sv {

namespace {

constexpr double kFloorSize = 0.5;
constexpr double kFloorFactor = 5.0;
constexpr double kZoomPixelsPerUnit = 10.0;
constexpr double kPanPixelsPerUnit = 20.0;
// Just in front of the centre: an eye on the point it looks at gives the view no direction, and
// the whole picture would be the clear colour.
constexpr double kNearestEyeZ = -0.01;
constexpr double kFarthestEyeZ = -100.0;

// One correction each way at most, so exactly 0 and exactly 360 stay as they are.
double wrapDegrees(double angle) {
  if (angle < 0) angle += 360;
  if (angle > 360) angle -= 360;
  return angle;
}

}  // namespace

GLUW::GLUW() {
  camera.setDefaults();
  prim = std::make_unique<GLprim>();
  cloth = std::make_unique<Cloth>();
}

int GLUW::init() {
  gl::clearColor(0.0f, 0.0f, 1.0f, 0.5f);
  gl::enable(gl::kDepthTest);
  gl::enable(gl::kLighting);
  gl::enable(gl::kLight0);
  gl::lightfv(gl::kLight0, gl::kAmbient, lightAmbient.data());

  readModel();
  return 0;
}

// The reader is kept only once the file has been read, so a failed open leaves no half-made model.
void GLUW::readModel() {
  auto reader = std::make_unique<OBJ3D>();
  reader->open(modelFileName);
  reader->load();
  reader->close();
  reader->summariseEmptyMesh();
  simulation.settle();  // steps taken ahead may be stepping the model about to be replaced
  model = std::move(reader);
}

void GLUW::reloadModel() {
  readModel();
  cloth = std::make_unique<Cloth>();
}

void startScene(GLUW& scene) {
  scene.stepsAhead = true;
  scene.init();
}

std::unique_ptr<GLUW> startScene(int width, int height, const std::string& modelFileName) {
  auto scene = std::make_unique<GLUW>();
  scene->modelFileName = modelFileName;
  startScene(*scene);
  scene->resize(width, height);
  return scene;
}

Object3D* GLUW::firstMesh() const { return model ? model->objects[0].get() : nullptr; }

// The view transform goes into the projection matrix; the model-view matrix holds only the scene's
// own translation and rotation.
void GLUW::setProjection(double zNear, double zFar) {
  gl::matrixMode(gl::kProjection);
  gl::loadIdentity();
  glu::perspective(camera.fovy, static_cast<double>(width) / static_cast<double>(height), zNear, zFar);
  glu::lookAt(camera.eye.x, camera.eye.y, camera.eye.z, camera.center.x, camera.center.y, camera.center.z, 0.0, 1.0,
              0.0);
}

void GLUW::setModelView() {
  gl::matrixMode(gl::kModelview);
  gl::loadIdentity();
  gl::translated(camera.translation.x, camera.translation.y, camera.translation.z);
  gl::rotated(camera.rotation.x, 1, 0, 0);
  gl::rotated(camera.rotation.y, 0, 1, 0);
  gl::rotated(camera.rotation.z, 0, 0, 1);
}

// A frame nobody can see is neither drawn nor simulated: the simulation advances one frame per
// shown picture, and a zero-sized client area would make the aspect ratio infinite or NaN. Both bodies
// step before either is drawn: neither step reads GL or the other body, and the drawing reads neither
// the random generator nor the steps' order.
int GLUW::render() {
  if (!hasVisibleArea()) return 0;
  gl::clear(gl::kColorBufferBit | gl::kDepthBufferBit);
  gl::loadIdentity();
  gl::viewport(0, 0, width, height);
  setProjection(1.0, 100.0);
  setModelView();
  gl::disable(gl::kLighting);
  prim->drawFloor(kFloorSize, kFloorFactor);
  Object3D* mesh = firstMesh();
  simulation.stepBodies(mesh, *cloth);
  if (mesh) drawMesh(*mesh);
  gl::enable(gl::kLighting);
  gl::enable(gl::kLight0);
  gl::materialfv(gl::kFront, gl::kDiffuse, materialDiffuse.data());
  gl::lightfv(gl::kLight0, gl::kAmbient, lightAmbient.data());
  gl::pushMatrix();
  prim->drawCloth(*cloth);
  gl::disable(gl::kLighting);
  // Empty line and point batches: they leave the point size at 8 and the current colour red.
  gl::begin(gl::kLines);
  gl::end();
  gl::pointSize(8.0f);
  gl::color3f(1, 0, 0);
  gl::begin(gl::kPoints);
  gl::end();
  gl::popMatrix();
  gl::finish();
  return 0;
}

// The next frame's mesh steps, when taken ahead, run while this mesh is drawn and rasterized: from the
// moment its positions are in GL's buffers, or else once its draw calls have returned (GL has then
// taken from the mesh all it reads).
void GLUW::drawMesh(Object3D& mesh) {
  const bool preloaded = stepsAhead && prim->preloadModel(mesh);
  if (preloaded) simulation.stepMeshAhead(mesh);
  prim->drawModel(mesh);
  if (stepsAhead && !preloaded) simulation.stepMeshAhead(mesh);
}

// Near and far planes of 0.3 and 200 here; render rebuilds the projection with 1 and 100 on the next
// paint. An empty client area (minimised window) keeps the last projection instead of an infinite one.
int GLUW::resize(int newWidth, int newHeight) {
  width = newWidth;
  height = newHeight;
  if (!hasVisibleArea()) return 0;
  gl::viewport(0, 0, width, height);
  setProjection(0.3, 200.0);
  gl::matrixMode(gl::kModelview);
  return 0;
}

int GLUW::onMouse(int keys, int button, int x, int y) {
  updateDragButtons(button);
  if (dragButtons != 0 && (keys & kAlt) != 0) {
    // Subtracted in double: the same value as the integer difference wherever that exists, and no
    // overflow for positions far apart (a stale or hostile position must not be undefined behaviour).
    const double dx = static_cast<double>(lastX) - x;
    const double dy = static_cast<double>(lastY) - y;
    const bool shift = (keys & kShift) != 0, ctrl = (keys & kCtrl) != 0;
    if (!shift && !ctrl) rotate(dx, dy);
    if (!shift && ctrl) zoom(dy);
    if (shift && !ctrl) pan(dx, dy);
  }
  lastX = x;
  lastY = y;
  return 1;
}

// Four tests in order, each on the code and each on the value the previous one left.
void GLUW::updateDragButtons(int button) {
  if (button & kLeftDown) dragButtons |= kLeftHeld;
  if (button & kRightDown) dragButtons |= kRightHeld;
  if (button & kLeftUp) dragButtons &= ~kLeftHeld;
  if (button & kRightUp) dragButtons &= ~kRightHeld;
}

// One degree per pixel: horizontal motion turns about y, vertical about x.
void GLUW::rotate(double dx, double dy) {
  camera.rotation.y = wrapDegrees(camera.rotation.y + dx);
  camera.rotation.x = wrapDegrees(camera.rotation.x - dy);
}

// Ten pixels per unit; moving the mouse up takes the eye away. The eye stays within [-100, -0.01].
void GLUW::zoom(double dy) {
  camera.eye.z -= dy / kZoomPixelsPerUnit;
  if (camera.eye.z < kFarthestEyeZ) camera.eye.z = kFarthestEyeZ;
  if (camera.eye.z > kNearestEyeZ) camera.eye.z = kNearestEyeZ;
}

void GLUW::resetCamera() { camera.setDefaults(); }

// Dragging up (a positive dy) takes the eye away; a notch forward brings it nearer.
void GLUW::wheelZoom(int notches) { zoom(-kZoomPixelsPerUnit * notches); }

void GLUW::pan(double dx, double dy) {
  camera.translation.x += dx / kPanPixelsPerUnit;
  camera.translation.y += dy / kPanPixelsPerUnit;
}

}  // namespace sv
