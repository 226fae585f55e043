// The real viewer, the Linux build and the Windows build under Wine alike, on a private Xvfb server and
// driven with xdotool as a person would: the count lines reach a pipe while it runs, the scene shows
// before any mouse message, moves advance it while a resting mouse costs no CPU, the Alt drags turn,
// zoom and pan, closing exits 0, and a missing or unreadable model exits 1 with the reason.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
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
  for (auto deadline = Clock::now() + limit; !ready(); std::this_thread::sleep_for(10ms)) {
    if (Clock::now() > deadline) return false;
  }
  return true;
}

std::string readFile(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

// Runs a shell command and returns its output; throws when it fails, unless the caller takes `ok`.
std::string shell(const std::string& command, bool* ok = nullptr) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  for (int c; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) out += char(c);
  const bool succeeded = pipe != nullptr && pclose(pipe) == 0;
  if (!succeeded && ok == nullptr) throw std::runtime_error("failed: " + command);
  if (ok != nullptr) *ok = succeeded;
  return out;
}
std::string xdotool(const std::string& arguments) { return shell("xdotool " + arguments); }
void movePointer(int x, int y) { xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y)); }

// The mapped window titled "Veldrane1", or 0.
Window findViewer() {
  bool found = false;
  return std::strtoul(shell("xdotool search --onlyvisible --name '^Veldrane1$'", &found).c_str(), nullptr, 10);
}

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // 0xRRGGBB, row by row
  bool operator==(const Image&) const = default;
};
int red(std::uint32_t pixel) { return int(pixel >> 16) & 0xFF; }
int green(std::uint32_t pixel) { return int(pixel >> 8) & 0xFF; }
int blue(std::uint32_t pixel) { return int(pixel) & 0xFF; }
bool isBackground(std::uint32_t p) { return blue(p) > 200 && red(p) < 60 && green(p) < 60; }
bool isFloor(std::uint32_t p) { return red(p) > 200 && green(p) > 200 && blue(p) > 200; }
bool isMesh(std::uint32_t p) { return green(p) > 50 && red(p) < 60 && blue(p) < 60; }
bool isCloth(std::uint32_t p) { return red(p) > 150 && green(p) < 80 && blue(p) < 80; }
bool isDisplacement(std::uint32_t p) { return red(p) > 200 && green(p) > 200 && blue(p) < 80; }
int count(const Image& m, bool (*is)(std::uint32_t)) {
  return int(std::count_if(m.pixels.begin(), m.pixels.end(), is));
}

// How much two pictures of the floor grid agree: shared floor pixels over the larger floor.
double floorOverlap(const Image& a, const Image& b) {
  int shared = 0;
  for (std::size_t i = 0; i < std::min(a.pixels.size(), b.pixels.size()); ++i) {
    shared += isFloor(a.pixels[i]) && isFloor(b.pixels[i]);
  }
  return double(shared) / std::max({1, count(a, isFloor), count(b, isFloor)});
}

// Mean column and row of the mesh's pixels from the picture's middle, or far off without any.
std::pair<double, double> meshOffset(const Image& m) {
  double x = 0, y = 0;
  int n = 0;
  for (int i = 0; i < int(m.pixels.size()); ++i) {
    if (isMesh(m.pixels[i])) x += i % m.width, y += i / m.width, ++n;
  }
  return n ? std::pair{x / n - m.width / 2.0, y / n - m.height / 2.0} : std::pair{1e9, 1e9};
}

// Starts `command` through the shell, which reports its process id before it becomes the command.
FILE* spawn(const std::string& command, pid_t& pid) {
  FILE* pipe = popen(("echo $$; exec " + command).c_str(), "re");
  if (pipe == nullptr || std::fscanf(pipe, "%d%*c", &pid) != 1) throw std::runtime_error("cannot start " + command);
  return pipe;
}

