// The real viewer under a private Xvfb server, driven with xdotool as a person would: start-up (count
// lines, the 512 x 512 "Veldrane1" window, the scene on screen), moves advance the scene and a resting
// mouse leaves picture and CPU time alone, the three Alt drags change the view as designed, closing
// exits 0, a missing or unreadable model exits non-zero with the reason and no window.
#include "XSession.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

namespace sv::e2e {
namespace {

using namespace std::chrono_literals;

bool isBackground(const Image& image, int i) { return image.blue(i) > 200 && image.red(i) < 60 && image.green(i) < 60; }
bool isFloor(const Image& image, int i) { return image.red(i) > 200 && image.green(i) > 200 && image.blue(i) > 200; }
bool isMesh(const Image& image, int i) { return image.green(i) > 50 && image.red(i) < 60 && image.blue(i) < 60; }
bool isCloth(const Image& image, int i) { return image.red(i) > 150 && image.green(i) < 80 && image.blue(i) < 80; }
bool isDisplacement(const Image& image, int i) {
  return image.red(i) > 200 && image.green(i) > 200 && image.blue(i) < 80;
}

template <typename Predicate>
int count(const Image& image, Predicate is) {
  int n = 0;
  for (int i = 0; i < int(image.pixels.size()); ++i) n += is(image, i) ? 1 : 0;
  return n;
}

// How much two pictures of the floor grid agree: shared floor pixels over the larger floor.
double floorOverlap(const Image& a, const Image& b) {
  int shared = 0, inA = 0, inB = 0;
  for (int i = 0; i < int(a.pixels.size()); ++i) {
    bool floorA = isFloor(a, i), floorB = isFloor(b, i);
    shared += floorA && floorB;
    inA += floorA;
    inB += floorB;
  }
  return double(shared) / double(std::max(1, std::max(inA, inB)));
}

// Mean column and row of the mesh's pixels.
void meshCentre(const Image& image, double& x, double& y) {
  double sumX = 0, sumY = 0;
  int n = 0;
  for (int i = 0; i < int(image.pixels.size()); ++i) {
    if (!isMesh(image, i)) continue;
    sumX += i % image.width;
    sumY += i / image.width;
    ++n;
  }
  x = n ? sumX / n : -1;
  y = n ? sumY / n : -1;
}

struct ModelCounts {
  int vertices = 0, normals = 0, faces = 0, springs = 0;
};

ModelCounts countModelLines(const std::string& path) {
  ModelCounts counts;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("v ", 0) == 0) ++counts.vertices;
    if (line.rfind("vn ", 0) == 0) ++counts.normals;
    if (line.rfind("f ", 0) == 0) ++counts.faces;
    if (line.rfind("k ", 0) == 0) ++counts.springs;
  }
  return counts;
}

class ViewerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server = std::make_unique<XvfbServer>(); }
  static void TearDownTestSuite() { server.reset(); }

  void TearDown() override {
    viewer.reset();
    std::filesystem::remove_all(directory);
  }

  // Starts the viewer in a fresh directory; `prepare` puts (or does not put) the model there.
  void start(const std::function<void(const std::string&)>& prepare) {
    directory = makeTempDirectory();
    prepare(directory);
    started = Clock::now();
    viewer = std::make_unique<ViewerProcess>(SV_SPRINGVIEW, directory, server->display());
  }
  void startWithModel() {
    start([](const std::string& dir) { std::filesystem::copy_file(SV_MODEL, dir + "/sphere_k.obj"); });
  }

  // Waits for the window and its first frame (blue background on most of it).
  Window waitForScene() {
    Window window = 0;
    bool shown = waitUntil(
        [&] {
          window = server->findWindow("Veldrane1");
          if (window == 0) return false;
          Image shot = server->capture(window);
          return !shot.pixels.empty() && count(shot, isBackground) > int(shot.pixels.size()) / 4;
        },
        60s);
    if (!shown) ADD_FAILURE() << "no scene on screen; stderr:\n" << viewer->errors();
    return shown ? window : 0;
  }

  // The picture once the viewer has handled everything: two shots in a row agree.
  Image settled(Window window) {
    Image previous = server->capture(window), current;
    bool still = waitUntil(
        [&] {
          std::this_thread::sleep_for(150ms);
          current = server->capture(window);
          bool same = current == previous;
          previous = current;
          return same;
        },
        20s);
    EXPECT_TRUE(still) << "the picture never stood still";
    return current;
  }

  void drag(const std::vector<std::string>& keys, int fromX, int fromY, int toX, int toY) {
    server->movePointer(fromX, fromY);
    for (const std::string& key : keys) server->xdotool({"keydown", key});
    server->xdotool({"mousedown", "1"});
    server->movePointer(toX, toY);
    server->xdotool({"mouseup", "1"});
    for (const std::string& key : keys) server->xdotool({"keyup", key});
  }

  static inline std::unique_ptr<XvfbServer> server;
  std::unique_ptr<ViewerProcess> viewer;
  std::string directory;
  Clock::time_point started;
};

