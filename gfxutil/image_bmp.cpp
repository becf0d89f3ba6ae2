// Windows bitmap decoding. The header is parsed and checked against the file size first;
// after that every read is inside ranges proven to lie in the file.
#include "gfxutil/image_bmp.h"

#include <cstdint>
#include <new>

namespace zel::gfxutil {

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;

enum Compression : uint32_t {
  kBiRgb = 0,
  kBiRle8 = 1,
  kBiRle4 = 2,
  kBiBitfields = 3,
  kBiAlphaBitfields = 6,
};

uint16_t Le16(const BYTE *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const BYTE *p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

// One colour channel described by a bit mask: where it sits and how to widen it to 8 bits.
struct Channel {
  uint32_t mask = 0;
  unsigned shift = 0;
  unsigned bits = 0;
  BYTE widen[256] = {};  // value >> shift (when bits <= 8) to 0..255, rounded

  // False for a mask whose bits are not one contiguous run.
  bool Set(uint32_t m) {
    mask = m;
    shift = bits = 0;
    if (m == 0) return true;
    while (!((m >> shift) & 1)) ++shift;
    uint32_t run = m >> shift;
    if (run & (run + 1)) return false;
    while (run) { ++bits; run >>= 1; }
    if (bits <= 8) {
      uint32_t maxValue = (1u << bits) - 1;
      for (uint32_t v = 0; v <= maxValue; ++v) widen[v] = static_cast<BYTE>((v * 255 + maxValue / 2) / maxValue);
    }
    return true;
  }

  BYTE Read(uint32_t pixel, BYTE absent) const {
    if (bits == 0) return absent;
    uint32_t v = (pixel & mask) >> shift;
    return bits <= 8 ? widen[v] : static_cast<BYTE>(v >> (bits - 8));
  }
};

struct BmpHeader {
  uint32_t headerBytes = 0;
  long long width = 0;
  long long height = 0;  // rows; the file's sign is in topDown
  bool topDown = false;
  unsigned bpp = 0;
  uint32_t compression = kBiRgb;
  uint32_t masks[4] = {};  // red, green, blue, alpha
  size_t paletteOffset = 0;
  size_t paletteEntryBytes = 4;
  size_t paletteEntries = 0;
  size_t pixelOffset = 0;
};

DecodeResult Fail(const char *what) { return DecodeResult::Fail(kInvalidData, std::string("BMP: ") + what); }

DecodeResult ParseCoreHeader(const BYTE *data, BmpHeader *h) {
  h->width = Le16(data + 18);
  h->height = Le16(data + 20);
  h->bpp = Le16(data + 24);
  h->paletteEntryBytes = 3;
  h->paletteOffset = kFileHeaderBytes + kCoreHeaderBytes;
  return {};
}

DecodeResult ParseInfoHeader(const BYTE *data, size_t size, BmpHeader *h) {
  int32_t width = static_cast<int32_t>(Le32(data + 18));
  int32_t height = static_cast<int32_t>(Le32(data + 22));
  h->width = width;
  h->topDown = height < 0;
  h->height = height < 0 ? -static_cast<long long>(height) : height;
  h->bpp = Le16(data + 28);
  h->compression = Le32(data + 30);
  uint32_t colorsUsed = Le32(data + 46);
  size_t maskOffset = kFileHeaderBytes + kInfoHeaderBytes;
  h->paletteOffset = kFileHeaderBytes + h->headerBytes;
  // A plain 40-byte header keeps its masks just after itself; larger ones hold them inside.
  size_t maskCount = h->headerBytes >= 56 ? 4 : h->headerBytes >= 52 ? 3 : 0;
  if (h->headerBytes == kInfoHeaderBytes) {
    if (h->compression == kBiBitfields) maskCount = 3;
    if (h->compression == kBiAlphaBitfields) maskCount = 4;
    h->paletteOffset += 4 * maskCount;
    if (h->paletteOffset > size) return Fail("truncated channel masks");
  }
  for (size_t i = 0; i < maskCount; ++i) h->masks[i] = Le32(data + maskOffset + 4 * i);
  h->paletteEntries = colorsUsed;
  return {};
}

DecodeResult ParseHeader(const BYTE *data, size_t size, BmpHeader *h) {
  if (size < kFileHeaderBytes + 4) return Fail("truncated header");
  h->pixelOffset = Le32(data + 10);
  h->headerBytes = Le32(data + 14);
  if (h->headerBytes > size - kFileHeaderBytes) return Fail("truncated header");
  DecodeResult r;
  switch (h->headerBytes) {
    case kCoreHeaderBytes: r = ParseCoreHeader(data, h); break;
    case 40: case 52: case 56: case 108: case 124: r = ParseInfoHeader(data, size, h); break;
    default: return Fail("unsupported header size");
  }
  if (!r.Ok()) return r;

  if (!ImageSizeAcceptable(h->width < 0 ? 0 : h->width, h->height))
    return DecodeResult::Fail(h->width <= 0 || h->height <= 0 ? kInvalidData : E_OUTOFMEMORY,
                              "BMP: unusable dimensions");
  switch (h->compression) {
    case kBiRgb:
      if (h->bpp != 1 && h->bpp != 4 && h->bpp != 8 && h->bpp != 16 && h->bpp != 24 && h->bpp != 32)
        return Fail("unsupported bit depth");
      break;
    case kBiRle8:
      if (h->bpp != 8 || h->topDown) return Fail("RLE8 needs 8 bits and bottom-up rows");
      break;
    case kBiRle4:
      if (h->bpp != 4 || h->topDown) return Fail("RLE4 needs 4 bits and bottom-up rows");
      break;
    case kBiBitfields:
    case kBiAlphaBitfields:
      if (h->bpp != 16 && h->bpp != 32) return Fail("channel masks need 16 or 32 bits");
      break;
    default:
      return Fail("unsupported compression");
  }

  if (h->bpp <= 8) {
    size_t full = size_t{1} << h->bpp;
    if (h->paletteEntries == 0 || h->paletteEntries > full) h->paletteEntries = full;
    // Some writers store fewer entries than the depth allows: trust the pixel offset.
    if (h->pixelOffset > h->paletteOffset) {
      size_t room = (h->pixelOffset - h->paletteOffset) / h->paletteEntryBytes;
      if (room < h->paletteEntries) h->paletteEntries = room;
    } else {
      h->paletteEntries = 0;
    }
  } else {
    h->paletteEntries = 0;
  }
  if (h->pixelOffset < h->paletteOffset + h->paletteEntries * h->paletteEntryBytes || h->pixelOffset >= size)
    return Fail("pixel data offset outside the file");
  return {};
}

// Palette as opaque BGRA words; entries beyond the stored ones read as black.
void ReadPalette(const BYTE *data, const BmpHeader &h, uint32_t palette[256]) {
  for (size_t i = 0; i < 256; ++i) palette[i] = 0xFF000000u;
  for (size_t i = 0; i < h.paletteEntries; ++i) {
    const BYTE *e = data + h.paletteOffset + i * h.paletteEntryBytes;
    palette[i] = 0xFF000000u | (uint32_t{e[2]} << 16) | (uint32_t{e[1]} << 8) | e[0];
  }
}

void StorePixel(Image *out, size_t x, size_t row, uint32_t argb) {
  BYTE *p = out->pixels.data() + (row * out->width + x) * 4;
  p[0] = static_cast<BYTE>(argb);
  p[1] = static_cast<BYTE>(argb >> 8);
  p[2] = static_cast<BYTE>(argb >> 16);
  p[3] = static_cast<BYTE>(argb >> 24);
}

size_t ImageRow(const BmpHeader &h, size_t fileRow) {
  return h.topDown ? fileRow : static_cast<size_t>(h.height) - 1 - fileRow;
}

DecodeResult DecodeUncompressed(const BYTE *data, size_t size, const BmpHeader &h, Image *out) {
  const unsigned long long stride = ((static_cast<unsigned long long>(h.width) * h.bpp + 31) / 32) * 4;
  if (stride * h.height > size - h.pixelOffset) return Fail("truncated pixel data");

  uint32_t palette[256];
  ReadPalette(data, h, palette);
  Channel r, g, b, a;
  uint32_t masks[4] = {h.masks[0], h.masks[1], h.masks[2], h.masks[3]};
  if (h.compression == kBiRgb) {
    // Plain 16 and 32-bit pixels have fixed layouts; stored masks do not apply.
    masks[3] = 0;
    if (h.bpp == 16) { masks[0] = 0x7C00; masks[1] = 0x03E0; masks[2] = 0x001F; }
    if (h.bpp == 32) { masks[0] = 0xFF0000; masks[1] = 0xFF00; masks[2] = 0xFF; }
  }
  if (h.bpp >= 16) {
    const uint32_t limit = h.bpp == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    if ((masks[0] | masks[1] | masks[2] | masks[3]) & ~limit) return Fail("channel mask wider than the pixel");
    if ((masks[0] & masks[1]) || (masks[0] & masks[2]) || (masks[1] & masks[2]) ||
        ((masks[0] | masks[1] | masks[2]) & masks[3]))
      return Fail("overlapping channel masks");
    if (!r.Set(masks[0]) || !g.Set(masks[1]) || !b.Set(masks[2]) || !a.Set(masks[3]))
      return Fail("channel mask not contiguous");
  }

  for (size_t fileRow = 0; fileRow < static_cast<size_t>(h.height); ++fileRow) {
    const BYTE *src = data + h.pixelOffset + fileRow * stride;
    const size_t row = ImageRow(h, fileRow);
    for (size_t x = 0; x < static_cast<size_t>(h.width); ++x) {
      uint32_t argb;
      switch (h.bpp) {
        case 1: argb = palette[(src[x >> 3] >> (7 - (x & 7))) & 1]; break;
        case 4: argb = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF]; break;
        case 8: argb = palette[src[x]]; break;
        case 24:
          argb = 0xFF000000u | (uint32_t{src[3 * x + 2]} << 16) | (uint32_t{src[3 * x + 1]} << 8) | src[3 * x];
          break;
        default: {
          uint32_t v = h.bpp == 16 ? Le16(src + 2 * x) : Le32(src + 4 * x);
          argb = (uint32_t{a.Read(v, 0xFF)} << 24) | (uint32_t{r.Read(v, 0)} << 16) | (uint32_t{g.Read(v, 0)} << 8) |
                 b.Read(v, 0);
          break;
        }
      }
      StorePixel(out, x, row, argb);
    }
  }
  return {};
}

// Run-length data: pairs (count, index) or an escape (0, code). Pixels that fall outside
// the picture are dropped; places the stream skips keep palette index 0.
DecodeResult DecodeRle(const BYTE *data, size_t size, const BmpHeader &h, Image *out) {
  uint32_t palette[256];
  ReadPalette(data, h, palette);
  const bool four = h.compression == kBiRle4;
  const size_t width = static_cast<size_t>(h.width), height = static_cast<size_t>(h.height);
  for (size_t y = 0; y < height; ++y)
    for (size_t x = 0; x < width; ++x) StorePixel(out, x, y, palette[0]);

  size_t pos = h.pixelOffset, x = 0, y = 0;
  auto put = [&](unsigned index) {
    if (x < width && y < height) StorePixel(out, x, ImageRow(h, y), palette[index]);
    ++x;
  };
  for (;;) {
    if (size - pos < 2) return Fail("truncated run-length data");
    const unsigned count = data[pos], value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      for (unsigned i = 0; i < count; ++i) put(four ? ((i & 1) ? value & 0xF : value >> 4) : value);
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return {};
    } else if (value == 2) {
      if (size - pos < 2) return Fail("truncated run-length delta");
      x += data[pos];
      y += data[pos + 1];
      pos += 2;
    } else {
      size_t bytes = four ? (value + 1) / 2 : value;
      size_t padded = (bytes + 1) & ~size_t{1};  // absolute runs end on a 16-bit boundary
      if (size - pos < padded) return Fail("truncated absolute run");
      for (unsigned i = 0; i < value; ++i) {
        BYTE byte = data[pos + (four ? i / 2 : i)];
        put(four ? ((i & 1) ? byte & 0xF : byte >> 4) : byte);
      }
      pos += padded;
    }
    if (y > height) y = height;  // keep the counters bounded; later pixels are dropped
    if (x > width) x = width;
  }
}

