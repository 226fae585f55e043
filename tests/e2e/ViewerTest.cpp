// The real viewer, Linux build and unpacked Windows zip under Wine alike, driven on Xvfb as a person would: count
// lines reach a pipe as it runs, the scene shows before any mouse message, moves advance it, rest costs no
// CPU, Alt drags turn, zoom and pan, closing exits 0, and a missing model exits 1 saying why; Space plays and
// pauses, '.' steps one frame as snapshot draws it, R resets the camera, F5 reloads, the wheel zooms and Ctrl+Q quits.
#include "PngFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
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

std::string shell(const std::string& command) {  // its standard output
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  for (int c; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) out += char(c);
  if (pipe != nullptr) pclose(pipe);
  return out;
}
std::string xdotool(const std::string& arguments) { return shell("xdotool " + arguments); }

Window findBox() { return std::stoul("0" + xdotool("search --onlyvisible --name '^springview$'")); }
Window findViewer() { return std::stoul("0" + xdotool("search --onlyvisible --name '^Veldrane1$'")); }

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // 0xRRGGBB, row by row
  bool operator==(const Image&) const = default;
};
constexpr int kRed = 16, kGreen = 8, kBlue = 0;  // where each channel lies in a pixel
int at(std::uint32_t pixel, int channel) { return int(pixel >> channel) & 0xFF; }
bool isBackground(std::uint32_t p) { return at(p, kBlue) > 200 && at(p, kRed) < 60 && at(p, kGreen) < 60; }
bool isFloor(std::uint32_t p) { return at(p, kRed) > 200 && at(p, kGreen) > 200 && at(p, kBlue) > 200; }
bool isMesh(std::uint32_t p) { return at(p, kGreen) > 50 && at(p, kRed) < 60 && at(p, kBlue) < 60; }
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

