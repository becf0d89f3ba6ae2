// Device-independent bitmaps as kept in a bitmap resource (BITMAPINFOHEADER and pixels) or
// in a .bmp file (the same behind a 14-byte file header): uncompressed 24 and 32 bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zel::win32 {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // top row first, 3 bytes per pixel
};

// False with a message for anything truncated, compressed, of another depth or too large.
bool DecodeDib(const uint8_t* data, size_t size, RgbImage& image, std::string& error);

}  // namespace zel::win32
