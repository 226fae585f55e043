#include "PngFile.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <png.h>

namespace sv {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr openFile(const std::string& path, const char* mode, const char* verb) {
  FilePtr file(std::fopen(path.c_str(), mode));
  if (!file) throw PngError("cannot " + std::string(verb) + " \"" + path + "\": " + std::strerror(errno));
  return file;
}

// libpng reports errors by longjmp; the message is kept for the exception thrown afterwards.
void onPngError(png_structp png, png_const_charp message) {
  *static_cast<std::string*>(png_get_error_ptr(png)) = message;
  png_longjmp(png, 1);
}

// The setjmp lives in these two functions, which hold nothing of their own: everything they change is
// reached through references, so it is in memory when libpng jumps back.
bool encode(png_structp png, png_infop info, std::FILE* file, const PngFile& picture, std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  return true;
}

bool decode(png_structp png, png_infop info, std::FILE* file, PngFile& picture, std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_read_info(png, info);
  // Whatever the file holds, hand back 8-bit RGBA.
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_read_update_info(png, info);
  picture.width = static_cast<int>(png_get_image_width(png, info));
  picture.height = static_cast<int>(png_get_image_height(png, info));
  picture.rgba.resize(static_cast<std::size_t>(picture.width) * picture.height * 4);
  rows.resize(static_cast<std::size_t>(picture.height));
  for (int y = 0; y < picture.height; ++y) {
    rows[static_cast<std::size_t>(y)] = &picture.rgba[static_cast<std::size_t>(y) * picture.width * 4];
  }
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

void PngFile::write(const std::string& path) const {
  if (width <= 0 || height <= 0 || rgba.size() != static_cast<std::size_t>(width) * height * 4) {
    throw PngError("cannot write \"" + path + "\": the picture has no pixels or the wrong number of them");
  }
  FilePtr file = openFile(path, "wb", "write");
  std::string failure = "out of memory";
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, onPngError, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(&rgba[static_cast<std::size_t>(y) * width * 4]);
  }
  const bool written = info != nullptr && encode(png, info, file.get(), *this, rows);
  png_destroy_write_struct(&png, &info);
  if (!written) throw PngError("cannot write \"" + path + "\": " + failure);
  if (std::fflush(file.get()) != 0 || std::ferror(file.get())) {
    throw PngError("cannot write \"" + path + "\": " + std::strerror(errno));
  }
}

PngFile PngFile::read(const std::string& path) {
  FilePtr file = openFile(path, "rb", "read");
  std::string failure = "out of memory";
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &failure, onPngError, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  PngFile picture;
  std::vector<png_bytep> rows;
  const bool read = info != nullptr && decode(png, info, file.get(), picture, rows);
  png_destroy_read_struct(&png, &info, nullptr);
  if (!read) throw PngError("cannot read \"" + path + "\": " + failure);
  return picture;
}

}  // namespace sv
