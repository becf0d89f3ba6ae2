// Windows bitmap reader: core (OS/2 1.x, 12-byte) headers and info headers of 40, 52, 56,
// 108 (v4) and 124 (v5) bytes; 1, 4 and 8 bits with palettes, RLE8 and RLE4, 16 bits as
// 5-5-5 or with channel masks, 24 and 32 bits; bottom-up and top-down rows. Every
// bitmap decodes to BGRA8; the file's own pixel format is kept in Image::fileFormat (a
// non-zero alpha mask gives A8R8G8B8 or the 16-bit alpha format that matches).
#pragma once

#include "gfxutil/image.h"

namespace zel::gfxutil {

DecodeResult DecodeBmp(const BYTE *data, size_t size, Image *out);

}  // namespace zel::gfxutil
