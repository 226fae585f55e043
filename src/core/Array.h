// The growable array that every body keeps its records in. Growing fills the new elements with
// all-zero bytes, not with default-constructed values: a zero-filled Vec3D is (0, 0, 0, 0) while a
// default one is NaN, and the simulation relies on the zeros. Only trivially copyable records may be
// stored, so that all-zero bytes are a valid value. The storage hands out new bytes already zero, so
// a large array grows without copying or filling (see ArrayStorage).
#pragma once

#include "core/ArrayStorage.h"
#include "core/Object.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>

namespace sv {

template <typename T>
class Array : public Object {
  static_assert(std::is_trivially_copyable_v<T>, "Array zero-fills its elements");

 public:
  Array() = default;
  explicit Array(std::size_t length) { setLength(length); }
  Array(const Array& other) { *this = other; }
  Array& operator=(const Array& other) {
    if (this != &other) {
      reserveExactly(other.length_);
      if (other.length_ != 0) std::memcpy(data(), other.data(), other.length_ * sizeof(T));
      length_ = other.length_;
    }
    return *this;
  }

  std::size_t length() const { return length_; }
  bool empty() const { return length_ == 0; }

  // A larger length keeps the elements and zero-fills the new ones; a smaller one keeps the leading ones.
  // New elements inside the storage may hold what a longer length left there, so they are filled;
  // those past it are the storage's new bytes, zero already.
  void setLength(std::size_t length) {
    const std::size_t stale = std::min(length, capacity());
    if (stale > length_) std::memset(static_cast<void*>(data() + length_), 0, (stale - length_) * sizeof(T));
    reserveExactly(length);
    length_ = length;
  }

  T& operator[](std::size_t i) { return data()[i]; }
  const T& operator[](std::size_t i) const { return data()[i]; }
  T* data() { return static_cast<T*>(storage_.data()); }
  const T* data() const { return static_cast<const T*>(storage_.data()); }
  T* begin() { return data(); }
  T* end() { return data() + length_; }
  const T* begin() const { return data(); }
  const T* end() const { return data() + length_; }

 private:
  std::size_t capacity() const { return storage_.size() / sizeof(T); }
  void reserveExactly(std::size_t capacity) {
    if (capacity <= this->capacity()) return;
    if (capacity > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
    storage_.grow(capacity * sizeof(T));
  }

  ArrayStorage storage_;
  std::size_t length_ = 0;
};

}  // namespace sv
