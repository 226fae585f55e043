// Test helpers for driving the real viewer (see XSession.h).
#include "XSession.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace sv::e2e {

namespace {

std::vector<char*> argv(const std::vector<std::string>& command) {
  std::vector<char*> args;
  for (const std::string& part : command) args.push_back(const_cast<char*>(part.c_str()));
  args.push_back(nullptr);
  return args;
}

int ignoreXErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

bool waitUntil(const std::function<bool()>& ready, std::chrono::milliseconds limit) {
  auto deadline = Clock::now() + limit;
  for (;;) {
    if (ready()) return true;
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::string makeTempDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "springview-e2e-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

XvfbServer::XvfbServer() {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
  pid = fork();
  if (pid == 0) {
    close(pipeEnds[0]);
    int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, STDERR_FILENO);
    std::string fd = std::to_string(pipeEnds[1]);
    std::vector<std::string> command{"Xvfb", "-displayfd", fd, "-screen", "0", "1024x768x24", "-nolisten", "tcp"};
    execvp("Xvfb", argv(command).data());
    _exit(127);
  }
  close(pipeEnds[1]);
  // The server writes its display number once it is ready for connections.
  std::string number;
  char c;
  while (read(pipeEnds[0], &c, 1) == 1 && c != '\n') number += c;
  close(pipeEnds[0]);
  if (number.empty()) throw std::runtime_error("Xvfb did not start");
  displayName = ":" + number;
  x = XOpenDisplay(displayName.c_str());
  if (x == nullptr) throw std::runtime_error("cannot connect to " + displayName);
  XSetErrorHandler(ignoreXErrors);
}

XvfbServer::~XvfbServer() {
  if (x != nullptr) XCloseDisplay(x);
  if (pid > 0) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
}

std::string XvfbServer::run(const std::vector<std::string>& command, bool* ok) const {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
  pid_t child = fork();
  if (child == 0) {
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    setenv("DISPLAY", displayName.c_str(), 1);
    execvp(command[0].c_str(), argv(command).data());
    _exit(127);
  }
  close(pipeEnds[1]);
  std::string out;
  char buffer[4096];
  ssize_t n;
  while ((n = read(pipeEnds[0], buffer, sizeof buffer)) > 0) out.append(buffer, std::size_t(n));
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (ok != nullptr) *ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return out;
}

void XvfbServer::xdotool(const std::vector<std::string>& arguments) const {
  std::vector<std::string> command{"xdotool"};
  command.insert(command.end(), arguments.begin(), arguments.end());
  bool ok = false;
  run(command, &ok);
  if (!ok) throw std::runtime_error("xdotool failed: " + arguments.front());
}

Window XvfbServer::findWindow(const std::string& name) const {
  Window root = DefaultRootWindow(x), parent = 0, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (!XQueryTree(x, root, &root, &parent, &children, &count)) return 0;
  for (unsigned i = 0; i < count && found == 0; ++i) {
    char* title = nullptr;
    XWindowAttributes attributes;
    if (XFetchName(x, children[i], &title) && title != nullptr) {
      if (name == title && XGetWindowAttributes(x, children[i], &attributes) && attributes.map_state == IsViewable) {
        found = children[i];
      }
      XFree(title);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

Image XvfbServer::capture(Window window) const {
  Image image;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(x, window, &attributes)) return image;
  XImage* shot =
      XGetImage(x, window, 0, 0, unsigned(attributes.width), unsigned(attributes.height), AllPlanes, ZPixmap);
  if (shot == nullptr) return image;
  image.width = attributes.width;
  image.height = attributes.height;
  image.pixels.reserve(std::size_t(image.width) * std::size_t(image.height));
  for (int row = 0; row < image.height; ++row) {
    for (int column = 0; column < image.width; ++column) {
      image.pixels.push_back(std::uint32_t(XGetPixel(shot, column, row)) & 0xFFFFFF);
    }
  }
  XDestroyImage(shot);
  return image;
}

void XvfbServer::requestClose(Window window) const {
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

void XvfbServer::movePointer(int toX, int toY) const {
  Window root, child;
  int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
  unsigned mask = 0;
  XQueryPointer(x, DefaultRootWindow(x), &root, &child, &rootX, &rootY, &windowX, &windowY, &mask);
  // xdotool's --sync waits for the pointer to move, so it is not used for a move to where it is.
  if (rootX == toX && rootY == toY) return;
  xdotool({"mousemove", "--sync", std::to_string(toX), std::to_string(toY)});
}

bool XvfbServer::windowGeometry(Window window, int& left, int& top, int& width, int& height) const {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(x, window, &attributes)) return false;
  Window child;
  XTranslateCoordinates(x, window, DefaultRootWindow(x), 0, 0, &left, &top, &child);
  width = attributes.width;
  height = attributes.height;
  return true;
}

ViewerProcess::ViewerProcess(const std::string& program, const std::string& directory, const std::string& display)
    : directory(directory) {
  pid = fork();
  if (pid == 0) {
    if (chdir(directory.c_str()) != 0) _exit(126);
    int out = open((directory + "/stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open((directory + "/stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    setenv("DISPLAY", display.c_str(), 1);
    // Leaks inside the system's OpenGL driver are not ours; everything else is still checked.
    setenv("LSAN_OPTIONS", "suppressions=" SV_LSAN_SUPPRESSIONS ":print_suppressions=0", 1);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
}

ViewerProcess::~ViewerProcess() {
  if (running()) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
}

bool ViewerProcess::running() {
  if (status != -1) return false;
  int raw = 0;
  if (waitpid(pid, &raw, WNOHANG) == pid) {
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return false;
  }
  return true;
}

int ViewerProcess::waitExit(std::chrono::milliseconds limit) {
  if (!waitUntil([&] { return !running(); }, limit)) return -1;
  return status;
}

double ViewerProcess::cpuSeconds() const {
  std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
  // Fields after the command name (which may hold spaces) start after the last ')'.
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  unsigned long long user = 0, system = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 14) user = std::stoull(field);
    if (index == 15) {
      system = std::stoull(field);
      break;
    }
  }
  return double(user + system) / double(sysconf(_SC_CLK_TCK));
}

std::string ViewerProcess::output() const { return readFile(directory + "/stdout.txt"); }

std::string ViewerProcess::errors() const { return readFile(directory + "/stderr.txt"); }

}  // namespace sv::e2e
