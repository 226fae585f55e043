// Frame time of the scene in a real offscreen Mesa context at 512 x 512, split into simulation (ten
// mesh steps and five cloth steps) and drawing (floor, mesh, cloth, finished on the GPU side), for
// the shipped model and for generated spheres of about 10k and 100k vertices.
#include "core/Random.h"
#include "gl/GL.h"
#include "gl/OffscreenContext.h"
#include "scene/GLUW.h"
#include "SphereModel.h"
#include "support/WorkingDirectory.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include <benchmark/benchmark.h>

namespace {

constexpr int kSize = 512;

sv::OffscreenContext& context() {
  static sv::OffscreenContext offscreen(kSize, kSize);
  return offscreen;
}

// Mesh size argument: 0 is the shipped model; otherwise rings = segments = the argument.
std::unique_ptr<sv::GLUW> makeScene(int rings) {
  context();
  sv::test::WorkingDirectory directory;
  std::filesystem::copy_file(SV_SHIPPED_MODEL, "sphere_k.obj");
  sv::seedRandom(1);
  auto scene = std::make_unique<sv::GLUW>();
  scene->init();
  if (rings > 0) {
    auto mesh = std::make_unique<sv::Object3D>();
    sv::test::buildSphereMesh(*mesh, rings, rings, 0.2);
    scene->model->objects[0] = std::move(mesh);
  }
  scene->resize(kSize, kSize);
  scene->render();  // first frame outside the timing: shader compilation and first allocations
  return scene;
}

void label(benchmark::State& state, const sv::GLUW& scene) {
  const sv::Object3D& mesh = *scene.model->objects[0];
  state.counters["vertices"] = static_cast<double>(mesh.vertices.length());
  state.counters["faces"] = static_cast<double>(mesh.faces.length());
}

void BM_Frame(benchmark::State& state) {
  auto scene = makeScene(static_cast<int>(state.range(0)));
  for (auto _ : state) scene->render();
  label(state, *scene);
}

void BM_Simulation(benchmark::State& state) {
  auto scene = makeScene(static_cast<int>(state.range(0)));
  sv::Object3D& mesh = *scene->model->objects[0];
  for (auto _ : state) {
    for (int i = 0; i < 10; ++i) mesh.step(0.1);
    for (int i = 0; i < 5; ++i) scene->cloth->step(0.2);
  }
  label(state, *scene);
}

// Everything render draws, with the bodies standing still: clear, floor, mesh, cloth, finish.
void BM_Drawing(benchmark::State& state) {
  auto scene = makeScene(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    sv::gl::clear(sv::gl::kColorBufferBit | sv::gl::kDepthBufferBit);
    sv::gl::disable(sv::gl::kLighting);
    scene->prim->drawFloor(0.5, 5.0);
    scene->prim->drawModel(*scene->model->objects[0]);
    scene->prim->drawCloth(*scene->cloth);
    sv::gl::finish();
  }
  label(state, *scene);
}

void meshSizes(benchmark::internal::Benchmark* b) { b->Arg(0)->Arg(100)->Arg(316)->Unit(benchmark::kMillisecond); }

BENCHMARK(BM_Frame)->Apply(meshSizes);
BENCHMARK(BM_Simulation)->Apply(meshSizes);
BENCHMARK(BM_Drawing)->Apply(meshSizes);

}  // namespace

BENCHMARK_MAIN();
