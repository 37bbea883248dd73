#include "png_writer.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace vorn::tools {
namespace {

// Everything libpng may longjmp out of lives here, with no objects that need destroying.
bool EncodeRows(png_structp png, png_infop info, std::FILE* file, const platform::Framebuffer& pixels,
                png_byte* row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, pixels.width(), pixels.height(), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < pixels.height(); ++y) {
    const std::uint32_t* source = pixels.row(y);
    for (int x = 0; x < pixels.width(); ++x) {
      row[x * 3 + 0] = static_cast<png_byte>(source[x] >> 16);
      row[x * 3 + 1] = static_cast<png_byte>(source[x] >> 8);
      row[x * 3 + 2] = static_cast<png_byte>(source[x]);
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool WritePng(const platform::Framebuffer& pixels, const std::string& path, std::string& reason) {
  if (pixels.width() <= 0 || pixels.height() <= 0) {
    reason = "no picture to write";
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    reason = "cannot create " + path;
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<png_byte> row(static_cast<std::size_t>(pixels.width()) * 3);
  const bool encoded = png != nullptr && info != nullptr && EncodeRows(png, info, file, pixels, row.data());
  png_destroy_write_struct(&png, &info);
  const bool closed = std::fclose(file) == 0;
  if (!encoded || !closed) {
    reason = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace vorn::tools
