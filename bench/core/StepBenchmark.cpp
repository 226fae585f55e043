// How fast the two time steps run, and how close the mesh step comes to the floor no step can beat on
// this machine: one sin/cos pair and one random draw per particle, plus the bytes a step must touch
// moved at the measured copy bandwidth. Meshes of 1k to 1M vertices are generated in memory through
// the add operations: a triangulated square grid with a spring along every triangle edge. The large
// meshes also step on all threads, against the same mesh on one.
#include "GeodesicSphere.h"
#include "ShippedModel.h"
#include "cloth/Cloth.h"
#include "core/Random.h"
#include "core/WorkerPool.h"
#include "mesh/Object3D.h"
#include "mesh/SpringForces.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <thread>
#include <unistd.h>
#include <vector>

#include <benchmark/benchmark.h>

namespace sv {
namespace {

// The four report lines would garble the table: standard output goes to /dev/null while the mesh builds.
void buildQuietly(Object3D& mesh) {
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  const int devNull = open("/dev/null", O_WRONLY);
  if (devNull >= 0) dup2(devNull, STDOUT_FILENO);
  mesh.build();
  std::fflush(stdout);
  if (saved >= 0) dup2(saved, STDOUT_FILENO);
  if (devNull >= 0) close(devNull);
  if (saved >= 0) close(saved);
}

// Thread CPU time, so that the ratios hold on a machine shared with other work: time spent descheduled
// counts for neither the step nor the floor.
double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

void fillGrid(Object3D& mesh, int side) {
  mesh.init();
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i) mesh.addVertex(i * 0.02, j * 0.02, 0.01 * std::sin(i * 0.3 + j * 0.2));
  auto id = [side](int i, int j) { return 1 + i + j * side; };
  for (int j = 0; j + 1 < side; ++j) {
    for (int i = 0; i + 1 < side; ++i) {
      mesh.addFace({id(i, j), id(i + 1, j), id(i + 1, j + 1)}, {}, {1, 1, 1});
      mesh.addFace({id(i, j), id(i + 1, j + 1), id(i, j + 1)}, {}, {1, 1, 1});
    }
  }
  for (int j = 0; j < side; ++j) {
    for (int i = 0; i < side; ++i) {
      if (i + 1 < side) mesh.addSpring(id(i, j), id(i + 1, j));
      if (j + 1 < side) mesh.addSpring(id(i, j), id(i, j + 1));
      if (i + 1 < side && j + 1 < side) mesh.addSpring(id(i, j), id(i + 1, j + 1));
    }
  }
  mesh.addNormal(0, 0, 1);
  buildQuietly(mesh);
}

int sideFor(std::int64_t vertices) { return static_cast<int>(std::lround(std::sqrt(static_cast<double>(vertices)))); }

// Runs of `run` per timed batch, so that a batch lasts a few milliseconds: the thread CPU clock can be
// coarse, and a single short run may read as zero.
template <typename F>
int runsPerBatch(F&& run) {
  int runs = 1;
  for (;;) {
    const double t0 = threadSeconds();
    for (int r = 0; r < runs; ++r) run();
    if (threadSeconds() - t0 >= 2e-3 || runs >= (1 << 20)) return runs;
    runs *= 2;
  }
}

// Best of several batches, in seconds per run: the floor is what the machine can do, not what it did
// on average.
template <typename F>
double bestSeconds(F&& run, int batches) {
  const int runs = runsPerBatch(run);
  double best = 1e300;
  for (int k = 0; k < batches; ++k) {
    const double t0 = threadSeconds();
    for (int r = 0; r < runs; ++r) run();
    best = std::min(best, (threadSeconds() - t0) / runs);
  }
  return best;
}

// One wind angle per particle: draw, low 16 bits, sin and cos of 6.283185308 - angle.
double trigAndDrawSeconds(std::int64_t particles) {
  double sink = 0.0;
  const double s = bestSeconds(
      [&] {
        for (std::int64_t i = 0; i < particles; ++i) {
          const double angle = static_cast<float>(nextRandom() & 0xFFFFu) * 4.0f * 1.52587890625e-05f;
          const double th = 6.283185308 - angle;
          sink += std::sin(th) * std::cos(th);
        }
        benchmark::DoNotOptimize(sink);
      },
      7);
  return s;
}

// The random draws alone: what is left of the per-particle work once the turn table replaces sin and cos.
double drawSeconds(std::int64_t particles) {
  std::uint32_t sink = 0;
  return bestSeconds(
      [&] {
        for (std::int64_t i = 0; i < particles; ++i) sink += nextRandom();
        benchmark::DoNotOptimize(sink);
      },
      7);
}

// Copy bandwidth in bytes per second for a buffer of about the given size (so the same cache level).
double copyBytesPerSecond(std::size_t bytes) {
  std::vector<char> from(bytes, 1), to(bytes, 0);
  const double s = bestSeconds(
      [&] {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
      },
      bytes > (64u << 20) ? 5 : 20);
  return static_cast<double>(bytes) / s;
}

// The bytes a mesh step cannot avoid, in copy-equivalent bytes: each particle record is read and
// written back (a copy of it), each vertex only written and each spring only read (half a copy each).
double meshCopyBytes(const Object3D& mesh) {
  const double particles = static_cast<double>(mesh.particles.length() * sizeof(MeshParticle));
  const double vertices = static_cast<double>(mesh.vertices.length() * sizeof(Vec3D));
  const double springs = static_cast<double>(mesh.springs.length() * sizeof(MeshSpring));
  return particles + (vertices + springs) / 2;
}

struct Floor {
  double trigSeconds, memorySeconds, drawSeconds;
  double total() const { return trigSeconds + memorySeconds; }
};

Floor floorFor(const Object3D& mesh) {
  static std::map<std::size_t, Floor> cache;
  const std::size_t n = mesh.particles.length();
  if (auto it = cache.find(n); it != cache.end()) return it->second;
  const double bytes = meshCopyBytes(mesh);
  const auto count = static_cast<std::int64_t>(n);
  const Floor floor{trigAndDrawSeconds(count), bytes / copyBytesPerSecond(static_cast<std::size_t>(bytes)),
                    drawSeconds(count)};
  cache[n] = floor;
  return floor;
}

void perElementCounters(benchmark::State& state, double particles, double springs) {
  using benchmark::Counter;
  state.counters["per_particle"] = Counter(particles, Counter::kIsIterationInvariantRate | Counter::kInvert);
  state.counters["per_spring"] = Counter(springs, Counter::kIsIterationInvariantRate | Counter::kInvert);
}

void BM_ClothStep(benchmark::State& state) {
  seedRandom(1);
  Cloth cloth;
  for (auto _ : state) cloth.step(0.2);
  perElementCounters(state, static_cast<double>(cloth.particles.length()), static_cast<double>(cloth.springs.length()));
}
BENCHMARK(BM_ClothStep);

void BM_MeshStep(benchmark::State& state) {
  WorkerPool::shared().setThreadCount(1);  // thread CPU time sees only the calling thread
  seedRandom(1);
  Object3D mesh;
  fillGrid(mesh, sideFor(state.range(0)));
  for (int i = 0; i < 3; ++i) mesh.step(0.1);  // warm the caches and leave the at-rest first step behind
  const Floor floor = floorFor(mesh);

  // The ratio compares best with best: the fastest batch of steps against the fastest floor, so that
  // other work on a shared machine inflates neither.
  const int stepsPerBatch = runsPerBatch([&] { mesh.step(0.1); });
  double fastestStep = 1e300, batchStart = threadSeconds();
  int inBatch = 0;
  for (auto _ : state) {
    mesh.step(0.1);
    if (++inBatch == stepsPerBatch) {
      const double now = threadSeconds();
      fastestStep = std::min(fastestStep, (now - batchStart) / stepsPerBatch);
      batchStart = now, inBatch = 0;
    }
  }

  perElementCounters(state, static_cast<double>(mesh.particles.length()), static_cast<double>(mesh.springs.length()));
  state.counters["floor_trig_ms"] = floor.trigSeconds * 1e3;
  state.counters["floor_mem_ms"] = floor.memorySeconds * 1e3;
  state.counters["best_step_ms"] = fastestStep * 1e3;
  state.counters["x_floor"] = fastestStep / floor.total();
  // Against the floor without sin and cos, which the turn table takes out of the step.
  state.counters["x_draw_mem"] = fastestStep / (floor.drawSeconds + floor.memorySeconds);
}
BENCHMARK(BM_MeshStep)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

double wallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Three steps to warm up, then one step per iteration; the fastest step's wall time in seconds.
double fastestStep(benchmark::State& state, Object3D& mesh) {
  for (int i = 0; i < 3; ++i) mesh.step(0.1);
  double fastest = 1e300;
  for (auto _ : state) {
    const double t0 = wallSeconds();
    mesh.step(0.1);
    fastest = std::min(fastest, wallSeconds() - t0);
  }
  return fastest;
}

// Wall time, best batch, on 1 or on all threads (0). The serial part is what no thread count shortens:
// the draws, taken one by one in particle order, as a share of the one-thread step; `amdahl_serial`
// is the share the measured speedup implies, fork, join and memory limits included.
void BM_MeshStepThreads(benchmark::State& state) {
  static std::map<std::int64_t, double> oneThread;
  const int threads = state.range(1) == 0 ? static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))
                                          : static_cast<int>(state.range(1));
  WorkerPool::shared().setThreadCount(threads);
  seedRandom(1);
  Object3D mesh;
  fillGrid(mesh, sideFor(state.range(0)));
  const double fastest = fastestStep(state, mesh);
  if (threads == 1) oneThread[state.range(0)] = fastest;
  const double serial = floorFor(mesh).drawSeconds;
  state.counters["threads"] = threads;
  state.counters["best_step_ms"] = fastest * 1e3;
  state.counters["serial_part"] = serial / oneThread[state.range(0)];
  const double speedup = oneThread[state.range(0)] / fastest;
  state.counters["speedup"] = speedup;
  if (threads > 1) state.counters["amdahl_serial"] = (threads / speedup - 1) / (threads - 1);
}
BENCHMARK(BM_MeshStepThreads)
    ->Args({100'000, 1})
    ->Args({100'000, 0})
    ->Args({1'000'000, 1})
    ->Args({1'000'000, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Around the size where the mesh starts to use the threads: the serial loops (0) against the threaded
// step on 2 threads, which is where the threshold comes from.
void BM_MeshStepNearThreshold(benchmark::State& state) {
  WorkerPool::shared().setThreadCount(state.range(1) == 0 ? 1 : static_cast<int>(state.range(1)));
  seedRandom(1);
  Object3D mesh;
  fillGrid(mesh, sideFor(state.range(0)));
  mesh.parallelFrom = state.range(1) == 0 ? mesh.particles.length() + 1 : 0;
  const double fastest = fastestStep(state, mesh);
  state.counters["best_step_us"] = fastest * 1e6;
}
BENCHMARK(BM_MeshStepNearThreshold)
    ->ArgsProduct({{1'000, 2'000, 4'000, 8'000, 16'000, 32'000, 64'000}, {0, 2}})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

// A geodesic sphere of the given frequency through the add operations, as the reader would fill it.
void fillSphere(Object3D& mesh, int frequency) {
  const GeodesicSphere sphere(frequency, kShippedSphereRadius);
  mesh.init();
  for (const auto& p : sphere.positions) mesh.addVertex(p[0], p[1], p[2]);
  for (const auto& n : sphere.normals) mesh.addNormal(n[0], n[1], n[2]);
  for (const auto& f : sphere.faces) {
    const FaceIndices corners{f[0] + 1, f[1] + 1, f[2] + 1};
    mesh.addFace(corners, {}, corners);
  }
  for (const auto& [a, b] : sphere.edges) mesh.addSpring(a + 1, b + 1);
  buildQuietly(mesh);
}

// The mesh step's passes on one thread, on spheres of the shipped size (frequency 10, 1,002 vertices),
// 10k, 100k and 1M vertices, at each width of the spring law: the springs' forces, their sums per
// particle on their own (the plain loop; widths 4 and 8 add them inside the sweep), and a step as the
// frame takes it (a tenth of advance(10)); sweep is that step less its spring forces: the sums, anchors,
// integration and next body forces, one, or four particles at a time. Best batches of thread CPU time.
void BM_MeshStepPasses(benchmark::State& state) {
  WorkerPool::shared().setThreadCount(1);
  SpringForces::setWidth(static_cast<int>(state.range(1)));
  seedRandom(1);
  Object3D mesh;
  fillSphere(mesh, static_cast<int>(state.range(0)));
  for (int i = 0; i < 3; ++i) mesh.step(0.1);
  SpringForces forces;
  forces.build(mesh.springs, mesh.particles.length());
  const std::size_t springs = mesh.springs.length(), particles = mesh.particles.length();
  double springSeconds = 0, gatherSeconds = 0, stepSeconds = 0;
  for (auto _ : state) {
    springSeconds = bestSeconds([&] { forces.compute(mesh.springs, mesh.particles, 0, springs); }, 5);
    gatherSeconds = bestSeconds([&] { forces.gather(mesh.particles, 0, particles); }, 5);
    stepSeconds = bestSeconds([&] { mesh.advance(10, 0.1); }, 5) / 10;
  }
  state.counters["width"] = SpringForces::width();
  state.counters["springs_ms"] = springSeconds * 1e3;
  state.counters["gather_ms"] = gatherSeconds * 1e3;
  state.counters["sweep_ms"] = (stepSeconds - springSeconds) * 1e3;
  state.counters["step_ms"] = stepSeconds * 1e3;
  state.counters["ns_per_spring"] = springSeconds * 1e9 / static_cast<double>(springs);
  SpringForces::setWidth(SpringForces::widestOffered());
}
BENCHMARK(BM_MeshStepPasses)
    ->ArgsProduct({{kShippedSphereFrequency, 32, 100, 316}, {1, 2, 4, 8}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The two parts of the floor on their own, for the record.
void BM_FloorTrigAndDraw(benchmark::State& state) {
  double sink = 0.0;
  for (auto _ : state) {
    const double angle = static_cast<float>(nextRandom() & 0xFFFFu) * 4.0f * 1.52587890625e-05f;
    const double th = 6.283185308 - angle;
    sink += std::sin(th) * std::cos(th);
  }
  benchmark::DoNotOptimize(sink);
}
BENCHMARK(BM_FloorTrigAndDraw);

void BM_FloorCopy(benchmark::State& state) {
  const auto bytes = static_cast<std::size_t>(state.range(0));
  std::vector<char> from(bytes, 1), to(bytes, 0);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_FloorCopy)->Arg(1 << 20)->Arg(24 << 20)->Arg(256 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sv

BENCHMARK_MAIN();
