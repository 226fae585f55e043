// Growing an Array's bytes: on the heap by copying, in pages of their own by moving the pages.
#include "core/ArrayStorage.h"

#include <algorithm>
#include <cstring>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace sv {

namespace {

#ifdef __linux__
constexpr bool kMovesPages = true;

std::size_t wholePages(std::size_t bytes) {
  static const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return (bytes + page - 1) / page * page;
}

// The time step reads a large mesh's particles at scattered indices; in 4 KiB pages nearly every such
// read also misses the address cache, in 2 MiB pages hardly any. Only a hint: the kernel may say no.
void preferLargePages(void* pages, std::size_t bytes) { madvise(pages, wholePages(bytes), MADV_HUGEPAGE); }

// Fresh pages from the kernel, zeroed.
void* mapPages(std::size_t bytes) {
  void* pages = mmap(nullptr, wholePages(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) throw std::bad_alloc();
  preferLargePages(pages, bytes);
  return pages;
}

// The same pages, longer: the kernel moves them if it must, and the added ones come zeroed. The bytes
// past `from` in its last page were never written (the block never shrinks), so they are zero too.
void* growPages(void* pages, std::size_t from, std::size_t to) {
  void* grown = mremap(pages, wholePages(from), wholePages(to), MREMAP_MAYMOVE);
  if (grown == MAP_FAILED) throw std::bad_alloc();
  preferLargePages(grown, to);
  return grown;
}

void unmapPages(void* pages, std::size_t bytes) { munmap(pages, wholePages(bytes)); }
#else
constexpr bool kMovesPages = false;
void* mapPages(std::size_t) { throw std::bad_alloc(); }
void* growPages(void*, std::size_t, std::size_t) { throw std::bad_alloc(); }
void unmapPages(void*, std::size_t) {}
#endif

bool inPages(std::size_t bytes) { return kMovesPages && bytes >= ArrayStorage::kPagesFrom; }

void release(void* data, std::size_t bytes) {
  if (inPages(bytes)) {
    unmapPages(data, bytes);
  } else {
    ::operator delete(data);
  }
}

}  // namespace

ArrayStorage::~ArrayStorage() { release(data_, size_); }

void ArrayStorage::grow(std::size_t bytes) {
  if (bytes <= size_) return;
  if (inPages(size_)) {
    data_ = growPages(data_, size_, bytes);
  } else {
    void* grown = inPages(bytes) ? mapPages(bytes) : ::operator new(bytes);
    std::copy_n(static_cast<const char*>(data_), size_, static_cast<char*>(grown));  // none from an empty block
    if (!inPages(bytes)) std::memset(static_cast<char*>(grown) + size_, 0, bytes - size_);
    release(data_, size_);
    data_ = grown;
  }
  size_ = bytes;
}

}  // namespace sv
