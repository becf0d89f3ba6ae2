// Image files made by the tests themselves: JPEGs written with libjpeg and Windows
// bitmaps assembled byte by byte, in every header kind and depth the reader takes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zel::gfxutil::test {

// A JPEG of `samples` (rows from the top, `components` bytes per pixel: 1 grey, 3 RGB, 4 CMYK).
std::vector<BYTE> EncodeJpeg(const std::vector<BYTE> &samples, unsigned width, unsigned height, int components,
                             int quality, bool progressive);

// A JPEG of one flat colour (r is the grey level for one component; CMYK takes the
// colour as C, M, Y with K 30): components 1, 3 or 4.
std::vector<BYTE> MakeJpeg(unsigned width, unsigned height, int components, bool progressive, BYTE r = 200,
                           BYTE g = 100, BYTE b = 50);

struct BmpFormat {
  uint32_t headerBytes = 40;   // 12 (core), 40, 52, 56, 108 or 124
  uint16_t bpp = 24;
  uint32_t compression = 0;    // BI_RGB
  bool topDown = false;
  uint32_t masks[4] = {};      // written for BI_BITFIELDS (3) and BI_ALPHABITFIELDS (6)
  std::vector<uint32_t> palette;  // 0x00RRGGBB entries
};

// rows: unpadded pixel bytes of each row, top row first (the builder pads to 4 bytes and
// orders them bottom-up unless topDown). For RLE the rows are ignored and rle is stored.
std::vector<BYTE> MakeBmp(const BmpFormat &bmpFormat, int32_t width, int32_t height,
                          const std::vector<std::vector<BYTE>> &rows, const std::vector<BYTE> &rle = {});

// Writes bytes under the test's temporary folder and returns the path.
std::string WriteTempFile(const std::string &name, const std::vector<BYTE> &bytes);

void Put16(std::vector<BYTE> *out, uint16_t v);
void Put32(std::vector<BYTE> *out, uint32_t v);

}  // namespace zel::gfxutil::test
