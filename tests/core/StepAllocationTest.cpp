// Steps (serial and threaded) and frames allocate nothing, counted by this executable's replacements of
// every form of the global allocation functions (so none slips past to a sanitizer's own).
#include "cloth/Cloth.h"
#include "core/Random.h"
#include "gl/OffscreenContext.h"
#include "mesh/Object3D.h"
#include "scene/GLUW.h"
#include "support/TestMeshes.h"
#include "support/WorkingDirectory.h"

#include <cstdlib>
#include <filesystem>
#include <new>

#include <gtest/gtest.h>

namespace {
std::size_t allocationCount = 0;

void* counted(std::size_t size, std::size_t alignment = 0) noexcept {
  ++allocationCount;
  size = size == 0 ? 1 : size;
  return alignment <= alignof(std::max_align_t)
             ? std::malloc(size)
             : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
}
void* orThrow(void* p) { return p != nullptr ? p : throw std::bad_alloc(); }
}  // namespace

void* operator new(std::size_t size) { return orThrow(counted(size)); }
void* operator new[](std::size_t size) { return orThrow(counted(size)); }
void* operator new(std::size_t size, std::align_val_t a) { return orThrow(counted(size, std::size_t(a))); }
void* operator new[](std::size_t size, std::align_val_t a) { return orThrow(counted(size, std::size_t(a))); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return counted(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return counted(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace sv {
namespace {

TEST(StepAllocation, StepsAllocateNothing) {
  const std::size_t beforeSetUp = allocationCount;
  Object3D mesh, threaded;
  test::gridMesh(mesh, 20), test::gridMesh(threaded, 20), threaded.parallelFrom = 0;
  Cloth cloth;
  ASSERT_GT(allocationCount, beforeSetUp);  // the counter sees the bodies' storage
  seedRandom(1);
  const std::size_t before = allocationCount;
  for (int frame = 0; frame < 300; ++frame) {
    for (int i = 0; i < 10; ++i) mesh.step(0.1);
    for (int i = 0; i < 5; ++i) cloth.step(0.2);
  }
  // Fewer threaded steps: on a busy machine each one may wait for a thread to be scheduled.
  for (int i = 0; i < 100; ++i) threaded.step(0.1);
  EXPECT_EQ(allocationCount - before, 0u);
}

TEST(StepAllocation, FramesAllocateNothingAfterTheFirst) {
  test::WorkingDirectory directory;
  std::filesystem::copy_file(SV_SHIPPED_MODEL, "sphere_k.obj");
  OffscreenContext context(128, 128);
  const auto scene = startScene(128, 128);  // the steps' thread is made at the first frame
  scene->render();
  const std::size_t before = allocationCount;
  for (int frame = 0; frame < 30; ++frame) scene->render();
  EXPECT_EQ(allocationCount - before, 0u);
}

}  // namespace
}  // namespace sv
