// The time steps allocate nothing: this executable counts every form of global allocation (all of them,
// so none slips past to a sanitizer's own) while both bodies step for 300 frames.
#include "cloth/Cloth.h"
#include "core/Random.h"
#include "mesh/Object3D.h"
#include "support/TestMeshes.h"

#include <cstdlib>
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
std::size_t from(std::align_val_t a) { return static_cast<std::size_t>(a); }
}  // namespace

void* operator new(std::size_t size) { return orThrow(counted(size)); }
void* operator new[](std::size_t size) { return orThrow(counted(size)); }
void* operator new(std::size_t size, std::align_val_t a) { return orThrow(counted(size, from(a))); }
void* operator new[](std::size_t size, std::align_val_t a) { return orThrow(counted(size, from(a))); }
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
  Object3D mesh;
  testing::gridMesh(mesh, 20);
  Cloth cloth;
  ASSERT_GT(allocationCount, beforeSetUp);  // the counter sees the bodies' storage
  seedRandom(1);
  const std::size_t before = allocationCount;
  for (int frame = 0; frame < 300; ++frame) {
    for (int i = 0; i < 10; ++i) mesh.step(0.1);
    for (int i = 0; i < 5; ++i) cloth.step(0.2);
  }
  EXPECT_EQ(allocationCount - before, 0u);
}

}  // namespace
}  // namespace sv
