// Load time of the model reader on generated spheres, against tinyobjloader (its double-precision
// build) on the same file in the same run, and against a baseline that reads the file with a plain
// tokenizer and std::from_chars (no regular expressions) into the same mesh. Prints the reader's time
// as a multiple of both; the scaling runs show that loading is linear; the shipped model's load time;
// a file whose every line goes to the line patterns.
#include "GeodesicSphere.h"
#include "io/OBJ3D.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include <benchmark/benchmark.h>

#define TINYOBJLOADER_USE_DOUBLE
#include <tiny_obj_loader.h>

namespace {

// Frequency 173: 299,292 vertices, 598,580 faces, 897,870 springs.
constexpr int kLargeFrequency = 173;

struct ModelFile {
  std::string path;
  std::size_t bytes = 0;
  std::size_t lines = 0;
};

std::map<int, ModelFile>& modelFiles() {
  static std::map<int, ModelFile> files;
  return files;
}

// A fresh directory of this run's own under the temporary folder, for the generated spheres.
const std::string& scratchDir() {
  static const std::string dir = [] {
    const char* base = std::getenv("TMPDIR");
    std::string name = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/springview-bench-XXXXXX";
    if (mkdtemp(name.data()) == nullptr) std::abort();
    return name;
  }();
  return dir;
}

// The sphere's text with every line the hand readers would read turned into one only the line
// patterns read: the last number of each v, vn and k line ends in a bare "e" (the hand readers refuse
// "1.5e"; the pattern takes "1.5" and ignores the rest), and face lines, which no such change can
// take off the hand reader without changing what they give, are left out.
std::string engineOnlyText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.starts_with("f ")) continue;
    out.append(line);
    if (line.starts_with("k ")) out.append(".0");
    if (line.starts_with("v") || line.starts_with("k ")) out.push_back('e');
    out.push_back('\n');
  }
  return out;
}

constexpr int kEngineOnly = -kLargeFrequency;  // modelFiles()'s key for the large sphere's engine-only text

// The sphere of the given frequency (its engine-only text for a negative one), written on first use.
const ModelFile& modelFile(int frequency) {
  ModelFile& file = modelFiles()[frequency];
  if (file.path.empty()) {
    const std::string sphere = sv::GeodesicSphere(std::abs(frequency), 0.2).modelText("sphere");
    const std::string text = frequency < 0 ? engineOnlyText(sphere) : sphere;
    file.path = scratchDir() + "/sphere-" + std::to_string(frequency) + ".obj";
    std::ofstream(file.path, std::ios::binary) << text;
    file.bytes = text.size();
    file.lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  }
  return file;
}

// Keeps the four count lines of every build off the benchmark's report.
class QuietStdout {
 public:
  QuietStdout() : saved_(dup(1)) {
    std::fflush(stdout);
    const int null = ::open("/dev/null", O_WRONLY);
    dup2(null, 1);
    ::close(null);
  }
  ~QuietStdout() {
    std::fflush(stdout);
    dup2(saved_, 1);
    ::close(saved_);
  }

 private:
  int saved_;
};

void loadWithReader(const std::string& path) {
  sv::OBJ3D reader;
  reader.open(path);
  reader.load();
  reader.close();
  benchmark::DoNotOptimize(reader.objects[0]->vertices.data());
}

// The baseline: the same lines, split by hand, numbers by from_chars, the same mesh calls.
class PlainReader {
 public:
  void load(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::string_view rest = text;
    while (!rest.empty()) {
      const std::size_t end = rest.find('\n');
      line(rest.substr(0, end));
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    mesh_.build();
    benchmark::DoNotOptimize(mesh_.vertices.data());
  }

 private:
  static std::string_view token(std::string_view& s) {
    const std::size_t start = s.find_first_not_of(" \t\r");
    if (start == std::string_view::npos) return s = {}, std::string_view();
    const std::size_t end = s.find_first_of(" \t\r", start);
    const std::string_view t = s.substr(start, end - start);
    s = end == std::string_view::npos ? std::string_view() : s.substr(end);
    return t;
  }
  template <typename T>
  static T number(std::string_view t) {
    T value{};
    std::from_chars(t.data(), t.data() + t.size(), value);
    return value;
  }
  static sv::FaceIndices corner(std::string_view t, int part) {
    for (int i = 0; i < part; ++i) t.remove_prefix(std::min(t.size(), t.find('/') + 1));
    return {number<std::int32_t>(t.substr(0, t.find('/'))), 0, 0};
  }
  void line(std::string_view s) {
    const std::string_view key = token(s);
    if (key == "v" || key == "vn") {
      const double x = number<double>(token(s)), y = number<double>(token(s)), z = number<double>(token(s));
      key == "v" ? mesh_.addVertex(x, y, z) : mesh_.addNormal(x, y, z);
    } else if (key == "f") {
      const std::string_view a = token(s), b = token(s), c = token(s);
      mesh_.addFace({corner(a, 0).a, corner(b, 0).a, corner(c, 0).a}, {},
                    {corner(a, 2).a, corner(b, 2).a, corner(c, 2).a});
    } else if (key == "k") {
      const std::int32_t first = number<std::int32_t>(token(s));
      mesh_.addSpring(first, number<std::int32_t>(token(s)));
    }
  }

  sv::Object3D mesh_;
};

// tinyobjloader reads v, vn and f lines into its own arrays and skips the k lines it does not know.
void loadWithTinyObjLoader(const std::string& path) {
  tinyobj::attrib_t attrib;
  std::vector<tinyobj::shape_t> shapes;
  std::vector<tinyobj::material_t> materials;
  std::string warnings, errors;
  if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warnings, &errors, path.c_str(), nullptr, false)) std::abort();
  benchmark::DoNotOptimize(attrib.vertices.data());
}

