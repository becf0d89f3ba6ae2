// PNG writer on libpng: 8-bit RGB or RGBA files from rows of 4-byte pixels in memory, in
// either byte order (R, G, B, A as frames are handed around; B, G, R, A as X8R8G8B8 and
// A8R8G8B8 surfaces hold them). Failures come back as false with a one-line reason.
#pragma once

#include <d3d9.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zel::gfxutil {

enum class PixelOrder { Rgba, Bgra };  // byte order of each 4-byte pixel

// Which of PNG's row filters the writer tries: all of them, chosen per row by libpng's
// heuristic (smallest files, slowest), or one fixed filter (Sub: the cheap one that still
// helps the show's smooth gradients most).
enum class PngFilters { Adaptive, None, Sub, Up, Paeth };

// zlib's effort: 0 stores, 1 is the fastest that compresses, 9 the smallest; -1 libpng's
// default (6).
struct PngCompression {
  int level = -1;
  PngFilters filters = PngFilters::Adaptive;
};
constexpr int kPngLevelMin = 0, kPngLevelMax = 9;

struct PngRows {
  const uint8_t *first = nullptr;  // the top row
  size_t pitch = 0;                // bytes from one row to the next
  UINT width = 0, height = 0;      // pixels
  PixelOrder order = PixelOrder::Rgba;
  bool keepAlpha = false;  // RGBA file; otherwise RGB, the fourth byte dropped
  PngCompression compression;
};

bool WritePngFile(const std::string &path, const PngRows &rows, std::string *error);

// Top-down RGBA8 rows (width * height * 4 bytes) as an RGB file, alpha dropped. False when
// the file cannot be written or the buffer is smaller than that.
bool WritePng(const std::string &path, const std::vector<uint8_t> &rgba, UINT width, UINT height,
              std::string *error);

}  // namespace zel::gfxutil
