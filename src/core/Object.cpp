// Default behaviour of the root class: identity-based hash, order and equality, and the type name as
// text. Nothing in the program calls these; they give every class the same interface.
#include "core/Object.h"

#include <cstdio>
#include <functional>
#include <typeinfo>

namespace sv {

void Object::print() const { std::fputs(toString().c_str(), stdout); }

std::string Object::toString() const { return typeid(*this).name(); }

std::size_t Object::hash() const { return std::hash<const void*>{}(this); }

int Object::compareTo(const Object& other) const {
  const auto* self = static_cast<const void*>(this);
  const auto* that = static_cast<const void*>(&other);
  return std::less<const void*>{}(self, that) ? -1 : (self == that ? 0 : 1);
}

bool Object::equals(const Object& other) const { return this == &other; }

}  // namespace sv