// Best load of each kind, in process CPU seconds: the machine is shared, and CPU time is what
// another process's load disturbs least.
double readerSeconds = 0, baselineSeconds = 0, tinyObjLoaderSeconds = 0;

template <typename Load>
void timedLoads(benchmark::State& state, const ModelFile& file, double& bestSeconds, Load load) {
  const QuietStdout quiet;
  bestSeconds = 0;
  for (auto _ : state) {
    const std::clock_t start = std::clock();
    load(file.path);
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    if (bestSeconds == 0 || seconds < bestSeconds) bestSeconds = seconds;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.bytes));
  state.counters["lines/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * file.lines), benchmark::Counter::kIsRate);
  state.counters["MB"] = static_cast<double>(file.bytes) / 1e6;
}

void BM_ReaderLargeSphere(benchmark::State& state) {
  timedLoads(state, modelFile(kLargeFrequency), readerSeconds, loadWithReader);
}

void BM_TinyObjLoaderLargeSphere(benchmark::State& state) {
  timedLoads(state, modelFile(kLargeFrequency), tinyObjLoaderSeconds, loadWithTinyObjLoader);
}

// The reader and tinyobjloader in turn, round after round: on this virtual machine the cost of fresh
// memory drifts for seconds at a time, so the ratio that counts is each round's, with both loads
// made under the same conditions; the median of the rounds is printed.
std::vector<double> roundRatios;

void BM_ReaderThenTinyObjLoaderInTurn(benchmark::State& state) {
  const ModelFile& file = modelFile(kLargeFrequency);
  const QuietStdout quiet;
  roundRatios.clear();
  for (auto _ : state) {
    double seconds[2];
    for (int which = 0; which < 2; ++which) {
      const std::clock_t start = std::clock();
      which == 0 ? loadWithReader(file.path) : loadWithTinyObjLoader(file.path);
      seconds[which] = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    }
    roundRatios.push_back(seconds[0] / seconds[1]);
  }
}

void BM_FromCharsBaselineLargeSphere(benchmark::State& state) {
  timedLoads(state, modelFile(kLargeFrequency), baselineSeconds,
             [](const std::string& path) { PlainReader().load(path); });
}

// Loads of growing spheres: the time per byte should not grow with the size.
void BM_ReaderScaling(benchmark::State& state) {
  const ModelFile& file = modelFile(static_cast<int>(state.range(0)));
  double best = 0;
  timedLoads(state, file, best, loadWithReader);
  state.SetComplexityN(static_cast<std::int64_t>(file.bytes));
  state.counters["ns/byte"] = best * 1e9 / static_cast<double>(file.bytes);
}

// Every line through the line patterns: what the engine costs where the hand readers step aside.
void BM_ReaderEngineOnlyLines(benchmark::State& state) {
  double best = 0;
  timedLoads(state, modelFile(kEngineOnly), best, loadWithReader);
  state.counters["best_ms"] = best * 1e3;
}

// The model the viewer loads at every start.
void BM_ReaderShippedSphere(benchmark::State& state) {
  ModelFile shipped{SV_SHIPPED_MODEL};
  std::ifstream in(shipped.path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  shipped.bytes = text.size();
  shipped.lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  double best = 0;
  timedLoads(state, shipped, best, loadWithReader);
  state.counters["best_ms"] = best * 1e3;
}

BENCHMARK(BM_ReaderLargeSphere)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TinyObjLoaderLargeSphere)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReaderThenTinyObjLoaderInTurn)->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_FromCharsBaselineLargeSphere)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReaderScaling)
    ->Arg(25)
    ->Arg(50)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_ReaderEngineOnlyLines)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReaderShippedSphere)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  if (readerSeconds > 0 && tinyObjLoaderSeconds > 0) {
    std::printf("model reader: best load %.3f s CPU, tinyobjloader %.3f s CPU, ratio %.2f (goal: at most 1.0)\n",
                readerSeconds, tinyObjLoaderSeconds, readerSeconds / tinyObjLoaderSeconds);
  }
  if (!roundRatios.empty()) {
    std::sort(roundRatios.begin(), roundRatios.end());
    std::printf("model reader / tinyobjloader in %zu rounds of one load each: median %.2f (%.2f to %.2f)\n",
                roundRatios.size(), roundRatios[roundRatios.size() / 2], roundRatios.front(), roundRatios.back());
  }
  if (readerSeconds > 0 && baselineSeconds > 0) {
    std::printf("model reader: best load %.3f s CPU, from_chars baseline %.3f s CPU, ratio %.2f\n", readerSeconds,
                baselineSeconds, readerSeconds / baselineSeconds);
  }
  for (const auto& [frequency, file] : modelFiles()) std::remove(file.path.c_str());
  std::remove(scratchDir().c_str());
  benchmark::Shutdown();
  return 0;
}
