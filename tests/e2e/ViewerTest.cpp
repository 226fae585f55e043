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
#include <memory>
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

// The mapped window titled "Veldrane1", or 0.
Window findViewer() {
  bool found = false;
  return std::strtoul(shell("xdotool search --onlyvisible --name '^Veldrane1$'", &found).c_str(), nullptr, 10);
}

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // 0xRRGGBB, row by row
  bool operator==(const Image&) const = default;
  int red(int i) const { return (pixels[i] >> 16) & 0xFF; }
  int green(int i) const { return (pixels[i] >> 8) & 0xFF; }
  int blue(int i) const { return pixels[i] & 0xFF; }
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
  for (int i = 0; i < int(std::min(a.pixels.size(), b.pixels.size())); ++i) shared += isFloor(a, i) && isFloor(b, i);
  return double(shared) / std::max({1, count(a, isFloor), count(b, isFloor)});
}

// Mean column and row of the mesh's pixels from the picture's middle, or far off without any.
std::pair<double, double> meshOffset(const Image& image) {
  double x = 0, y = 0;
  int n = 0;
  for (int i = 0; i < int(image.pixels.size()); ++i) {
    if (isMesh(image, i)) x += i % image.width, y += i / image.width, ++n;
  }
  return n ? std::pair{x / n - image.width / 2.0, y / n - image.height / 2.0} : std::pair{1e9, 1e9};
}

// A private Xvfb server for every program this test starts, its display number chosen by the server
// through -displayfd so parallel runs never collide. The shell reports its process id, then becomes
// the server, which writes its number once it accepts connections.
struct XvfbServer {
  XvfbServer()
      : server(popen("echo $$; exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null", "re")) {
    int number = -1;
    if (server == nullptr || std::fscanf(server, "%d %d", &pid, &number) != 2 ||
        (x = XOpenDisplay((":" + std::to_string(number)).c_str())) == nullptr) {
      throw std::runtime_error("Xvfb did not start");
    }
    setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  ~XvfbServer() { XCloseDisplay(x), kill(pid, SIGTERM), pclose(server); }

  Image capture(Window window) const {
    Image image;
    XWindowAttributes a;
    XImage* shot = XGetWindowAttributes(x, window, &a)
                       ? XGetImage(x, window, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap)
                       : nullptr;
    if (shot == nullptr) return image;
    image = {a.width, a.height, {}};
    for (int row = 0; row < a.height; ++row) {
      for (int column = 0; column < a.width; ++column) image.pixels.push_back(XGetPixel(shot, column, row) & 0xFFFFFF);
    }
    XDestroyImage(shot);
    return image;
  }
  // What a window manager sends when the close button is clicked: WM_PROTOCOLS / WM_DELETE_WINDOW.
  void requestClose(Window window) const {
    XEvent event{};
    event.xclient = {ClientMessage, 0, False, x, window, XInternAtom(x, "WM_PROTOCOLS", False), 32, {}};
    event.xclient.data.l[0] = long(XInternAtom(x, "WM_DELETE_WINDOW", False));
    XSendEvent(x, window, False, NoEventMask, &event);
    XFlush(x);
  }
  FILE* server;
  pid_t pid = -1;
  Display* x = nullptr;
};

// Which build runs: the Linux one directly, or the Windows one under Wine.
struct Platform {
  bool wine;
};

// Each test starts springview in a fresh directory, its standard output into a pipe that the test
// drains while it runs, its standard error into a file there.
class ViewerTest : public ::testing::TestWithParam<Platform> {
 protected:
  static void SetUpTestSuite() { server = std::make_unique<XvfbServer>(); }
  static void TearDownTestSuite() {
    if (!winePrefix.empty()) shell(SV_WINE "server -k; rm -rf '" + winePrefix + "'");
    server.reset();
  }
  // The Wine cases skip where Wine cannot start; the first one makes a prefix of this run's own.
  void SetUp() override {
    if (!GetParam().wine) return;
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
    if (pid > 0 && waitExit(0ms) == -1) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
    if (outPipe >= 0) close(outPipe);
    fs::remove_all(directory);
    pid = status = outPipe = -1, written.clear();
  }