D3DFORMAT FileFormat(const BmpHeader &h) {
  if (h.bpp <= 8) return D3DFMT_P8;
  if (h.bpp == 24) return D3DFMT_R8G8B8;
  const bool masked = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
  if (!masked) return h.bpp == 16 ? D3DFMT_X1R5G5B5 : D3DFMT_X8R8G8B8;
  const uint32_t r = h.masks[0], g = h.masks[1], b = h.masks[2], a = h.masks[3];
  struct Known {
    unsigned bpp;
    uint32_t r, g, b, a;
    D3DFORMAT format;
  };
  static const Known kKnown[] = {
      {16, 0x7C00, 0x03E0, 0x001F, 0, D3DFMT_X1R5G5B5},
      {16, 0x7C00, 0x03E0, 0x001F, 0x8000, D3DFMT_A1R5G5B5},
      {16, 0xF800, 0x07E0, 0x001F, 0, D3DFMT_R5G6B5},
      {16, 0x0F00, 0x00F0, 0x000F, 0, D3DFMT_X4R4G4B4},
      {16, 0x0F00, 0x00F0, 0x000F, 0xF000, D3DFMT_A4R4G4B4},
      {32, 0xFF0000, 0xFF00, 0xFF, 0, D3DFMT_X8R8G8B8},
      {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u, D3DFMT_A8R8G8B8},
      {32, 0xFF, 0xFF00, 0xFF0000, 0, D3DFMT_X8B8G8R8},
      {32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u, D3DFMT_A8B8G8R8},
  };
  for (const Known &k : kKnown)
    if (k.bpp == h.bpp && k.r == r && k.g == g && k.b == b && k.a == a) return k.format;
  return a ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

}  // namespace

DecodeResult DecodeBmp(const BYTE *data, size_t size, Image *out) {
  BmpHeader h;
  DecodeResult r = ParseHeader(data, size, &h);
  if (!r.Ok()) return r;
  Image image;
  image.width = static_cast<unsigned>(h.width);
  image.height = static_cast<unsigned>(h.height);
  image.layout = PixelLayout::BGRA8;
  image.fileFormat = FileFormat(h);
  try {
    image.pixels.resize(image.RowBytes() * image.height);
  } catch (const std::bad_alloc &) {
    return DecodeResult::Fail(E_OUTOFMEMORY, "BMP: out of memory");
  }
  r = (h.compression == kBiRle8 || h.compression == kBiRle4) ? DecodeRle(data, size, h, &image)
                                                              : DecodeUncompressed(data, size, h, &image);
  if (!r.Ok()) return r;
  *out = std::move(image);
  return {};
}

}  // namespace zel::gfxutil
