// The root of every class in springview. It holds no state; its five operations exist so that
// every class shares one interface for text form, hashing, ordering and equality. The program
// itself never calls them.
#pragma once

#include <cstddef>
#include <string>

namespace sv {

class Object {
 public:
  Object() = default;
  Object(const Object&) = default;
  Object& operator=(const Object&) = default;
  virtual ~Object() = default;

  virtual void print() const;
  virtual std::string toString() const;
  virtual std::size_t hash() const;
  // Negative, zero or positive, as for strcmp; objects without a natural order compare by address.
  virtual int compareTo(const Object& other) const;
  virtual bool equals(const Object& other) const;
};

}  // namespace sv
