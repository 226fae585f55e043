// The program's own frame on a 512 x 512 offscreen Mesa context: the model read by the reader from a
// file that objgen's sphere writes (the shipped model, and spheres of about 10k, 100k and 1M vertices),
// then the scene controller's render, as a paint runs it. Per frame: wall time (the benchmark's own
// time), CPU time of every thread of the process (the rasterizer's and the step's included) and minor
// page faults (fresh memory touched). BM_Simulation and BM_Drawing split the frame to show where the
// time goes; only BM_Frame is the program's path.
#include "GeodesicSphere.h"
#include "core/Random.h"
#include "gl/GL.h"
#include "gl/OffscreenContext.h"
#include "scene/GLUW.h"
#include "support/WorkingDirectory.h"

#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/resource.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <benchmark/benchmark.h>

namespace {

constexpr int kSize = 512;

sv::OffscreenContext& context() {
  static sv::OffscreenContext offscreen(kSize, kSize);
  return offscreen;
}

// Sphere frequency argument: 0 is the shipped model, f a sphere of 10 f^2 + 2 vertices. Only a scene
// that is just rendered takes its steps ahead: one whose mesh is stepped or drawn by hand must not have
// the next frame's steps running on it.
std::unique_ptr<sv::GLUW> makeScene(int frequency, bool stepsAhead) {
  context();
  sv::test::WorkingDirectory directory;
  if (frequency == 0) {
    std::filesystem::copy_file(SV_SHIPPED_MODEL, "sphere_k.obj");
  } else {
    std::ofstream file("sphere_k.obj", std::ios::binary);
    sv::GeodesicSphere(frequency, 0.2).writeModel(file, "sphere");
  }
  sv::seedRandom(1);
  std::fflush(stdout);
  auto scene = sv::startScene(kSize, kSize);
  scene->stepsAhead = stepsAhead;
  // A few frames outside the timing: shader compilation, the first uploads and allocations.
  for (int i = 0; i < 3; ++i) scene->render();
  return scene;
}

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

long minorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// Runs body once per iteration and reports CPU time and minor faults per iteration beside the wall time.
template <typename Body>
void timeFrames(benchmark::State& state, const sv::GLUW& scene, Body&& body) {
  const double cpu0 = processCpuSeconds();
  const long faults0 = minorFaults();
  for (auto _ : state) body();
  const auto n = static_cast<double>(state.iterations());
  state.counters["cpu_ms"] = (processCpuSeconds() - cpu0) * 1e3 / n;
  state.counters["faults"] = static_cast<double>(minorFaults() - faults0) / n;
  const sv::Object3D& mesh = *scene.model->objects[0];
  state.counters["vertices"] = static_cast<double>(mesh.vertices.length());
  state.counters["springs"] = static_cast<double>(mesh.springs.length());
}

void BM_Frame(benchmark::State& state) {
  auto scene = makeScene(static_cast<int>(state.range(0)), true);
  timeFrames(state, *scene, [&] { scene->render(); });
}

void BM_Simulation(benchmark::State& state) {
  auto scene = makeScene(static_cast<int>(state.range(0)), false);
  sv::Object3D& mesh = *scene->model->objects[0];
  timeFrames(state, *scene, [&] {
    mesh.advance(10, 0.1);
    for (int i = 0; i < 5; ++i) scene->cloth->step(0.2);
  });
}

// Everything render draws, with the bodies standing still: clear, floor, mesh, cloth, finish.
void BM_Drawing(benchmark::State& state) {
  auto scene = makeScene(static_cast<int>(state.range(0)), false);
  timeFrames(state, *scene, [&] {
    sv::gl::clear(sv::gl::kColorBufferBit | sv::gl::kDepthBufferBit);
    sv::gl::disable(sv::gl::kLighting);
    scene->prim->drawFloor(0.5, 5.0);
    scene->prim->drawModel(*scene->model->objects[0]);
    scene->prim->drawCloth(*scene->cloth);
    sv::gl::finish();
  });
}

void meshSizes(benchmark::internal::Benchmark* b) {
  b->Arg(0)->Arg(32)->Arg(100)->Arg(316)->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_Frame)->Apply(meshSizes);
BENCHMARK(BM_Simulation)->Apply(meshSizes);
BENCHMARK(BM_Drawing)->Apply(meshSizes);

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // Keep up to 512 MiB freed: the rasterizer retakes its per-frame memory, else faulted in afresh each frame.
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
