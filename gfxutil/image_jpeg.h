// JPEG reader on libjpeg-turbo: baseline and progressive files with one component (grey,
// decoded as L8) or three (colour, decoded as X8R8G8B8). Any other component count (CMYK,
// YCCK, two-channel) is refused with E_FAIL. Truncated or corrupt entropy data is a
// failure, not a grey-filled picture.
#pragma once

#include "gfxutil/image.h"

namespace zel::gfxutil {

DecodeResult DecodeJpeg(const BYTE *data, size_t size, Image *out);

}  // namespace zel::gfxutil