// The parameter says which build runs: false the Linux one, true the Windows one under Wine. All run on
// one private Xvfb server, its display number chosen by the server so parallel runs never collide. Each
// test starts the viewer in a fresh directory, its standard output a pipe that the test reads as it runs.
class ViewerTest : public ::testing::TestWithParam<bool> {
 protected:
  static void SetUpTestSuite() {
    int number = -1;
    xvfb = spawn("Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null", xvfbPid);
    if (std::fscanf(xvfb, "%d", &number) != 1 || !(x = XOpenDisplay((":" + std::to_string(number)).c_str()))) {
      throw std::runtime_error("Xvfb did not start");
    }
    setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  static void TearDownTestSuite() {
    if (!winePrefix.empty()) shell(SV_WINE "server -k; rm -rf '" + winePrefix + "'");
    XCloseDisplay(x), kill(xvfbPid, SIGTERM), pclose(xvfb);
  }
  // The Wine cases skip where Wine cannot start; the first one makes a prefix of this run's own.
  void SetUp() override {
    if (!GetParam()) return;
    if (std::string(SV_WINE).empty()) GTEST_SKIP() << "Wine is not installed (Debian's wine and wine64)";
    if (winePrefix.empty() && mkdtemp((winePrefix = SV_BINARY_DIR "/wineprefix-XXXXXX").data()) != nullptr) {
      setenv("WINEPREFIX", winePrefix.c_str(), 1);
      setenv("WINEDEBUG", "-all", 1);
      setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);  // no installer dialogs for .NET or HTML support
      bool booted = false;
      wineFailure = shell(SV_WINE " wineboot --init 2>&1", &booted);
      if (booted) wineFailure.clear();
    }
    if (!wineFailure.empty()) GTEST_SKIP() << "Wine cannot start: " << wineFailure;
  }
  void TearDown() override {
    if (viewer != nullptr && waitExit(0ms) == -1) kill(pid, SIGKILL), pclose(viewer);
    viewer = nullptr, status = -1, written.clear(), fs::remove_all(directory);
  }

