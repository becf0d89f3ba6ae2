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

struct PngRows {
  const uint8_t *first = nullptr;  // the top row
  size_t pitch = 0;                // bytes from one row to the next
  UINT width = 0, height = 0;      // pixels
  PixelOrder order = PixelOrder::Rgba;
  bool keepAlpha = false;  // RGBA file; otherwise RGB, the fourth byte dropped
};

bool WritePngFile(const std::string &path, const PngRows &rows, std::string *error);

// Top-down RGBA8 rows (width * height * 4 bytes) as an RGB file, alpha dropped. False when
// the file cannot be written or the buffer is smaller than that.
bool WritePng(const std::string &path, const std::vector<uint8_t> &rgba, UINT width, UINT height,
              std::string *error);

}  // namespace zel::gfxutil
