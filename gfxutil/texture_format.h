// Device pixel formats for decoded images: which texture format an image gets, and the
// packing of decoded rows (L8 or BGRA8) into that format.
#pragma once

#include "gfxutil/image.h"

namespace zel::gfxutil {

// Bytes per pixel of a texture format this module can write; 0 for any other.
unsigned FormatBytes(D3DFORMAT format);

// Texture formats to try, best first, for an image whose file holds fileFormat. The
// first is the file's own format where a device can take it; the rest are the close
// formats to fall back on. Palette (P8) and 24-bit images become 32-bit colour, since
// textures of those formats are not made.
std::vector<D3DFORMAT> TextureFormatCandidates(D3DFORMAT fileFormat);

// The format's name as the SDK spells it ("D3DFMT_X8R8G8B8"); "D3DFMT_UNKNOWN" otherwise.
const char *FormatName(D3DFORMAT format);

// Writes one row of width pixels from a decoded row in layout to format. Returns false
// (writing nothing) when the format is not one FormatBytes knows.
bool PackRow(const BYTE *src, PixelLayout layout, unsigned width, D3DFORMAT format, BYTE *dst);

}  // namespace zel::gfxutil
