#include "gfxutil/image_bmp.h"

#include <gtest/gtest.h>

#include "tests/gfxutil/image_fixtures.h"

namespace zel::gfxutil {

namespace {

using gfxutil::DecodeBmp;
using gfxutil::Image;
using test::BmpFormat;
using test::MakeBmp;

uint32_t Argb(const Image &image, unsigned x, unsigned y) {
  const BYTE *p = image.pixels.data() + (static_cast<size_t>(y) * image.width + x) * 4;
  return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

Image Decode(const std::vector<BYTE> &file) {
  Image image;
  gfxutil::DecodeResult r = DecodeBmp(file.data(), file.size(), &image);
  EXPECT_TRUE(r.Ok()) << r.message;
  return image;
}

const std::vector<uint32_t> kPalette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x808080};

TEST(BmpIndexed, OneFourAndEightBitsThroughThePalette) {
  BmpFormat bmpFormat;
  bmpFormat.palette = {0x102030, 0xA0B0C0};
  bmpFormat.bpp = 1;
  Image one = Decode(MakeBmp(bmpFormat, 10, 2, {{0xA0, 0x40}, {0x00, 0x00}}));
  EXPECT_EQ(one.fileFormat, D3DFMT_P8);
  EXPECT_EQ(Argb(one, 0, 0), 0xFFA0B0C0u);
  EXPECT_EQ(Argb(one, 1, 0), 0xFF102030u);
  EXPECT_EQ(Argb(one, 2, 0), 0xFFA0B0C0u);
  EXPECT_EQ(Argb(one, 9, 0), 0xFFA0B0C0u);  // second byte, bit 6
  EXPECT_EQ(Argb(one, 9, 1), 0xFF102030u);

  bmpFormat.bpp = 4;
  bmpFormat.palette = kPalette;
  Image four = Decode(MakeBmp(bmpFormat, 3, 1, {{0x12, 0x30}}));
  EXPECT_EQ(Argb(four, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(Argb(four, 1, 0), 0xFF00FF00u);
  EXPECT_EQ(Argb(four, 2, 0), 0xFF0000FFu);

  bmpFormat.bpp = 8;
  Image eight = Decode(MakeBmp(bmpFormat, 2, 2, {{4, 5}, {1, 200}}));
  EXPECT_EQ(Argb(eight, 0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Argb(eight, 1, 0), 0xFF808080u);
  EXPECT_EQ(Argb(eight, 0, 1), 0xFFFF0000u);
  EXPECT_EQ(Argb(eight, 1, 1), 0xFF000000u);  // index beyond the stored palette reads black
}

TEST(BmpIndexed, TopDownAndCoreHeaders) {
  BmpFormat bmpFormat;
  bmpFormat.bpp = 8;
  bmpFormat.palette = kPalette;
  bmpFormat.topDown = true;
  Image topDown = Decode(MakeBmp(bmpFormat, 1, 2, {{1}, {2}}));
  EXPECT_EQ(Argb(topDown, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(Argb(topDown, 0, 1), 0xFF00FF00u);

  BmpFormat core;
  core.headerBytes = 12;
  core.bpp = 8;
  core.palette = kPalette;  // three bytes per entry in a core file
  Image coreImage = Decode(MakeBmp(core, 2, 2, {{1, 2}, {3, 4}}));
  EXPECT_EQ(Argb(coreImage, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(Argb(coreImage, 1, 0), 0xFF00FF00u);
  EXPECT_EQ(Argb(coreImage, 0, 1), 0xFF0000FFu);
  EXPECT_EQ(Argb(coreImage, 1, 1), 0xFFFFFFFFu);

  core.bpp = 24;
  core.palette.clear();
  Image core24 = Decode(MakeBmp(core, 1, 1, {{0x11, 0x22, 0x33}}));
  EXPECT_EQ(core24.fileFormat, D3DFMT_R8G8B8);
  EXPECT_EQ(Argb(core24, 0, 0), 0xFF332211u);
}

TEST(BmpRle, Rle8RunsAbsoluteRunsDeltaAndEndOfLine) {
  BmpFormat bmpFormat;
  bmpFormat.bpp = 8;
  bmpFormat.compression = 1;
  bmpFormat.palette = kPalette;
  // Bottom row: run of 2 x index 1, absolute 3 pixels (2,3,4) padded, end of line.
  // Next row: delta (+1, +0), one pixel of 5, end of bitmap.
  const std::vector<BYTE> rle = {2, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 1, 0, 1, 5, 0, 1};
  Image image = Decode(MakeBmp(bmpFormat, 5, 2, {}, rle));
  EXPECT_EQ(Argb(image, 0, 1), 0xFFFF0000u);
  EXPECT_EQ(Argb(image, 1, 1), 0xFFFF0000u);
  EXPECT_EQ(Argb(image, 2, 1), 0xFF00FF00u);
  EXPECT_EQ(Argb(image, 3, 1), 0xFF0000FFu);
  EXPECT_EQ(Argb(image, 4, 1), 0xFFFFFFFFu);
  EXPECT_EQ(Argb(image, 0, 0), 0xFF000000u);  // skipped by the delta: palette entry 0
  EXPECT_EQ(Argb(image, 1, 0), 0xFF808080u);
}

TEST(BmpRle, Rle4NibblesAndOverlongRunsStayInside) {
  BmpFormat bmpFormat;
  bmpFormat.bpp = 4;
  bmpFormat.compression = 2;
  bmpFormat.palette = kPalette;
  // Run of 3 alternating 1,2; absolute 3 nibbles (3,4,5) in 2 bytes; a run of 200 that
  // overflows the 4-pixel row and a delta far outside: both are dropped, not written.
  const std::vector<BYTE> rle = {3, 0x12, 0, 0, 0, 3, 0x34, 0x50, 200, 0x11, 0, 2, 250, 250, 1, 0x22, 0, 1};
  Image image = Decode(MakeBmp(bmpFormat, 4, 2, {}, rle));
  EXPECT_EQ(Argb(image, 0, 1), 0xFFFF0000u);
  EXPECT_EQ(Argb(image, 1, 1), 0xFF00FF00u);
  EXPECT_EQ(Argb(image, 2, 1), 0xFFFF0000u);
  EXPECT_EQ(Argb(image, 3, 1), 0xFF000000u);
  EXPECT_EQ(Argb(image, 0, 0), 0xFF0000FFu);
  EXPECT_EQ(Argb(image, 1, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Argb(image, 2, 0), 0xFF808080u);
  EXPECT_EQ(Argb(image, 3, 0), 0xFFFF0000u);  // start of the 200-pixel run, clipped
}

TEST(BmpTrueColour, SixteenBitsPlainAndWithMasks) {
  BmpFormat bmpFormat;
  bmpFormat.bpp = 16;
  // 5-5-5: red 31, green 0, blue 16 -> 0x7C10.
  Image plain = Decode(MakeBmp(bmpFormat, 1, 1, {{0x10, 0x7C}}));
  EXPECT_EQ(plain.fileFormat, D3DFMT_X1R5G5B5);
  EXPECT_EQ(Argb(plain, 0, 0), 0xFFFF0084u);  // 16 of 31 widens to 132

  bmpFormat.compression = 3;
  bmpFormat.masks[0] = 0xF800;
  bmpFormat.masks[1] = 0x07E0;
  bmpFormat.masks[2] = 0x001F;
  Image rgb565 = Decode(MakeBmp(bmpFormat, 1, 1, {{0xE0, 0x07}}));  // all green
  EXPECT_EQ(rgb565.fileFormat, D3DFMT_R5G6B5);
  EXPECT_EQ(Argb(rgb565, 0, 0), 0xFF00FF00u);

  bmpFormat.headerBytes = 108;
  bmpFormat.masks[0] = 0x0F00;
  bmpFormat.masks[1] = 0x00F0;
  bmpFormat.masks[2] = 0x000F;
  bmpFormat.masks[3] = 0xF000;
  Image argb4444 = Decode(MakeBmp(bmpFormat, 1, 1, {{0x5F, 0x8A}}));
  EXPECT_EQ(argb4444.fileFormat, D3DFMT_A4R4G4B4);
  EXPECT_EQ(Argb(argb4444, 0, 0), 0x88AA55FFu);
}

TEST(BmpTrueColour, TwentyFourAndThirtyTwoBits) {
  BmpFormat bmpFormat;
  bmpFormat.bpp = 24;
  Image rgb = Decode(MakeBmp(bmpFormat, 3, 2, {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}}));
  EXPECT_EQ(rgb.fileFormat, D3DFMT_R8G8B8);
  EXPECT_EQ(Argb(rgb, 0, 0), 0xFF030201u);
  EXPECT_EQ(Argb(rgb, 2, 0), 0xFF090807u);
  EXPECT_EQ(Argb(rgb, 2, 1), 0xFF121110u);  // rows are padded to 12 bytes

  bmpFormat.bpp = 32;
  Image xrgb = Decode(MakeBmp(bmpFormat, 1, 1, {{0x10, 0x20, 0x30, 0x00}}));
  EXPECT_EQ(xrgb.fileFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(Argb(xrgb, 0, 0), 0xFF302010u);  // the unused byte does not become alpha
}

TEST(BmpTrueColour, AlphaMasksInEveryHeaderKind) {
  for (uint32_t headerBytes : {40u, 56u, 108u, 124u}) {
    BmpFormat bmpFormat;
    bmpFormat.headerBytes = headerBytes;
    bmpFormat.bpp = 32;
    bmpFormat.compression = headerBytes == 40 ? 6 : 3;  // a 40-byte header carries alpha only with ALPHABITFIELDS
    bmpFormat.masks[0] = 0x00FF0000;
    bmpFormat.masks[1] = 0x0000FF00;
    bmpFormat.masks[2] = 0x000000FF;
    bmpFormat.masks[3] = 0xFF000000;
    Image image = Decode(MakeBmp(bmpFormat, 1, 1, {{0x10, 0x20, 0x30, 0x40}}));
    EXPECT_EQ(image.fileFormat, D3DFMT_A8R8G8B8) << headerBytes;
    EXPECT_EQ(Argb(image, 0, 0), 0x40302010u) << headerBytes;
  }
  BmpFormat noAlpha;
  noAlpha.headerBytes = 52;
  noAlpha.bpp = 32;
  noAlpha.compression = 3;
  noAlpha.masks[0] = 0x000000FF;  // red in the low byte
  noAlpha.masks[1] = 0x0000FF00;
  noAlpha.masks[2] = 0x00FF0000;
  Image image = Decode(MakeBmp(noAlpha, 1, 1, {{0x10, 0x20, 0x30, 0x40}}));
  EXPECT_EQ(image.fileFormat, D3DFMT_X8B8G8R8);
  EXPECT_EQ(Argb(image, 0, 0), 0xFF102030u);
}

HRESULT DecodeCode(const std::vector<BYTE> &file) {
  Image image;
  return DecodeBmp(file.data(), file.size(), &image).hr;
}

TEST(BmpFailures, BadHeadersAndDataAreRefused) {
  BmpFormat bmpFormat;
  bmpFormat.bpp = 8;
  bmpFormat.palette = kPalette;
  const std::vector<BYTE> good = MakeBmp(bmpFormat, 2, 2, {{1, 2}, {3, 4}});
  ASSERT_EQ(DecodeCode(good), S_OK);

  auto patched = [&](size_t at, uint32_t value, int bytes) {
    std::vector<BYTE> f = good;
    for (int i = 0; i < bytes; ++i) f[at + i] = static_cast<BYTE>(value >> (8 * i));
    return DecodeCode(f);
  };
  EXPECT_EQ(patched(14, 64, 4), gfxutil::kInvalidData);           // OS/2 2.x header size
  EXPECT_EQ(patched(28, 7, 2), gfxutil::kInvalidData);            // 7 bits per pixel
  EXPECT_EQ(patched(30, 4, 4), gfxutil::kInvalidData);            // embedded JPEG
  EXPECT_EQ(patched(30, 1, 4), gfxutil::kInvalidData);            // RLE8 stream without an end
  EXPECT_EQ(patched(18, 0xFFFFFFFEu, 4), gfxutil::kInvalidData);  // negative width
  EXPECT_EQ(patched(22, 0, 4), gfxutil::kInvalidData);            // zero height
  EXPECT_EQ(patched(10, 0xFFFF, 4), gfxutil::kInvalidData);       // pixels past the end
  EXPECT_EQ(patched(10, 20, 4), gfxutil::kInvalidData);           // pixels inside the header
  // 60000 x 60000 claimed by a tiny file: refused before any pixel memory is taken.
  std::vector<BYTE> huge = good;
  for (size_t at : {18u, 22u}) {
    huge[at] = 0x60;
    huge[at + 1] = 0xEA;
  }
  EXPECT_EQ(DecodeCode(huge), E_OUTOFMEMORY);
  EXPECT_EQ(DecodeCode({'B', 'M'}), gfxutil::kInvalidData);
}

TEST(BmpFailures, NonContiguousOrOverlappingMasks) {
  BmpFormat bmpFormat;
  bmpFormat.bpp = 16;
  bmpFormat.compression = 3;
  bmpFormat.masks[0] = 0xF00F;
  bmpFormat.masks[1] = 0x00F0;
  bmpFormat.masks[2] = 0x0F00;
  EXPECT_EQ(DecodeCode(MakeBmp(bmpFormat, 1, 1, {{0, 0}})), gfxutil::kInvalidData);
  bmpFormat.masks[0] = 0xFF00;
  bmpFormat.masks[1] = 0x0FF0;
  bmpFormat.masks[2] = 0x000F;
  EXPECT_EQ(DecodeCode(MakeBmp(bmpFormat, 1, 1, {{0, 0}})), gfxutil::kInvalidData);
  bmpFormat.masks[0] = 0x1F0000;  // wider than a 16-bit pixel
  bmpFormat.masks[1] = 0x07E0;
  EXPECT_EQ(DecodeCode(MakeBmp(bmpFormat, 1, 1, {{0, 0}})), gfxutil::kInvalidData);
}

// Every proper prefix of a valid file is refused; none is read past its end (the
// prefixes live in exactly-sized buffers so a sanitizer build catches any overrun).
TEST(BmpFailures, EveryTruncationIsAnError) {
  BmpFormat indexed;
  indexed.bpp = 4;
  indexed.palette = kPalette;
  BmpFormat rle;
  rle.bpp = 8;
  rle.compression = 1;
  rle.palette = kPalette;
  BmpFormat masked;
  masked.bpp = 32;
  masked.compression = 6;
  masked.masks[0] = 0xFF0000;
  masked.masks[1] = 0xFF00;
  masked.masks[2] = 0xFF;
  masked.masks[3] = 0xFF000000u;
  const std::vector<std::vector<BYTE>> files = {
      MakeBmp(indexed, 3, 2, {{0x12, 0x30}, {0x45, 0x00}}),
      MakeBmp(rle, 4, 2, {}, {4, 1, 0, 0, 0, 4, 1, 2, 3, 4, 0, 1}),
      MakeBmp(masked, 2, 1, {{1, 2, 3, 4, 5, 6, 7, 8}}),
  };
  for (const auto &file : files) {
    ASSERT_EQ(DecodeCode(file), S_OK);
    for (size_t n = 0; n < file.size(); ++n) {
      std::vector<BYTE> prefix(file.begin(), file.begin() + n);
      EXPECT_TRUE(FAILED(DecodeCode(prefix))) << "prefix " << n << " of " << file.size();
    }
  }
}

}  // namespace

}  // namespace zel::gfxutil
