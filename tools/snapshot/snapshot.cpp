// snapshot [--frames N] [--seed S] [--size WxH] [--model FILE] OUT.png
// Renders frame N of the scene offscreen (no window, no display server) from the model (by default
// "sphere_k.obj" in the working directory), exactly as the viewer would after N paints, and writes it
// as a PNG.
#include "PngFile.h"
#include "core/Random.h"
#include "gl/OffscreenContext.h"
#include "io/CommandLine.h"
#include "scene/GLUW.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr const char* kUsage = "usage: snapshot [--frames N] [--seed S] [--size WxH] [--model FILE] OUT.png\n";

struct Options {
  long frames = 1;
  long seed = 1;
  int width = 512;
  int height = 512;
  std::string output;
  std::string model;
};

bool parseNumber(const char* text, long low, long high, long& out) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < low || value > high) return false;
  out = value;
  return true;
}

bool parseSize(const std::string& text, int& width, int& height) {
  const auto x = text.find('x');
  if (x == std::string::npos) return false;
  long w = 0, h = 0;
  if (!parseNumber(text.substr(0, x).c_str(), 1, 8192, w) || !parseNumber(text.substr(x + 1).c_str(), 1, 8192, h)) {
    return false;
  }
  width = static_cast<int>(w), height = static_cast<int>(h);
  return true;
}

// Returns an error text, or an empty string when the options are complete.
std::string parse(int argc, char** argv, Options& options) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (std::string error; !sv::CommandLine::takeModelOption(args, options.model, error)) return error;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--frames" && hasValue) {
      if (!parseNumber(args[++i].c_str(), 0, 1000000, options.frames))
        return "--frames needs a whole number from 0 to 1000000";
    } else if (arg == "--seed" && hasValue) {
      if (!parseNumber(args[++i].c_str(), 0, 4294967295L, options.seed))
        return "--seed needs a whole number from 0 to 4294967295";
    } else if (arg == "--size" && hasValue) {
      if (!parseSize(args[++i].c_str(), options.width, options.height)) return "--size needs WxH, each from 1 to 8192";
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown or incomplete option " + arg;
    } else if (options.output.empty()) {
      options.output = arg;
    } else {
      return "more than one output file given";
    }
  }
  if (options.output.empty()) return "no output file given";
  return "";
}

// Fails early, before any frame is rendered, when the picture could not be saved.
std::string checkWritable(const std::string& path) {
  const auto slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const std::string cannot = "cannot write \"" + path + "\": ";
  if (access(directory.c_str(), W_OK) != 0) return cannot + std::strerror(errno);
  struct stat existing {};
  if (stat(path.c_str(), &existing) != 0) return "";
  if (S_ISDIR(existing.st_mode)) return cannot + std::strerror(EISDIR);
  return access(path.c_str(), W_OK) != 0 ? cannot + std::strerror(errno) : "";
}

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // Keep up to 512 MiB freed: the rasterizer retakes its per-frame memory, else faulted in afresh each frame.
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
  Options options;
  if (const std::string error = parse(argc, argv, options); !error.empty()) {
    std::fprintf(stderr, "snapshot: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (const std::string error = checkWritable(options.output); !error.empty()) {
    std::fprintf(stderr, "snapshot: %s\n", error.c_str());
    return 1;
  }
  try {
    sv::seedRandom(static_cast<std::uint32_t>(options.seed));
    sv::OffscreenContext context(options.width, options.height);
    const auto scene = sv::startScene(options.width, options.height, options.model);
    for (long frame = 0; frame < options.frames; ++frame) scene->render();
    sv::PngFile picture{options.width, options.height, context.readPixels()};
    // A window shows colour only; the clear colour's alpha of 0.5 would make the picture see-through.
    for (std::size_t i = 3; i < picture.rgba.size(); i += 4) picture.rgba[i] = 0xFF;
    picture.write(options.output);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "snapshot: %s\n", e.what());
    return 1;
  }
  return 0;
}
