// WritePngFile: libpng, one row at a time through a row of 3 or 4 bytes per pixel.
#include "gfxutil/image_png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>

namespace zel::gfxutil {
namespace {

constexpr size_t kSourceBytesPerPixel = 4;

struct FileCloser {
  void operator()(FILE *f) const { std::fclose(f); }
};

// One source row in the file's channel order: R, G, B (and A).
void PackRow(const uint8_t *src, const PngRows &rows, uint8_t *out) {
  const size_t channels = rows.keepAlpha ? 4 : 3;
  const bool bgra = rows.order == PixelOrder::Bgra;
  for (UINT x = 0; x < rows.width; ++x, src += kSourceBytesPerPixel, out += channels) {
    out[0] = src[bgra ? 2 : 0];
    out[1] = src[1];
    out[2] = src[bgra ? 0 : 2];
    if (rows.keepAlpha) out[3] = src[3];
  }
}

int FilterMask(PngFilters filters) {
  switch (filters) {
    case PngFilters::None: return PNG_FILTER_NONE;
    case PngFilters::Sub: return PNG_FILTER_SUB;
    case PngFilters::Up: return PNG_FILTER_UP;
    case PngFilters::Paeth: return PNG_FILTER_PAETH;
    case PngFilters::Adaptive: break;
  }
  return PNG_ALL_FILTERS;
}

void SetCompression(png_structp png, const PngCompression &compression) {
  if (compression.level >= kPngLevelMin && compression.level <= kPngLevelMax)
    png_set_compression_level(png, compression.level);
  if (compression.filters != PngFilters::Adaptive)
    png_set_filter(png, PNG_FILTER_TYPE_BASE, FilterMask(compression.filters));
}

}  // namespace

bool WritePngFile(const std::string &path, const PngRows &rows, std::string *error) {
  if (rows.first == nullptr || rows.width == 0 || rows.height == 0 ||
      rows.pitch < static_cast<size_t>(rows.width) * kSourceBytesPerPixel) {
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
  std::vector<uint8_t> row(static_cast<size_t>(rows.width) * (rows.keepAlpha ? 4 : 3));
  if (setjmp(png_jmpbuf(png))) {  // libpng reports write errors by jumping back here
    png_destroy_write_struct(&png, &info);
    *error = "cannot write " + path;
    return false;
  }
  png_init_io(png, file.get());
  SetCompression(png, rows.compression);
  png_set_IHDR(png, info, rows.width, rows.height, 8, rows.keepAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (UINT y = 0; y < rows.height; ++y) {
    PackRow(rows.first + static_cast<size_t>(y) * rows.pitch, rows, row.data());
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

bool WritePng(const std::string &path, const std::vector<uint8_t> &rgba, UINT width, UINT height,
              std::string *error) {
  if (rgba.size() < static_cast<size_t>(width) * height * kSourceBytesPerPixel) {
    *error = "no image to write";
    return false;
  }
  PngRows rows;
  rows.first = rgba.data();
  rows.pitch = static_cast<size_t>(width) * kSourceBytesPerPixel;
  rows.width = width;
  rows.height = height;
  return WritePngFile(path, rows, error);
}

}  // namespace zel::gfxutil
