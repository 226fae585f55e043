// The three corner indices of a triangle, as a plain value.
#pragma once

#include <cstdint>

namespace sv {

struct FaceIndices {
  std::int32_t a = 0;
  std::int32_t b = 0;
  std::int32_t c = 0;
};

}  // namespace sv
