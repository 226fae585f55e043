// The growable array that every body keeps its records in. Growing fills the new elements with
// all-zero bytes, not with default-constructed values: a zero-filled Vec3D is (0, 0, 0, 0) while a
// default one is NaN, and the simulation relies on the zeros. Only trivially copyable records may be
// stored, so that all-zero bytes are a valid value.
#pragma once

#include "core/Object.h"

#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

namespace sv {

template <typename T>
class Array : public Object {
  static_assert(std::is_trivially_copyable_v<T>, "Array zero-fills its elements");

  // Storage comes from raw operator new[], so it is returned the same way.
  struct RawDelete {
    void operator()(T* p) const { ::operator delete[](static_cast<void*>(p)); }
  };

 public:
  Array() = default;
  explicit Array(std::size_t length) { setLength(length); }
  Array(const Array& other) { *this = other; }
  Array& operator=(const Array& other) {
    if (this != &other) {
      reserveExactly(other.length_);
      if (other.length_ != 0) std::memcpy(data_.get(), other.data_.get(), other.length_ * sizeof(T));
      length_ = other.length_;
    }
    return *this;
  }

  std::size_t length() const { return length_; }
  bool empty() const { return length_ == 0; }

  // A larger length keeps the elements and zero-fills the new ones; a smaller one keeps the leading ones.
  void setLength(std::size_t length) {
    if (length > capacity_) reserveExactly(length);
    if (length > length_) std::memset(static_cast<void*>(data_.get() + length_), 0, (length - length_) * sizeof(T));
    length_ = length;
  }

  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }
  T* data() { return data_.get(); }
  const T* data() const { return data_.get(); }
  T* begin() { return data_.get(); }
  T* end() { return data_.get() + length_; }
  const T* begin() const { return data_.get(); }
  const T* end() const { return data_.get() + length_; }

 private:
  // Storage is allocated uninitialised; every element below length_ has been written or zero-filled.
  void reserveExactly(std::size_t capacity) {
    if (capacity <= capacity_) return;
    if (capacity > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
    std::unique_ptr<T[], RawDelete> grown(static_cast<T*>(::operator new[](capacity * sizeof(T))));
    if (length_ != 0) std::memcpy(static_cast<void*>(grown.get()), data_.get(), length_ * sizeof(T));
    data_ = std::move(grown);
    capacity_ = capacity;
  }

  std::unique_ptr<T[], RawDelete> data_;
  std::size_t length_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace sv
