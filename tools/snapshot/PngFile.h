// Writes and reads 8-bit RGBA pictures as PNG files through libpng. The snapshot tool writes its
// frames with it; the tests read them back to check what was written.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace sv {

class PngError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct PngFile {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // top row first, four bytes per pixel

  // Throws PngError naming the file and the reason.
  void write(const std::string& path) const;
  static PngFile read(const std::string& path);
};

}  // namespace sv
