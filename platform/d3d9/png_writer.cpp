// WritePng: the frame grab's file form, through libpng. Alpha is dropped (it is always 255).
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>

#include "platform/d3d9/frame_grab.h"

namespace zel::d3d9 {
namespace {

struct FileCloser {
  void operator()(FILE *f) const { std::fclose(f); }
};

}  // namespace

bool WritePng(const std::string &path, const std::vector<uint8_t> &rgba, UINT width, UINT height, std::string *error) {
  if (width == 0 || height == 0 || rgba.size() < static_cast<size_t>(width) * height * 4) {
    *error = "no image to write";
    return false;
  }
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    *error = "cannot open " + path + " for writing";
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    *error = "out of memory";
    return false;
  }
  std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
  if (setjmp(png_jmpbuf(png))) {  // libpng reports write errors by jumping back here
    png_destroy_write_struct(&png, &info);
    *error = "cannot write " + path;
    return false;
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (UINT y = 0; y < height; ++y) {
    const uint8_t *src = rgba.data() + static_cast<size_t>(y) * width * 4;
    for (UINT x = 0; x < width; ++x) {
      row[x * 3 + 0] = src[x * 4 + 0];
      row[x * 3 + 1] = src[x * 4 + 1];
      row[x * 3 + 2] = src[x * 4 + 2];
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fflush(file.get()) != 0) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace zel::d3d9
