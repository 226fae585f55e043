// The real viewer under a private Xvfb server, driven with xdotool as a person would: start-up (count
// lines, the 512 x 512 "Veldrane1" window, the scene on screen), moves advance the scene and a resting
// mouse leaves picture and CPU time alone, the three Alt drags change the view as designed, closing
// exits 0, a missing or unreadable model exits non-zero with the reason and no window.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
// clang-format off
// Last: Xlib's macros (None, Bool, Status) clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

namespace sv::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Polls `ready` every few milliseconds until it holds or `limit` passes; returns whether it held.
bool waitUntil(const std::function<bool()>& ready, std::chrono::milliseconds limit) {
  for (auto deadline = Clock::now() + limit; !ready();) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

std::string readFile(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // 0xRRGGBB, row by row
  bool operator==(const Image&) const = default;
  int red(int i) const { return (pixels[i] >> 16) & 0xFF; }
  int green(int i) const { return (pixels[i] >> 8) & 0xFF; }
  int blue(int i) const { return pixels[i] & 0xFF; }
};

// A private Xvfb server, its display number chosen by the server through -displayfd so parallel runs
// never collide, with xdotool, window lookup and screenshots on it.
class XvfbServer {
 public:
  XvfbServer() {
    // The shell reports its process id and becomes the server, which writes its display number once it
    // accepts connections.
    int number = -1;
    server = popen("echo $$; exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null", "re");
    if (server == nullptr || std::fscanf(server, "%d %d", &pid, &number) != 2 ||
        (x = XOpenDisplay((name = ":" + std::to_string(number)).c_str())) == nullptr) {
      throw std::runtime_error("Xvfb did not start");
    }
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  ~XvfbServer() {
    XCloseDisplay(x);
    kill(pid, SIGTERM);
    pclose(server);
  }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  const std::string& display() const { return name; }

  // Runs xdotool on this server and returns its output; throws when it fails, unless it `mayFail`.
  std::string xdotool(const std::string& arguments, bool mayFail = false) const {
    std::string out;
    FILE* pipe = popen(("DISPLAY=" + name + " xdotool " + arguments).c_str(), "r");
    for (int c; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) out += char(c);
    if ((pipe == nullptr || pclose(pipe) != 0) && !mayFail) throw std::runtime_error("xdotool failed: " + arguments);
    return out;
  }
  // The mapped window titled "Veldrane1", or 0.
  Window findViewer() const {
    return std::strtoul(xdotool("search --onlyvisible --name '^Veldrane1$'", true).c_str(), nullptr, 10);
  }
  std::string geometry(Window window) const { return xdotool("getwindowgeometry --shell " + std::to_string(window)); }

  Image capture(Window window) const {
    Image image;
    XWindowAttributes a;
    XImage* shot = XGetWindowAttributes(x, window, &a)
                       ? XGetImage(x, window, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap)
                       : nullptr;
    if (shot == nullptr) return image;
    image.width = a.width;
    image.height = a.height;
    for (int row = 0; row < a.height; ++row) {
      for (int column = 0; column < a.width; ++column) image.pixels.push_back(XGetPixel(shot, column, row) & 0xFFFFFF);
    }
    XDestroyImage(shot);
    return image;
  }

  // What a window manager sends when the close button is clicked: WM_PROTOCOLS / WM_DELETE_WINDOW.
  void requestClose(Window window) const {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(x, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(x, window, False, NoEventMask, &event);
    XFlush(x);
  }

  // Moves the pointer as xdotool does for a person, returning once it is there. (--sync waits for the
  // pointer to move, so it would wait forever for a move to where it is.)
  void movePointer(int x, int y) const {
    std::string to = std::to_string(x) + " " + std::to_string(y);
    if (xdotool("getmouselocation").rfind("x:" + std::to_string(x) + " y:" + std::to_string(y) + " ", 0) != 0) {
      xdotool("mousemove --sync " + to);
    }
  }

 private:
  FILE* server = nullptr;
  pid_t pid = -1;
  std::string name;
  Display* x = nullptr;
};

// springview started in `directory`, standard output and error to files there.
class ViewerProcess {
 public:
  ViewerProcess(const std::string& directory, const std::string& display) : directory(directory) {
    if ((pid = fork()) == 0) {
      if (chdir(directory.c_str()) != 0) _exit(126);
      dup2(open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
      dup2(open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
      setenv("DISPLAY", display.c_str(), 1);
      // Leaks inside the system's OpenGL driver are not ours; everything else is still checked.
      setenv("LSAN_OPTIONS", "suppressions=" SV_LSAN_SUPPRESSIONS ":print_suppressions=0", 1);
      execl(SV_SPRINGVIEW, SV_SPRINGVIEW, nullptr);
      _exit(127);
    }
  }
  ~ViewerProcess() {
    if (running()) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
  }
  ViewerProcess(const ViewerProcess&) = delete;
  ViewerProcess& operator=(const ViewerProcess&) = delete;

  // The exit status, or -1 when it did not end in time.
  int waitExit(std::chrono::milliseconds limit) {
    return waitUntil([&] { return !running(); }, limit) ? status : -1;
  }
  // User plus system CPU time so far: the 14th and 15th fields, counted after the command name (which
  // may hold spaces) ends with the last ')'.
  double cpuSeconds() const {
    std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string skip;
    unsigned long long user = 0, system = 0;
    for (int index = 3; index < 14; ++index) fields >> skip;
    fields >> user >> system;
    return double(user + system) / double(sysconf(_SC_CLK_TCK));
  }
  std::string output() const { return readFile(directory + "/stdout.txt"); }
  std::string errors() const { return readFile(directory + "/stderr.txt"); }

 private:
  bool running() {
    int raw = 0;
    if (status == -1 && waitpid(pid, &raw, WNOHANG) == pid) {
      status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    }
    return status == -1;
  }
  pid_t pid = -1;
  int status = -1;
  std::string directory;
};

bool isBackground(const Image& m, int i) { return m.blue(i) > 200 && m.red(i) < 60 && m.green(i) < 60; }
bool isFloor(const Image& m, int i) { return m.red(i) > 200 && m.green(i) > 200 && m.blue(i) > 200; }
bool isMesh(const Image& m, int i) { return m.green(i) > 50 && m.red(i) < 60 && m.blue(i) < 60; }
bool isCloth(const Image& m, int i) { return m.red(i) > 150 && m.green(i) < 80 && m.blue(i) < 80; }
bool isDisplacement(const Image& m, int i) { return m.red(i) > 200 && m.green(i) > 200 && m.blue(i) < 80; }

int count(const Image& image, bool (*is)(const Image&, int)) {
  int n = 0;
  for (int i = 0; i < int(image.pixels.size()); ++i) n += is(image, i);
  return n;
}

// How much two pictures of the floor grid agree: shared floor pixels over the larger floor.
double floorOverlap(const Image& a, const Image& b) {
  int shared = 0;
  for (int i = 0; i < int(a.pixels.size()); ++i) shared += isFloor(a, i) && isFloor(b, i);
  return double(shared) / std::max({1, count(a, isFloor), count(b, isFloor)});
}

// Mean column and row of the mesh's pixels, or (-1, -1) without any.
std::pair<double, double> meshCentre(const Image& image) {
  double x = 0, y = 0;
  int n = 0;
  for (int i = 0; i < int(image.pixels.size()); ++i) {
    if (isMesh(image, i)) x += i % image.width, y += i / image.width, ++n;
  }
  return n ? std::pair{x / n, y / n} : std::pair{-1.0, -1.0};
}

class ViewerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server = std::make_unique<XvfbServer>(); }
  static void TearDownTestSuite() { server.reset(); }
  void TearDown() override {
    viewer.reset();
    fs::remove_all(directory);
  }

  // Starts the viewer in a fresh directory; `prepare` puts (or does not put) the model there.
  void start(void (*prepare)(const fs::path&)) {
    directory = fs::temp_directory_path() / "springview-e2e-XXXXXX";
    if (mkdtemp(directory.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    prepare(directory);
    viewer = std::make_unique<ViewerProcess>(directory, server->display());
  }
  // Starts with the model and waits for the window and its first frame (blue on most of it).
  void startScene() {
    start([](const fs::path& dir) { fs::copy_file(SV_MODEL, dir / "sphere_k.obj"); });
    bool shown = waitUntil(
        [&] {
          if ((window = server->findViewer()) == 0) return false;
          Image shot = server->capture(window);
          return !shot.pixels.empty() && count(shot, isBackground) > int(shot.pixels.size()) / 4;
        },
        60s);
    ASSERT_TRUE(shown) << "no scene on screen; stderr:\n" << viewer->errors();
  }

  // The picture once the viewer has handled everything: two shots in a row agree.
  Image settled() {
    Image previous = server->capture(window), current;
    bool still = waitUntil(
        [&] {
          std::this_thread::sleep_for(150ms);
          current = server->capture(window);
          return std::exchange(previous, current) == current;
        },
        20s);
    EXPECT_TRUE(still) << "the picture never stood still";
    return current;
  }

  // Drags with the left button and `keys` held, then returns the settled picture.
  Image drag(const std::vector<std::string>& keys, int fromX, int fromY, int toX, int toY) {
    server->movePointer(fromX, fromY);
    for (const std::string& key : keys) server->xdotool("keydown " + key);
    server->xdotool("mousedown 1");
    server->movePointer(toX, toY);
    server->xdotool("mouseup 1");
    for (const std::string& key : keys) server->xdotool("keyup " + key);
    return settled();
  }

  static inline std::unique_ptr<XvfbServer> server;
  std::unique_ptr<ViewerProcess> viewer;
  std::string directory;
  Window window = 0;
};

TEST_F(ViewerTest, StartsWithCountLinesAndA512WindowShowingTheScene) {
  auto started = Clock::now();
  ASSERT_NO_FATAL_FAILURE(startScene());
  double startUp = std::chrono::duration<double>(Clock::now() - started).count();
  std::printf("start-up to first frame: %.2f s\n", startUp);
  RecordProperty("startup_seconds", std::to_string(startUp));

  EXPECT_NE(server->geometry(window).find("\nX=0\nY=0\nWIDTH=512\nHEIGHT=512\n"), std::string::npos)
      << server->geometry(window);

  Image shot = settled();
  EXPECT_GT(count(shot, isFloor), 500) << "floor grid";
  EXPECT_GT(count(shot, isMesh), 5000) << "lit mesh";
  EXPECT_GT(count(shot, isCloth), 300) << "cloth";
  EXPECT_GT(count(shot, isDisplacement), 20) << "displacement lines of the first frame";

  std::map<std::string, int> lines;
  std::ifstream model(SV_MODEL);
  for (std::string line; std::getline(model, line);) ++lines[line.substr(0, line.find(' '))];
  char expected[128];
  std::snprintf(expected, sizeof expected, "vtx   =%d\nnml   =%d\nface  =%d\nspring=%d\n", lines["v"], lines["vn"],
                lines["f"], lines["k"]);
  EXPECT_EQ(viewer->output(), expected);
}

TEST_F(ViewerTest, MovesAdvanceTheSceneAndARestingMouseDoesNot) {
  ASSERT_NO_FATAL_FAILURE(startScene());
  server->movePointer(256, 256);
  Image before = settled();
  double cpu = viewer->cpuSeconds();
  std::this_thread::sleep_for(3s);  // the resting period being measured
  Image rested = server->capture(window);
  double idleCpu = viewer->cpuSeconds() - cpu;
  std::printf("CPU time over 3 s of rest: %.3f s\n", idleCpu);
  RecordProperty("idle_cpu_seconds", std::to_string(idleCpu));
  EXPECT_EQ(rested, before) << "the scene moved while the mouse rested";
  EXPECT_LT(idleCpu, 0.05);

  cpu = viewer->cpuSeconds();
  const int moves = 20;
  for (int step = 1; step <= moves; ++step) server->movePointer(256 + 3 * step, 256 + 2 * step);
  Image moved = settled();
  double msPerMove = (viewer->cpuSeconds() - cpu) / moves * 1000;
  std::printf("CPU time per mouse move: %.1f ms\n", msPerMove);
  RecordProperty("cpu_ms_per_move", std::to_string(msPerMove));
  EXPECT_NE(moved, rested) << "plain moves did not advance the scene";
  EXPECT_GT(floorOverlap(rested, moved), 0.85) << "a plain move must not change the view";
}

TEST_F(ViewerTest, AltOrSuperDragTurnsTheViewEvenOutsideTheWindowAndAPlainDragDoesNot) {
  ASSERT_NO_FATAL_FAILURE(startScene());
  Image start = settled();
  EXPECT_GT(floorOverlap(start, drag({}, 100, 300, 190, 250)), 0.85) << "a drag without Alt turned the view";
  // 40 pixels are 40 degrees; quarter turns would not show, the floor grid being square.
  Image turned = drag({"alt"}, 100, 300, 140, 300);
  EXPECT_LT(floorOverlap(start, turned), 0.5) << "Alt+drag did not turn the view";
  EXPECT_GT(floorOverlap(start, drag({"alt"}, 140, 300, 100, 300)), 0.85) << "turning back did not restore the view";
  Image super = drag({"super"}, 100, 300, 140, 300);
  EXPECT_LT(floorOverlap(start, super), 0.5) << "Super+drag did not turn like Alt";
  server->xdotool("keydown alt");
  server->xdotool("mousedown 1");
  server->movePointer(180, 600);  // below the 512-pixel window, button still held: 40 degrees
  EXPECT_LT(floorOverlap(super, settled()), 0.5) << "moves outside the window did not arrive while captured";
  server->xdotool("mouseup 1");
  server->xdotool("keyup alt");
}

TEST_F(ViewerTest, AltCtrlDragZoomsWithVerticalMovesOnlyAndAltShiftDragPansAlongWithTheMouse) {
  ASSERT_NO_FATAL_FAILURE(startScene());
  Image start = settled();
  Image sideways = drag({"alt", "ctrl"}, 100, 300, 200, 300);  // horizontal: no zoom, and no turn either
  EXPECT_GT(floorOverlap(start, sideways), 0.85);
  Image away = drag({"alt", "ctrl"}, 200, 300, 200, 250);  // up by 50: the eye moves 5 units away
  EXPECT_LT(floorOverlap(sideways, away), 0.5);
  EXPECT_LT(count(away, isMesh), 0.8 * count(sideways, isMesh)) << "moving up must zoom out";
  Image restored = drag({"alt", "ctrl"}, 200, 250, 200, 300);
  EXPECT_GT(floorOverlap(start, restored), 0.85) << "zooming back did not restore the view";
  // Alt+Shift pans: the scene follows the mouse.
  Image panned = drag({"alt", "shift"}, 100, 300, 140, 340);  // 2 units right and down in the scene
  auto [fromX, fromY] = meshCentre(restored);
  auto [toX, toY] = meshCentre(panned);
  EXPECT_GT(toX - fromX, 20) << "the scene should follow the mouse to the right";
  EXPECT_GT(toY - fromY, 20) << "the scene should follow the mouse down";
  EXPECT_LT(floorOverlap(restored, panned), 0.5);
  EXPECT_GT(floorOverlap(restored, drag({"alt", "shift"}, 140, 340, 100, 300)), 0.85);
}

TEST_F(ViewerTest, ResizingRepaintsTheSceneForTheNewSizeAndClosingExitsWithZero) {
  ASSERT_NO_FATAL_FAILURE(startScene());
  server->xdotool("windowsize " + std::to_string(window) + " 300 200");
  // No mouse moves: the size change alone must repaint, with the viewport of the new size, which puts
  // the mesh (at the origin of the scene) in the middle of the smaller window.
  std::pair<double, double> centre;
  bool centred = waitUntil(
      [&] {
        Image shot = server->capture(window);
        centre = meshCentre(shot);
        return shot.width == 300 && shot.height == 200 && std::abs(centre.first - 150) < 30 &&
               std::abs(centre.second - 100) < 30;
      },
      20s);
  EXPECT_TRUE(centred) << "mesh centre at " << centre.first << ", " << centre.second;
  server->requestClose(window);
  EXPECT_EQ(viewer->waitExit(30s), 0) << viewer->errors();
  EXPECT_EQ(server->findViewer(), 0u);
}

TEST_F(ViewerTest, MissingOrUnreadableModelExitsNonZeroWithTheReasonAndNoWindow) {
  struct Case {
    const char* name;
    void (*prepare)(const fs::path&);
  };
  // A link to itself cannot be opened, whoever runs the test (root reads any file).
  for (Case c :
       {Case{"missing", [](const fs::path&) {}},
        Case{"unreadable", [](const fs::path& dir) { fs::create_symlink("sphere_k.obj", dir / "sphere_k.obj"); }}}) {
    SCOPED_TRACE(c.name);
    start(c.prepare);
    int status = viewer->waitExit(60s);
    EXPECT_GT(status, 0) << "-1: still running";
    EXPECT_EQ(viewer->output(), "Basewindow open error.\n");
    EXPECT_NE(viewer->errors().find("sphere_k.obj"), std::string::npos) << viewer->errors();
    EXPECT_EQ(server->findViewer(), 0u);
    TearDown();
  }
}

}  // namespace
}  // namespace sv::e2e