TEST_F(ViewerTest, StartsWithCountLinesAndA512WindowShowingTheScene) {
  startWithModel();
  Window window = waitForScene();
  ASSERT_NE(window, 0u);
  auto startUp = std::chrono::duration<double>(Clock::now() - started).count();
  std::printf("start-up to first frame: %.2f s\n", startUp);
  RecordProperty("startup_seconds", std::to_string(startUp));

  int x = -1, y = -1, width = 0, height = 0;
  ASSERT_TRUE(server->windowGeometry(window, x, y, width, height));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(width, 512);
  EXPECT_EQ(height, 512);

  Image shot = settled(window);
  EXPECT_GT(count(shot, isFloor), 500) << "floor grid";
  EXPECT_GT(count(shot, isMesh), 5000) << "lit mesh";
  EXPECT_GT(count(shot, isCloth), 300) << "cloth";
  EXPECT_GT(count(shot, isDisplacement), 20) << "displacement lines of the first frame";

  ModelCounts counts = countModelLines(SV_MODEL);
  char expected[128];
  std::snprintf(expected, sizeof expected, "vtx   =%d\nnml   =%d\nface  =%d\nspring=%d\n", counts.vertices,
                counts.normals, counts.faces, counts.springs);
  EXPECT_EQ(viewer->output(), expected);
}

TEST_F(ViewerTest, MovesAdvanceTheSceneAndARestingMouseDoesNot) {
  startWithModel();
  Window window = waitForScene();
  ASSERT_NE(window, 0u);
  server->movePointer(256, 256);
  Image before = settled(window);
  double cpuBefore = viewer->cpuSeconds();
  std::this_thread::sleep_for(3s);  // the resting period being measured
  Image rested = server->capture(window);
  double idleCpu = viewer->cpuSeconds() - cpuBefore;
  std::printf("CPU time over 3 s of rest: %.3f s\n", idleCpu);
  RecordProperty("idle_cpu_seconds", std::to_string(idleCpu));
  EXPECT_EQ(rested, before) << "the scene moved while the mouse rested";
  EXPECT_LT(idleCpu, 0.05);

  double cpuMoving = viewer->cpuSeconds();
  const int moves = 20;
  for (int step = 1; step <= moves; ++step) {
    server->movePointer(256 + 3 * step, 256 + 2 * step);
  }
  Image moved = settled(window);
  double perMove = (viewer->cpuSeconds() - cpuMoving) / moves;
  std::printf("CPU time per mouse move: %.1f ms\n", perMove * 1000);
  RecordProperty("cpu_ms_per_move", std::to_string(perMove * 1000));
  EXPECT_NE(moved, rested) << "plain moves did not advance the scene";
  EXPECT_GT(floorOverlap(rested, moved), 0.85) << "a plain move must not change the view";
}

TEST_F(ViewerTest, AltDragTurnsTheViewAndTheOppositeDragTurnsItBack) {
  startWithModel();
  Window window = waitForScene();
  ASSERT_NE(window, 0u);
  Image start = settled(window);
  // 40 pixels are 40 degrees; quarter turns would not show, the floor grid being square.
  drag({"alt"}, 100, 300, 140, 300);
  Image turned = settled(window);
  EXPECT_LT(floorOverlap(start, turned), 0.5) << "Alt+drag did not turn the view";
  drag({"alt"}, 140, 300, 100, 300);
  Image back = settled(window);
  EXPECT_GT(floorOverlap(start, back), 0.85) << "turning back by the same distance did not restore the view";
}

TEST_F(ViewerTest, CapturedDragKeepsTurningOutsideTheWindow) {
  startWithModel();
  Window window = waitForScene();
  ASSERT_NE(window, 0u);
  server->movePointer(400, 300);
  server->xdotool({"keydown", "alt"});
  server->xdotool({"mousedown", "1"});
  Image pressed = settled(window);
  server->movePointer(440, 600);  // below the 512-pixel window, button still held: 40 degrees
  Image outside = settled(window);
  server->xdotool({"mouseup", "1"});
  server->xdotool({"keyup", "alt"});
  EXPECT_LT(floorOverlap(pressed, outside), 0.5) << "moves outside the window did not arrive while captured";
}

TEST_F(ViewerTest, SuperDragTurnsTheViewLikeAlt) {
  startWithModel();
  Window window = waitForScene();
  ASSERT_NE(window, 0u);
  Image start = settled(window);
  drag({"super"}, 100, 300, 140, 300);
  EXPECT_LT(floorOverlap(start, settled(window)), 0.5);
}

