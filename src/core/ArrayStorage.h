// The bytes behind an Array: a block that only grows, keeping its leading bytes and giving zero bytes
// after them. Small blocks live on the heap. Large ones, where the system can move pages (Linux), are
// pages of their own: the kernel hands them out zeroed and moves them when they grow, so growing
// neither copies nor fills them, and loading a large mesh writes each byte of it once.
#pragma once

#include <cstddef>

namespace sv {

class ArrayStorage {
 public:
  // Blocks of at least this many bytes are pages of their own where the system can move pages.
  static constexpr std::size_t kPagesFrom = std::size_t{1} << 20;

  ArrayStorage() = default;
  ArrayStorage(const ArrayStorage&) = delete;
  ArrayStorage& operator=(const ArrayStorage&) = delete;
  ~ArrayStorage();

  // Makes the block `bytes` long when it is shorter: the bytes held are kept, the new ones are zero.
  // Throws std::bad_alloc, leaving the block as it was, when the memory cannot be had.
  void grow(std::size_t bytes);
  void* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace sv
