#include "platform/win32/dib.h"

namespace zel::win32 {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kMinInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr int32_t kMaxSide = 16384;          // pixels
constexpr uint32_t kBiRgb = 0;               // no compression

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

bool DecodeDib(const uint8_t* data, size_t size, RgbImage& image, std::string& error) {
  image = RgbImage{};
  if (data == nullptr) size = 0;
  size_t pixelOffset = 0;  // from the file header; 0: right behind the info header
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
    if (size < kFileHeaderSize) return error = "truncated file header", false;
    pixelOffset = U32(data + 10);
    data += kFileHeaderSize;
    size -= kFileHeaderSize;
    if (pixelOffset < kFileHeaderSize) return error = "bad pixel offset", false;
    pixelOffset -= kFileHeaderSize;
  }
  if (size < kMinInfoHeaderSize) return error = "truncated info header", false;
  uint32_t headerSize = U32(data);
  if (headerSize < kMinInfoHeaderSize || headerSize > size) return error = "bad header size", false;
  int32_t width = static_cast<int32_t>(U32(data + 4));
  int32_t height = static_cast<int32_t>(U32(data + 8));
  uint16_t bits = U16(data + 14);
  uint32_t compression = U32(data + 16);
  uint32_t paletteColours = U32(data + 32);
  bool topDown = height < 0;
  if (topDown) height = height == INT32_MIN ? 0 : -height;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
    return error = "bad size", false;
  if (compression != kBiRgb || (bits != 24 && bits != 32))
    return error = "only uncompressed 24 and 32 bits per pixel are read", false;
  if (pixelOffset == 0) pixelOffset = headerSize + size_t{paletteColours} * 4;
  size_t bytesPerPixel = bits / 8;
  size_t stride = (static_cast<size_t>(width) * bytesPerPixel + 3) & ~size_t{3};
  if (pixelOffset > size || (size - pixelOffset) / stride < static_cast<size_t>(height))
    return error = "truncated pixels", false;

  image.width = width;
  image.height = height;
  image.rgb.resize(static_cast<size_t>(width) * height * 3);
  for (int32_t y = 0; y < height; ++y) {
    int32_t row = topDown ? y : height - 1 - y;
    const uint8_t* src = data + pixelOffset + static_cast<size_t>(row) * stride;
    uint8_t* dst = image.rgb.data() + static_cast<size_t>(y) * width * 3;
    for (int32_t x = 0; x < width; ++x, src += bytesPerPixel, dst += 3) {
      dst[0] = src[2];  // pixels are stored blue, green, red
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  return true;
}

}  // namespace zel::win32