TEST_F(ViewerTest, DragWithoutAltLeavesTheView) {
  startWithModel();
  Window window = waitForScene();
  ASSERT_NE(window, 0u);
  Image start = settled(window);
  drag({}, 100, 300, 190, 250);
  EXPECT_GT(floorOverlap(start, settled(window)), 0.85);
}

TEST_F(ViewerTest, AltCtrlDragZoomsWithVerticalMovesOnly) {
  startWithModel();
  Window window = waitForScene();
  ASSERT_NE(window, 0u);
  Image start = settled(window);
  drag({"alt", "ctrl"}, 100, 300, 200, 300);  // horizontal: no zoom, and no turn either
  Image sideways = settled(window);
  EXPECT_GT(floorOverlap(start, sideways), 0.85);
  drag({"alt", "ctrl"}, 200, 300, 200, 250);  // up by 50: the eye moves 5 units away
  Image away = settled(window);
  EXPECT_LT(floorOverlap(sideways, away), 0.5);
  EXPECT_LT(count(away, isMesh), 0.8 * count(sideways, isMesh)) << "moving up must zoom out";
  drag({"alt", "ctrl"}, 200, 250, 200, 300);
  EXPECT_GT(floorOverlap(start, settled(window)), 0.85) << "zooming back did not restore the view";
}

TEST_F(ViewerTest, AltShiftDragPansTheSceneAlongWithTheMouse) {
  startWithModel();
  Window window = waitForScene();
  ASSERT_NE(window, 0u);
  Image start = settled(window);
  double startX, startY;
  meshCentre(start, startX, startY);
  drag({"alt", "shift"}, 100, 300, 140, 340);  // 2 units right and down in the scene
  Image panned = settled(window);
  double pannedX, pannedY;
  meshCentre(panned, pannedX, pannedY);
  EXPECT_GT(pannedX - startX, 20) << "the scene should follow the mouse to the right";
  EXPECT_GT(pannedY - startY, 20) << "the scene should follow the mouse down";
  EXPECT_LT(floorOverlap(start, panned), 0.5);
  drag({"alt", "shift"}, 140, 340, 100, 300);
  EXPECT_GT(floorOverlap(start, settled(window)), 0.85);
}

TEST_F(ViewerTest, ResizingRepaintsTheSceneForTheNewSize) {
  startWithModel();
  Window window = waitForScene();
  ASSERT_NE(window, 0u);
  server->xdotool({"windowsize", std::to_string(window), "300", "200"});
  // No mouse moves: the size change alone must repaint, with the viewport of the new size, which puts
  // the mesh (at the origin of the scene) in the middle of the smaller window.
  double x = -1, y = -1;
  bool centred = waitUntil(
      [&] {
        Image shot = server->capture(window);
        if (shot.width != 300 || shot.height != 200) return false;
        meshCentre(shot, x, y);
        return std::abs(x - 150) < 30 && std::abs(y - 100) < 30;
      },
      20s);
  EXPECT_TRUE(centred) << "mesh centre at " << x << ", " << y;
}

TEST_F(ViewerTest, ClosingTheWindowExitsWithZero) {
  startWithModel();
  Window window = waitForScene();
  ASSERT_NE(window, 0u);
  server->requestClose(window);
  EXPECT_EQ(viewer->waitExit(30s), 0) << viewer->errors();
  EXPECT_EQ(server->findWindow("Veldrane1"), 0u);
}

TEST_F(ViewerTest, MissingModelExitsNonZeroWithTheReasonAndNoWindow) {
  start([](const std::string&) {});
  int status = viewer->waitExit(60s);
  EXPECT_GT(status, 0);
  EXPECT_NE(status, -1);
  EXPECT_EQ(viewer->output(), "Basewindow open error.\n");
  EXPECT_NE(viewer->errors().find("sphere_k.obj"), std::string::npos) << viewer->errors();
  EXPECT_EQ(server->findWindow("Veldrane1"), 0u);
}

TEST_F(ViewerTest, UnreadableModelExitsNonZeroWithTheReasonAndNoWindow) {
  // A link to itself cannot be opened, whoever runs the test (root reads any file).
  start([](const std::string& dir) { std::filesystem::create_symlink("sphere_k.obj", dir + "/sphere_k.obj"); });
  int status = viewer->waitExit(60s);
  EXPECT_GT(status, 0);
  EXPECT_NE(status, -1);
  EXPECT_EQ(viewer->output(), "Basewindow open error.\n");
  EXPECT_NE(viewer->errors().find("sphere_k.obj"), std::string::npos) << viewer->errors();
  EXPECT_EQ(server->findWindow("Veldrane1"), 0u);
}

}  // namespace
}  // namespace sv::e2e
