// Format choice and row packing for texture uploads.
#include "gfxutil/texture_format.h"

#include <cstring>

namespace zel::gfxutil {

namespace {

// Narrows an 8-bit channel to n bits with rounding; the inverse of the widening that the
// readers apply, so a 5-bit value read from a file comes back unchanged.
inline unsigned Narrow(unsigned v, unsigned bits) {
  const unsigned maxValue = (1u << bits) - 1;
  return (v * maxValue + 127) / 255;
}

// Rec. 601 luma in 8.8 fixed point.
inline BYTE Luma(const BYTE *bgra) {
  return static_cast<BYTE>((77u * bgra[2] + 150u * bgra[1] + 29u * bgra[0] + 128) >> 8);
}

inline void Store16(BYTE *dst, unsigned v) {
  dst[0] = static_cast<BYTE>(v);
  dst[1] = static_cast<BYTE>(v >> 8);
}

}  // namespace

unsigned FormatBytes(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8: case D3DFMT_X8R8G8B8: case D3DFMT_A8B8G8R8: case D3DFMT_X8B8G8R8: return 4;
    case D3DFMT_R8G8B8: return 3;
    case D3DFMT_R5G6B5: case D3DFMT_X1R5G5B5: case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4: case D3DFMT_X4R4G4B4: case D3DFMT_A8L8: return 2;
    case D3DFMT_L8: case D3DFMT_A8: return 1;
    default: return 0;
  }
}

std::vector<D3DFORMAT> TextureFormatCandidates(D3DFORMAT fileFormat) {
  switch (fileFormat) {
    case D3DFMT_L8: return {D3DFMT_L8, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8};
    case D3DFMT_A8R8G8B8: return {D3DFMT_A8R8G8B8};
    case D3DFMT_X1R5G5B5: return {D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8};
    case D3DFMT_R5G6B5: return {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8};
    case D3DFMT_A1R5G5B5: return {D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8};
    case D3DFMT_A4R4G4B4: return {D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8};
    case D3DFMT_X4R4G4B4: return {D3DFMT_X4R4G4B4, D3DFMT_X1R5G5B5, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8};
    case D3DFMT_A8B8G8R8: return {D3DFMT_A8B8G8R8, D3DFMT_A8R8G8B8};
    case D3DFMT_X8B8G8R8: return {D3DFMT_X8B8G8R8, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8};
    default: return {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8};  // X8R8G8B8, R8G8B8, P8
  }
}

const char *FormatName(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_R8G8B8: return "D3DFMT_R8G8B8";
    case D3DFMT_A8R8G8B8: return "D3DFMT_A8R8G8B8";
    case D3DFMT_X8R8G8B8: return "D3DFMT_X8R8G8B8";
    case D3DFMT_R5G6B5: return "D3DFMT_R5G6B5";
    case D3DFMT_X1R5G5B5: return "D3DFMT_X1R5G5B5";
    case D3DFMT_A1R5G5B5: return "D3DFMT_A1R5G5B5";
    case D3DFMT_A4R4G4B4: return "D3DFMT_A4R4G4B4";
    case D3DFMT_X4R4G4B4: return "D3DFMT_X4R4G4B4";
    case D3DFMT_A8B8G8R8: return "D3DFMT_A8B8G8R8";
    case D3DFMT_X8B8G8R8: return "D3DFMT_X8B8G8R8";
    case D3DFMT_A8: return "D3DFMT_A8";
    case D3DFMT_P8: return "D3DFMT_P8";
    case D3DFMT_L8: return "D3DFMT_L8";
    case D3DFMT_A8L8: return "D3DFMT_A8L8";
    default: return "D3DFMT_UNKNOWN";
  }
}

bool PackRow(const BYTE *src, PixelLayout layout, unsigned width, D3DFORMAT format, BYTE *dst) {
  if (FormatBytes(format) == 0) return false;
  if (layout == PixelLayout::L8) {
    if (format == D3DFMT_L8) {
      std::memcpy(dst, src, width);
      return true;
    }
    // Widen grey to opaque BGRA one pixel at a time, then pack that.
    for (unsigned x = 0; x < width; ++x) {
      const BYTE bgra[4] = {src[x], src[x], src[x], 0xFF};
      PackRow(bgra, PixelLayout::BGRA8, 1, format, dst + x * FormatBytes(format));
    }
    return true;
  }
  if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) {
    std::memcpy(dst, src, static_cast<size_t>(width) * 4);  // BGRA bytes are the little-endian word
    return true;
  }
  for (unsigned x = 0; x < width; ++x, src += 4) {
    const unsigned b = src[0], g = src[1], r = src[2], a = src[3];
    switch (format) {
      case D3DFMT_A8B8G8R8: case D3DFMT_X8B8G8R8:
        dst[0] = static_cast<BYTE>(r); dst[1] = static_cast<BYTE>(g); dst[2] = static_cast<BYTE>(b); dst[3] = static_cast<BYTE>(a);
        dst += 4;
        break;
      case D3DFMT_R8G8B8:
        dst[0] = static_cast<BYTE>(b); dst[1] = static_cast<BYTE>(g); dst[2] = static_cast<BYTE>(r);
        dst += 3;
        break;
      case D3DFMT_R5G6B5: Store16(dst, Narrow(r, 5) << 11 | Narrow(g, 6) << 5 | Narrow(b, 5)); dst += 2; break;
      case D3DFMT_X1R5G5B5: Store16(dst, 0x8000 | Narrow(r, 5) << 10 | Narrow(g, 5) << 5 | Narrow(b, 5)); dst += 2; break;
      case D3DFMT_A1R5G5B5:
        Store16(dst, (a >= 128 ? 0x8000 : 0) | Narrow(r, 5) << 10 | Narrow(g, 5) << 5 | Narrow(b, 5));
        dst += 2;
        break;
      case D3DFMT_A4R4G4B4: Store16(dst, Narrow(a, 4) << 12 | Narrow(r, 4) << 8 | Narrow(g, 4) << 4 | Narrow(b, 4)); dst += 2; break;
      case D3DFMT_X4R4G4B4: Store16(dst, 0xF000 | Narrow(r, 4) << 8 | Narrow(g, 4) << 4 | Narrow(b, 4)); dst += 2; break;
      case D3DFMT_A8L8: dst[0] = Luma(src); dst[1] = static_cast<BYTE>(a); dst += 2; break;
      case D3DFMT_L8: *dst++ = Luma(src); break;
      case D3DFMT_A8: *dst++ = static_cast<BYTE>(a); break;
      default: return false;  // unreachable: FormatBytes vetted the format
    }
  }
  return true;
}

}  // namespace zel::gfxutil