  // Starts the viewer in a fresh directory; `prepare` puts (or does not put) the model there. Leaks
  // inside the system's OpenGL driver are not ours; everything else is still checked.
  void start(void (*prepare)(const fs::path&)) {
    directory = fs::temp_directory_path() / "springview-e2e-XXXXXX";
    if (mkdtemp(directory.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    prepare(directory);
    viewer =
        spawn("env -C '" + directory + "' LSAN_OPTIONS=suppressions=" SV_LSAN_SUPPRESSIONS ":print_suppressions=0 " +
                  (GetParam() ? SV_WINE " " SV_SPRINGVIEW_EXE : SV_SPRINGVIEW) + " 2>'" + directory + "/stderr.txt'",
              pid);
    fcntl(fileno(viewer), F_SETFL, O_NONBLOCK);
  }
  // Starts with the model and the pointer away from the window; waits for the first frame on screen.
  void startScene() {
    movePointer(1000, 700);
    start([](const fs::path& dir) { fs::copy_file(SV_MODEL, dir / "sphere_k.obj"); });
    bool shown = waitUntil(
        [&] {
          Image shot = capture(window = findViewer());
          return window != 0 && count(shot, isBackground) > int(shot.pixels.size()) / 4;
        },
        60s);
    ASSERT_TRUE(shown) << "no scene on screen; stderr:\n" << errors();
  }
  // The exit status, or -1 when it did not end in time. A process that has ended is a zombie ('Z') until
  // pclose collects its status.
  int waitExit(std::chrono::milliseconds limit) {
    if (status == -1 && waitUntil([&] { return processStat()[0] == 'Z'; }, limit)) {
      output(), status = pclose(viewer), status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    }
    return status;
  }
  // /proc/PID/stat from its state field on, after the command name's closing ')'.
  std::string processStat() const {
    std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    return stat.substr(std::min(stat.size(), stat.rfind(')') + 2));
  }
  // User plus system time of all its threads: the 12th and 13th fields from the state on.
  double cpuSeconds() const {
    unsigned long long user = 0, system = 0;
    std::sscanf(processStat().c_str(), "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user, &system);
    return double(user + system) / double(sysconf(_SC_CLK_TCK));
  }
  const std::string& output() {  // everything that has reached the pipe so far
    for (int c; status == -1 && (c = std::fgetc(viewer)) != EOF;) written += char(c);
    if (status == -1) clearerr(viewer);
    return written;
  }
  std::string errors() const { return readFile(directory + "/stderr.txt"); }
  std::string lineEnd() const { return GetParam() ? "\r\n" : "\n"; }  // the Microsoft C runtime's text mode

  static Image capture(Window window) {
    XWindowAttributes a;
    XImage* shot = XGetWindowAttributes(x, window, &a)
                       ? XGetImage(x, window, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap)
                       : nullptr;
    Image image{shot ? a.width : 0, shot ? a.height : 0, {}};
    for (int i = 0; i < image.width * image.height; ++i) {
      image.pixels.push_back(XGetPixel(shot, i % a.width, i / a.width) & 0xFFFFFF);
    }
    if (shot != nullptr) XDestroyImage(shot);
    return image;
  }
  // What a window manager sends when the close button is clicked: WM_PROTOCOLS / WM_DELETE_WINDOW.
  void requestClose() const {
    XEvent event{};
    event.xclient = {ClientMessage, 0, False, x, window, XInternAtom(x, "WM_PROTOCOLS", False), 32, {}};
    event.xclient.data.l[0] = long(XInternAtom(x, "WM_DELETE_WINDOW", False));
    XSendEvent(x, window, False, NoEventMask, &event);
    XFlush(x);
  }
  // The picture once the viewer has handled everything: two shots in a row agree and the viewer spent
  // no CPU time between them (it would, drawing a late frame).
  Image settled() {
    Image shot = capture(window);
    for (auto deadline = Clock::now() + 20s; Clock::now() < deadline;) {
      const double cpu = cpuSeconds();
      std::this_thread::sleep_for(150ms);
      if (Image next = capture(window); std::exchange(shot, next) == next && cpuSeconds() == cpu) return shot;
    }
    ADD_FAILURE() << "the picture never stood still";
    return shot;
  }
  // Drags with the left button and `keys` (as "alt+ctrl") held, then returns the settled picture.
  Image drag(const std::string& keys, int fromX, int fromY, int toX, int toY) {
    movePointer(fromX, fromY);
    if (!keys.empty()) xdotool("keydown " + keys);
    xdotool("mousedown 1");
    movePointer(toX, toY);
    xdotool("mouseup 1");
    if (!keys.empty()) xdotool("keyup " + keys);
    return settled();
  }

  static inline FILE* xvfb = nullptr;
  static inline pid_t xvfbPid = -1;
  static inline Display* x = nullptr;
  static inline std::string winePrefix, wineFailure;
  FILE* viewer = nullptr;
  pid_t pid = -1;
  int status = -1;
  std::string directory, written;
  Window window = 0;
};

TEST_P(ViewerTest, ShowsTheSceneBeforeAnyMouseMessageAndMovesItOnlyWhileTheMouseMoves) {
  auto started = Clock::now();
  ASSERT_NO_FATAL_FAILURE(startScene());
  std::printf("start-up to first frame: %.2f s\n", std::chrono::duration<double>(Clock::now() - started).count());
  // 512 x 512 is the outer size on Windows, and the client size where the window has no frame.
  int x = -1, y = -1, width = 0, height = 0;
  std::sscanf(xdotool("getwindowgeometry --shell " + std::to_string(window)).c_str(),
              "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &x, &y, &width, &height);
  EXPECT_TRUE(x + width + x == 512 && y + height + x == 512) << x << " " << y << " " << width << " " << height;

  Image before = settled();
  EXPECT_GT(count(before, isFloor), 500) << "floor grid";
  EXPECT_GT(count(before, isMesh), 5000) << "lit mesh";
  EXPECT_GT(count(before, isCloth), 300) << "cloth";
  EXPECT_GT(count(before, isDisplacement), 20) << "displacement lines of the first frame";
  const std::string end = lineEnd();  // the shipped sphere's counts
  EXPECT_EQ(output(), "vtx   =1002" + end + "nml   =1002" + end + "face  =2000" + end + "spring=3000" + end)
      << "the count lines must reach the pipe while the viewer runs";

  double cpu = cpuSeconds();
  std::this_thread::sleep_for(3s);  // the resting period being measured
  Image rested = capture(window);
  double idleCpu = cpuSeconds() - cpu;
  std::printf("CPU time over 3 s of rest: %.3f s\n", idleCpu);
  EXPECT_EQ(rested, before) << "the scene moved while the mouse rested";
  EXPECT_LT(idleCpu, 0.05);

  cpu = cpuSeconds();
  for (int step = 1; step <= 20; ++step) movePointer(200 + 3 * step, 240);
  Image moved = settled();
  std::printf("CPU time per mouse move: %.1f ms\n", (cpuSeconds() - cpu) / 20 * 1000);
  EXPECT_NE(moved, rested) << "plain moves did not advance the scene";
  EXPECT_GT(floorOverlap(rested, moved), 0.85) << "a plain move must not change the view";
}

TEST_P(ViewerTest, AltDragsTurnZoomAndPanResizingRepaintsAndClosingExitsWithZero) {
  ASSERT_NO_FATAL_FAILURE(startScene());
  Image start = settled();
  EXPECT_GT(floorOverlap(start, drag("", 100, 300, 190, 250)), 0.85) << "a drag without Alt turned the view";
  // 40 pixels are 40 degrees; quarter turns would not show, the floor grid being square.
  EXPECT_LT(floorOverlap(start, drag("alt", 100, 300, 140, 300)), 0.5) << "Alt+drag did not turn the view";
  EXPECT_GT(floorOverlap(start, drag("alt", 140, 300, 100, 300)), 0.85) << "turning back did not restore the view";
  // Held outside the window, the button keeps the mouse captured: 40 pixels down are 40 degrees.
  EXPECT_LT(floorOverlap(start, drag("alt", 180, 500, 180, 540)), 0.5) << "moves outside the window were lost";
  Image level = drag("alt", 180, 540, 180, 500);
  EXPECT_GT(floorOverlap(level, drag("alt+ctrl", 100, 300, 200, 300)), 0.85) << "sideways zoomed or turned";
  Image away = drag("alt+ctrl", 200, 300, 200, 250);  // up by 50: the eye moves 5 units away
  EXPECT_LT(count(away, isMesh), 0.8 * count(level, isMesh)) << "moving up must zoom out";
  EXPECT_GT(floorOverlap(level, drag("alt+ctrl", 200, 250, 200, 300)), 0.85) << "zooming back did not restore";
  Image panned = drag("alt+shift", 100, 300, 140, 340);  // 2 units right and down: the scene follows
  EXPECT_GT(meshOffset(panned).first - meshOffset(level).first, 20) << "the scene should follow the mouse right";
  EXPECT_GT(meshOffset(panned).second - meshOffset(level).second, 20) << "the scene should follow the mouse down";

  // No mouse moves: the size change alone repaints, with the viewport of the new size, which puts the
  // mesh (at the origin of the scene, panned back) in the middle of the smaller window.
  drag("alt+shift", 140, 340, 100, 300);
  xdotool("windowsize " + std::to_string(window) + " 300 200");
  std::pair<double, double> off;
  EXPECT_TRUE(waitUntil(
      [&] {
        Image shot = capture(window);
        off = meshOffset(shot);
        return shot.width == 300 && shot.height == 200 && std::hypot(off.first, off.second) < 30;
      },
      20s))
      << "mesh centre off the middle by " << off.first << ", " << off.second;
  requestClose();
  EXPECT_EQ(waitExit(30s), 0) << errors();
  EXPECT_EQ(findViewer(), 0u);
}

TEST_P(ViewerTest, MissingOrUnreadableModelExitsWithOneTheReasonAndNoWindow) {
  // A link to itself cannot be opened, whoever runs the test (root reads any file).
  for (auto prepare : {+[](const fs::path&) {},
                       +[](const fs::path& dir) { fs::create_symlink("sphere_k.obj", dir / "sphere_k.obj"); }}) {
    start(prepare);
    EXPECT_EQ(waitExit(60s), 1) << "-1: still running";
    EXPECT_EQ(output(), "Basewindow open error." + lineEnd());
    EXPECT_NE(errors().find("sphere_k.obj"), std::string::npos) << errors();
    EXPECT_EQ(findViewer(), 0u);
    TearDown();
  }
}

INSTANTIATE_TEST_SUITE_P(Linux, ViewerTest, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(Wine, ViewerTest, ::testing::Values(true));

}  // namespace
}  // namespace sv::e2e