// The parameter says which build runs: false the Linux one, true the Windows one under Wine, on a private
// Xvfb server whose display number the server chooses, so parallel runs never collide.
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
    if (!winePrefix.empty()) shell(wineEnvironment + SV_WINE "server -k; rm -rf '" + winePrefix + "'");
    XCloseDisplay(x), kill(xvfbPid, SIGTERM), pclose(xvfb);
  }
  // The Wine cases skip where Wine cannot start; the first one makes a prefix of this run's own.
  void SetUp() override {
    if (GetParam() && std::string(SV_WINE).empty()) GTEST_SKIP() << "Wine is not installed (Debian's wine and wine64)";
    if (GetParam() && winePrefix.empty() && mkdtemp((winePrefix = SV_BINARY_DIR "/wineprefix-XXXXXX").data())) {
      // No installer dialogs for .NET or HTML support.
      wineEnvironment = "WINEPREFIX='" + winePrefix + "' WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= ";
      wineFailure = shell("log=$(" + wineEnvironment + SV_WINE " wineboot --init 2>&1) || echo \"$log\"");
    }
    if (GetParam() && !wineFailure.empty()) GTEST_SKIP() << "Wine cannot start: " << wineFailure;
  }
  void TearDown() override {
    if (viewer != nullptr && waitExit(0ms) == -1) kill(pid, SIGKILL), pclose(viewer);
    viewer = nullptr, status = -1, written.clear(), fs::remove_all(directory);
  }

  // Starts the viewer in a fresh directory, with or without the model; leaks in the OpenGL driver are not ours.
  // A `named` model is copied (when it exists) into a folder of its own and named on the command line: by
  // its full path on Linux, by a relative one under Wine, whose paths are drive paths. Under Wine,
  // `console` gives it a console of its own, as a double-click does.
  void start(bool withModel, const std::string& named = "", const std::string& console = "",
             const std::string& options = "") {
    directory = fs::temp_directory_path() / "springview-e2e-XXXXXX";
    if (mkdtemp(directory.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    fs::copy(GetParam() ? SV_UNPACKED_ZIP : SV_MODEL_DIR, directory);  // Wine: the zip's springview.exe, model, README
    if (!withModel) fs::remove(fs::path(directory) / "sphere_k.obj");
    std::string argument = options;
    if (!named.empty()) {
      fs::create_directory(fs::path(directory) / "models");
      if (fs::exists(named)) fs::copy(named, fs::path(directory) / "models");
      argument = " " + (GetParam() ? "" : directory + "/") + "models/" + fs::path(named).filename().string();
    }
    viewer =
        spawn("env -C '" + directory + "' LSAN_OPTIONS=suppressions=" SV_LSAN_SUPPRESSIONS ":print_suppressions=0 " +
                  wineEnvironment + (GetParam() ? SV_WINE " " + console + SV_SPRINGVIEW_EXE : SV_SPRINGVIEW) + argument +
                  " 2>'" +
                  directory + "/stderr.txt'",
              pid);
    fcntl(fileno(viewer), F_SETFL, O_NONBLOCK);
  }
  void startScene(const std::string& options = "") {
    xdotool("mousemove 1000 700");  // away from the window: the first frame must come without mouse messages
    start(true, "", "", options);
    for (auto deadline = Clock::now() + 60s; Clock::now() < deadline; std::this_thread::sleep_for(10ms)) {
      Image shot = capture(window = findViewer());
      if (window != 0 && count(shot, isBackground) > int(shot.pixels.size()) / 4) return;
    }
    FAIL() << "no scene on screen; stderr:\n" << errors();
  }
  // The exit status, or -1 when it did not end in time; an ended process is a zombie ('Z') until pclose.
  int waitExit(std::chrono::milliseconds limit) {
    for (auto deadline = Clock::now() + limit; status == -1 && Clock::now() < deadline;) {
      std::this_thread::sleep_for(10ms);
      if (processStat()[0] == 'Z')
        output(), status = pclose(viewer), status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    }
    return status;
  }
  std::string processStat() const {  // /proc/PID/stat from the state on, after the name's closing ')'
    std::string stat = shell("cat /proc/" + std::to_string(pid) + "/stat 2>/dev/null");
    return stat.substr(std::min(stat.size(), stat.rfind(')') + 2));
  }
  // User plus system time of all its threads: the 12th and 13th fields from the state on.
  double cpuSeconds() const {
    unsigned long long user = 0, system = 0;
    std::sscanf(processStat().c_str(), "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user, &system);
    return double(user + system) / double(sysconf(_SC_CLK_TCK));
  }
  // Everything that has reached the pipe so far, without the CR that Windows puts before each LF.
  const std::string& output() {
    for (int c; status == -1 && (c = std::fgetc(viewer)) != EOF;) written += c == '\r' ? "" : std::string(1, char(c));
    if (status == -1) clearerr(viewer);
    return written;
  }
  std::string errors() const { return shell("cat '" + directory + "/stderr.txt'"); }

  static Image capture(Window window) {
    XWindowAttributes a;
    XImage* shot =
        XGetWindowAttributes(x, window, &a) ? XGetImage(x, window, 0, 0, a.width, a.height, ~0ul, ZPixmap) : nullptr;
    Image image{shot ? a.width : 0, shot ? a.height : 0, {}};
    for (int i = 0; i < image.width * image.height; ++i) {
      image.pixels.push_back(XGetPixel(shot, i % a.width, i / a.width) & 0xFFFFFF);
    }
    if (shot != nullptr) XDestroyImage(shot);
    return image;
  }
  // What a window manager sends when the close button is clicked: WM_PROTOCOLS / WM_DELETE_WINDOW.
  void requestClose() const {
    XEvent event{.xclient = {ClientMessage, 0, False, x, window, XInternAtom(x, "WM_PROTOCOLS", False), 32, {}}};
    event.xclient.data.l[0] = long(XInternAtom(x, "WM_DELETE_WINDOW", False));
    XSendEvent(x, window, False, NoEventMask, &event), XFlush(x);
  }
  // Two shots in a row agree and the viewer spent no CPU time between them (as it would on a late frame).
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
  // Drags with the left button and `keys` (as "alt+ctrl") held and returns the settled picture. Each
  // step waits for the viewer, which reads cursor and keys when it handles a message, not when it came.
  Image drag(const std::string& keys, int fromX, int fromY, int toX, int toY) {
    const std::string down = keys.empty() ? "" : " keydown " + keys, up = keys.empty() ? "" : " keyup " + keys;
    xdotool("mousemove " + std::to_string(fromX) + " " + std::to_string(fromY) + down + " mousedown 1");
    settled();
    xdotool("mousemove " + std::to_string(toX) + " " + std::to_string(toY));
    Image dragged = settled();
    xdotool("mouseup 1" + up);
    settled();
    return dragged;
  }

  // Whether `shot` is, pixel for pixel, snapshot's picture of its size after `frames` frames from seed 5.
  bool isFrame(const Image& shot, int frames) const {
    shell("env -C '" + directory + "' " SV_SNAPSHOT " --seed 5 --frames " + std::to_string(frames) + " --size " +
          std::to_string(shot.width) + "x" + std::to_string(shot.height) + " frame.png >/dev/null 2>&1");
    const std::vector<std::uint8_t> rgba = PngFile::read(directory + "/frame.png").rgba;
    Image frame{shot.width, shot.height, {}};
    for (std::size_t i = 0; i + 2 < rgba.size(); i += 4) {
      frame.pixels.push_back(rgba[i] << kRed | rgba[i + 1] << kGreen | rgba[i + 2] << kBlue);
    }
    return frame == shot;
  }

  // Keys go where the pointer is (no window manager gives the focus); each key's frame settles first.
  Image press(const std::string& keys) {
    xdotool("mousemove --window " + std::to_string(window) + " 20 20 key " + keys);
    return settled();
  }

  static inline FILE* xvfb = nullptr;
  static inline pid_t xvfbPid = -1;
  static inline Display* x = nullptr;
  static inline std::string winePrefix, wineFailure, wineEnvironment;
  FILE* viewer = nullptr;
  pid_t pid = -1;
  int status = -1;
  std::string directory, written;
  Window window = 0;
};

TEST_P(ViewerTest, ShowsTheSceneBeforeAnyMouseMessageAndMovesItOnlyWhileTheMouseMoves) {
  ASSERT_NO_FATAL_FAILURE(startScene());
  int x = -1, y = -1, width = 0, height = 0;  // 512 x 512 is the outer size on Windows, the client size on Linux
  std::sscanf(xdotool("getwindowgeometry --shell " + std::to_string(window)).c_str(),
              "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &x, &y, &width, &height);
  EXPECT_TRUE(x + width + x == 512 && y + height + x == 512) << x << " " << y << " " << width << " " << height;

  Image before = settled();
  EXPECT_GT(count(before, isFloor), 500) << "floor grid";
  EXPECT_GT(count(before, isMesh), 5000) << "lit mesh";
  EXPECT_EQ(output(), "vtx   =1002\nnml   =1002\nface  =2000\nspring=3000\n") << "the shipped sphere's counts";

  const double cpu = cpuSeconds();
  std::this_thread::sleep_for(3s);  // the resting period being measured
  EXPECT_LT(cpuSeconds() - cpu, 0.05) << "CPU time while the mouse rested";
  Image rested = capture(window);
  EXPECT_EQ(rested, before) << "the scene moved while the mouse rested";

  for (int step = 1; step <= 20; ++step) xdotool("mousemove " + std::to_string(200 + 3 * step) + " 240");
  Image moved = settled();
  EXPECT_NE(moved, rested) << "plain moves did not advance the scene";
  EXPECT_GT(floorOverlap(rested, moved), 0.85) << "a plain move must not change the view";
}

TEST_P(ViewerTest, ResizingRepaintsAltDragsTurnZoomAndPanAndClosingExitsWithZero) {
  ASSERT_NO_FATAL_FAILURE(startScene());
  xdotool("windowsize " + std::to_string(window) + " 300 200");  // no mouse message: the size change repaints
  Image start = settled();
  auto [dx, dy] = meshOffset(start);  // the viewport follows, so the mesh stays in the middle
  EXPECT_TRUE(start.width == 300 && start.height == 200 && dx * dx + dy * dy < 30 * 30) << dx << ", " << dy;

  EXPECT_GT(floorOverlap(start, drag("", 100, 100, 160, 70)), 0.85) << "a drag without Alt turned the view";
  // 40 pixels are 40 degrees; quarter turns would not show, the floor grid being square.
  EXPECT_LT(floorOverlap(start, drag("alt", 100, 100, 140, 100)), 0.5) << "Alt+drag did not turn the view";
  EXPECT_GT(floorOverlap(start, drag("alt", 140, 100, 100, 100)), 0.85) << "turning back did not restore the view";
  xdotool("keydown alt mousedown 1"), settled(), xdotool("keyup alt"), settled(), xdotool("mousemove 140 100");
  EXPECT_GT(floorOverlap(start, settled()), 0.85) << "a move after Alt was let go mid-drag turned the view";
  xdotool("mouseup 1"), settled();
  EXPECT_LT(floorOverlap(start, drag("alt", 180, 150, 180, 250)), 0.5) << "moves outside the window were lost";
  Image level = drag("alt", 180, 250, 180, 150);
  Image away = drag("alt+ctrl", 200, 150, 200, 100);  // up by 50: the eye moves 5 units away
  EXPECT_LT(count(away, isMesh), 0.8 * count(level, isMesh)) << "moving up must zoom out";
  Image panned = drag("alt+shift", 100, 100, 140, 140);  // 2 units right and down: the scene follows
  EXPECT_GT(meshOffset(panned).first - meshOffset(away).first, 20) << "the scene should follow the mouse right";
  EXPECT_GT(meshOffset(panned).second - meshOffset(away).second, 20) << "the scene should follow the mouse down";
  requestClose();
  EXPECT_EQ(waitExit(30s), 0) << errors();
}

TEST_P(ViewerTest, AMissingModelExitsWithOneSayingWhy) {
  start(false);
  EXPECT_EQ(waitExit(60s), 1) << "-1: still running";
  EXPECT_EQ(output(), "Basewindow open error.\n");
  EXPECT_NE(errors().find("sphere_k.obj"), std::string::npos) << errors();
}

TEST_P(ViewerTest, KeysPlayPauseStepResetReloadAndQuitAndTheWheelZooms) {
  ASSERT_NO_FATAL_FAILURE(startScene(" --seed 5"));
  // Linux paints once on showing (the map's exposure is read with the map); Wine paints, then reads the
  // exposure and paints again. '.' typed into the focused window, no pointer on it, paints one frame more.
  const int shown = GetParam() ? 2 : 1;
  EXPECT_TRUE(isFrame(settled(), shown)) << "not frame " << shown << " from seed 5";
  xdotool("windowfocus --sync " + std::to_string(window) + " key period");
  EXPECT_TRUE(isFrame(settled(), shown + 1)) << "'.' did not step one frame";
  Image start = press("Home");
  xdotool("key space");
  Image playing = capture(window);
  std::this_thread::sleep_for(1s);
  EXPECT_NE(capture(window), playing) << "Space did not play";
  Image paused = press("space");
  const double cpu = cpuSeconds();
  std::this_thread::sleep_for(3s);
  EXPECT_LT(cpuSeconds() - cpu, 0.05) << "CPU time while paused";
  EXPECT_EQ(capture(window), paused) << "the scene moved while paused";

  Image turned = drag("alt", 100, 100, 140, 100);
  EXPECT_LT(floorOverlap(start, turned), 0.5) << "Alt+drag did not turn the view";
  EXPECT_GT(floorOverlap(start, press("r")), 0.85) << "R did not reset the camera";
  const int near = count(press("Right"), isMesh);
  for (int notch = 0; notch < 5; ++notch) xdotool("click 5");  // five notches towards the user: 5 units away
  EXPECT_LT(count(settled(), isMesh), 0.8 * near) << "the wheel did not zoom out";

  std::ofstream(fs::path(directory) / "sphere_k.obj") << "o t\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n";
  press("F5");
  EXPECT_NE(output().find("spring=3000\nvtx   =3\nnml   =1\nface  =1\nspring=0\n"), std::string::npos) << output();
  fs::remove(fs::path(directory) / "sphere_k.obj");
  Image kept = press("F5");
  EXPECT_NE(errors().find("sphere_k.obj"), std::string::npos) << "no reason for the failed reload";
  EXPECT_EQ(output().find("vtx", output().find("vtx   =3") + 1), std::string::npos) << "counts after a failed reload";
  xdotool("key ctrl+q");
  EXPECT_EQ(waitExit(30s), 0) << errors();
}

// Under Wine with a console of its own (as double-clicked) the reason also shows in a message box.
TEST_P(ViewerTest, AMissingModelShowsTheReasonInABoxWhenTheConsoleIsTheProgramsOwn) {
  if (!GetParam()) GTEST_SKIP() << "a Windows matter";
  start(false, "", "wineconsole ");
  for (auto deadline = Clock::now() + 60s; (window = findBox()) == 0 && Clock::now() < deadline;) {
    std::this_thread::sleep_for(100ms);
  }
  ASSERT_NE(window, 0u) << "no message box";
  xdotool("mousemove --window " + std::to_string(window) + " 20 20 key Return");
  EXPECT_EQ(waitExit(30s), 1);
}

// From a folder without the shipped model: the model named on the command line is shown, and a missing
// one ends the program with 1, named by the path that was tried.
TEST_P(ViewerTest, ShowsTheModelNamedOnTheCommandLineAndNamesAMissingOne) {
  start(false, SV_CUBE_MODEL);
  const std::string cube = "vtx   =8\nnml   =6\nface  =12\nspring=18\n";
  for (auto deadline = Clock::now() + 60s; Clock::now() < deadline && (output() != cube || window == 0);)
    std::this_thread::sleep_for(10ms), window = findViewer();
  EXPECT_EQ(output(), cube) << errors();
  EXPECT_GT(count(settled(), isMesh), 1000) << "the cube";
  requestClose();
  EXPECT_EQ(waitExit(30s), 0) << errors();
  TearDown();
  start(false, "missing.obj");
  EXPECT_EQ(waitExit(60s), 1);
  EXPECT_NE(errors().find(GetParam() ? "missing.obj" : directory + "/models/missing.obj"), std::string::npos)
      << errors();
}

INSTANTIATE_TEST_SUITE_P(Linux, ViewerTest, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(Wine, ViewerTest, ::testing::Values(true));

}  // namespace
}  // namespace sv::e2e