  // Starts the viewer in a fresh directory; `prepare` puts (or does not put) the model there.
  void start(void (*prepare)(const fs::path&)) {
    directory = fs::temp_directory_path() / "springview-e2e-XXXXXX";
    if (mkdtemp(directory.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    prepare(directory);
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    if ((pid = fork()) == 0) {
      if (chdir(directory.c_str()) != 0) _exit(126);
      dup2(out[1], STDOUT_FILENO);
      dup2(open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
      // Leaks inside the system's OpenGL driver are not ours; everything else is still checked.
      setenv("LSAN_OPTIONS", "suppressions=" SV_LSAN_SUPPRESSIONS ":print_suppressions=0", 1);
      if (GetParam().wine) execl(SV_WINE, SV_WINE, SV_SPRINGVIEW_EXE, nullptr);
      execl(SV_SPRINGVIEW, SV_SPRINGVIEW, nullptr);
      _exit(127);
    }
    close(out[1]);
    fcntl(outPipe = out[0], F_SETFL, O_NONBLOCK);
  }
  // Starts with the model and the pointer away from the window; waits for the first frame on screen.
  void startScene() {
    xdotool("mousemove 1000 700");
    start([](const fs::path& dir) { fs::copy_file(SV_MODEL, dir / "sphere_k.obj"); });
    bool shown = waitUntil(
        [&] {
          Image shot = server->capture(window = findViewer());
          return window != 0 && count(shot, isBackground) > int(shot.pixels.size()) / 4;
        },
        60s);
    ASSERT_TRUE(shown) << "no scene on screen; stderr:\n" << errors();
  }
  // The exit status, or -1 when it did not end in time.
  int waitExit(std::chrono::milliseconds limit) {
    waitUntil(
        [&] {
          int raw = 0;
          if (status == -1 && waitpid(pid, &raw, WNOHANG) == pid) status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128;
          return status != -1;
        },
        limit);
    return status;
  }
  // User plus system time of all its threads: the 14th and 15th fields, after the name's closing ')'.
  double cpuSeconds() const {
    std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat"), field;
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    unsigned long long user = 0, system = 0;
    for (int index = 3; index < 14; ++index) fields >> field;
    fields >> user >> system;
    return double(user + system) / double(sysconf(_SC_CLK_TCK));
  }
  const std::string& output() {  // everything that has reached the pipe so far
    char buffer[4096];
    for (ssize_t n; (n = read(outPipe, buffer, sizeof buffer)) > 0;) written.append(buffer, std::size_t(n));
    return written;
  }
  std::string errors() const { return readFile(directory + "/stderr.txt"); }
  // The Microsoft C runtime's text mode writes CR LF.
  std::string lineEnd() const { return GetParam().wine ? "\r\n" : "\n"; }

  // The picture once the viewer has handled everything: two shots in a row agree and the viewer spent
  // no CPU time between them (it would, drawing a late frame).
  Image settled() {
    Image previous = server->capture(window), current;
    double cpu = cpuSeconds();
    EXPECT_TRUE(waitUntil(
        [&] {
          std::this_thread::sleep_for(150ms);
          current = server->capture(window);
          return std::exchange(previous, current) == current && std::exchange(cpu, cpuSeconds()) == cpu;
        },
        20s))
        << "the picture never stood still";
    return current;
  }
  // Drags with the left button and `keys` held, then returns the settled picture.
  Image drag(const std::vector<std::string>& keys, int fromX, int fromY, int toX, int toY) {
    xdotool("mousemove " + std::to_string(fromX) + " " + std::to_string(fromY));
    for (const std::string& key : keys) xdotool("keydown " + key);
    xdotool("mousedown 1");
    xdotool("mousemove " + std::to_string(toX) + " " + std::to_string(toY));
    xdotool("mouseup 1");
    for (const std::string& key : keys) xdotool("keyup " + key);
    return settled();
  }

  static inline std::unique_ptr<XvfbServer> server;
  static inline std::string winePrefix, wineFailure;
  pid_t pid = -1;
  int status = -1, outPipe = -1;
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
  Image rested = server->capture(window);
  double idleCpu = cpuSeconds() - cpu;
  std::printf("CPU time over 3 s of rest: %.3f s\n", idleCpu);
  EXPECT_EQ(rested, before) << "the scene moved while the mouse rested";
  EXPECT_LT(idleCpu, 0.05);

  cpu = cpuSeconds();
  for (int step = 1; step <= 20; ++step) xdotool("mousemove " + std::to_string(200 + 3 * step) + " 240");
  Image moved = settled();
  std::printf("CPU time per mouse move: %.1f ms\n", (cpuSeconds() - cpu) / 20 * 1000);
  EXPECT_NE(moved, rested) << "plain moves did not advance the scene";
  EXPECT_GT(floorOverlap(rested, moved), 0.85) << "a plain move must not change the view";
}

TEST_P(ViewerTest, AltDragsTurnZoomAndPanResizingRepaintsAndClosingExitsWithZero) {
  ASSERT_NO_FATAL_FAILURE(startScene());
  Image start = settled();
  EXPECT_GT(floorOverlap(start, drag({}, 100, 300, 190, 250)), 0.85) << "a drag without Alt turned the view";
  // 40 pixels are 40 degrees; quarter turns would not show, the floor grid being square.
  EXPECT_LT(floorOverlap(start, drag({"alt"}, 100, 300, 140, 300)), 0.5) << "Alt+drag did not turn the view";
  EXPECT_GT(floorOverlap(start, drag({"alt"}, 140, 300, 100, 300)), 0.85) << "turning back did not restore the view";
  if (!GetParam().wine) {  // Super works as Alt where desktops take Alt-drags for themselves
    EXPECT_LT(floorOverlap(start, drag({"super"}, 100, 300, 140, 300)), 0.5) << "Super+drag did not turn like Alt";
    EXPECT_GT(floorOverlap(start, drag({"super"}, 140, 300, 100, 300)), 0.85);
  }
  // Held outside the window, the button keeps the mouse captured: 40 pixels down are 40 degrees.
  EXPECT_LT(floorOverlap(start, drag({"alt"}, 180, 500, 180, 540)), 0.5) << "moves outside the window were lost";
  Image level = drag({"alt"}, 180, 540, 180, 500);
  EXPECT_GT(floorOverlap(level, drag({"alt", "ctrl"}, 100, 300, 200, 300)), 0.85) << "sideways zoomed or turned";
  Image away = drag({"alt", "ctrl"}, 200, 300, 200, 250);  // up by 50: the eye moves 5 units away
  EXPECT_LT(count(away, isMesh), 0.8 * count(level, isMesh)) << "moving up must zoom out";
  EXPECT_GT(floorOverlap(level, drag({"alt", "ctrl"}, 200, 250, 200, 300)), 0.85) << "zooming back did not restore";
  Image panned = drag({"alt", "shift"}, 100, 300, 140, 340);  // 2 units right and down: the scene follows
  EXPECT_GT(meshOffset(panned).first - meshOffset(level).first, 20) << "the scene should follow the mouse right";
  EXPECT_GT(meshOffset(panned).second - meshOffset(level).second, 20) << "the scene should follow the mouse down";

  // No mouse moves: the size change alone repaints, with the viewport of the new size, which puts the
  // mesh (at the origin of the scene, panned back) in the middle of the smaller window.
  drag({"alt", "shift"}, 140, 340, 100, 300);
  xdotool("windowsize " + std::to_string(window) + " 300 200");
  std::pair<double, double> offset;
  EXPECT_TRUE(waitUntil(
      [&] {
        Image shot = server->capture(window);
        offset = meshOffset(shot);
        return shot.width == 300 && shot.height == 200 && std::hypot(offset.first, offset.second) < 30;
      },
      20s))
      << "mesh centre off the middle by " << offset.first << ", " << offset.second;
  server->requestClose(window);
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

INSTANTIATE_TEST_SUITE_P(Linux, ViewerTest, ::testing::Values(Platform{false}));
INSTANTIATE_TEST_SUITE_P(Wine, ViewerTest, ::testing::Values(Platform{true}));

}  // namespace
}  // namespace sv::e2e
