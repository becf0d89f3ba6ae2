#include "gfxutil/texture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "gfxutil/image.h"
#include "gfxutil/image_jpeg.h"
#include "gfxutil/image_scale.h"
#include "gfxutil/texture_levels.h"
#include "platform/d3d9/recording/recording_device.h"
#include "tests/gfxutil/image_fixtures.h"

namespace zel::gfxutil {

namespace {

using d3d9::RecordingDevice;

IDirect3DTexture9 *const kUntouched = reinterpret_cast<IDirect3DTexture9 *>(0x1234);

// The recording device with texture rows longer than their texels, so that a loader that
// ignores the pitch writes into the padding and shows up.
struct Device {
  RecordingDevice *d = RecordingDevice::Create();
  Device() { d->PadTextureRows(12); }
  ~Device() { d->Release(); }
  size_t Live() const { return d->LiveObjects("TEX"); }
  size_t Made() const { return d->MadeObjects("TEX"); }
};

IDirect3DTexture9 *Load(Device &device, const std::vector<BYTE> &file, const char *name, HRESULT *hr = nullptr) {
  IDirect3DTexture9 *texture = kUntouched;
  HRESULT result = D3DXCreateTextureFromFileA(device.d, test::WriteTempFile(name, file).c_str(), &texture);
  if (hr) *hr = result;
  if (FAILED(result)) {
    EXPECT_EQ(texture, kUntouched);  // nothing written through the output on failure
    return nullptr;
  }
  return texture;
}

D3DSURFACE_DESC Desc(IDirect3DTexture9 *t, UINT level = 0) {
  D3DSURFACE_DESC desc{};
  EXPECT_EQ(t->GetLevelDesc(level, &desc), D3D_OK);
  return desc;
}

const d3d9::TextureLevel &Level(IDirect3DTexture9 *t, UINT level) {
  return RecordingDevice::TextureData(t)->Level(level);
}

DWORD Pixel32(IDirect3DTexture9 *t, UINT level, UINT x, UINT y) {
  const d3d9::TextureLevel &l = Level(t, level);
  DWORD v;
  std::memcpy(&v, &l.bytes.at(static_cast<size_t>(y) * l.pitch + x * 4), 4);
  return v;
}

BYTE Pixel8(IDirect3DTexture9 *t, UINT level, UINT x, UINT y) {
  const d3d9::TextureLevel &l = Level(t, level);
  return l.bytes.at(static_cast<size_t>(y) * l.pitch + x);
}

void ExpectColourNear(DWORD argb, DWORD expected, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = (argb >> shift) & 0xFF, b = (expected >> shift) & 0xFF;
    EXPECT_LE(std::abs(a - b), tolerance) << std::hex << argb << " vs " << expected;
  }
}

TEST(TextureFromFile, ColourJpegIsRoundedUpWithAFullMipChain) {
  Device device;
  IDirect3DTexture9 *t = Load(device, test::MakeJpeg(200, 100, 3, false), "colour.jpg");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(Desc(t).Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(Desc(t).Pool, D3DPOOL_MANAGED);
  ASSERT_EQ(t->GetLevelCount(), 9u);
  EXPECT_EQ(Desc(t, 0).Width, 256u);
  EXPECT_EQ(Desc(t, 0).Height, 128u);
  EXPECT_EQ(Desc(t, 8).Width, 1u);
  EXPECT_EQ(Desc(t, 8).Height, 1u);
  // A flat picture stays flat through scaling and every level; the top byte is opaque.
  for (UINT level : {0u, 3u, 8u}) {
    ExpectColourNear(Pixel32(t, level, 0, 0), 0xFFC86432, 3);
    ExpectColourNear(Pixel32(t, level, Desc(t, level).Width - 1, Desc(t, level).Height - 1), 0xFFC86432, 3);
  }
  EXPECT_EQ(Level(t, 0).bytes[Level(t, 0).pitch - 1], d3d9::TextureMemory::kPaddingByte);  // padding left alone
  EXPECT_EQ(t->Release(), 0u);
  EXPECT_EQ(device.Live(), 0u);
}

TEST(TextureFromFile, PowerOfTwoImagesKeepTheirSize) {
  Device device;
  IDirect3DTexture9 *t = Load(device, test::MakeJpeg(256, 256, 3, true), "progressive.jpg");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(Desc(t, 0).Width, 256u);
  EXPECT_EQ(Desc(t, 0).Height, 256u);
  EXPECT_EQ(t->GetLevelCount(), 9u);
  ExpectColourNear(Pixel32(t, 0, 17, 200), 0xFFC86432, 3);
  t->Release();
}

TEST(TextureFromFile, GreyJpegMakesAnL8Texture) {
  Device device;
  IDirect3DTexture9 *t = Load(device, test::MakeJpeg(16, 8, 1, false, 90), "grey.jpg");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(Desc(t).Format, D3DFMT_L8);
  EXPECT_EQ(t->GetLevelCount(), 5u);
  EXPECT_NEAR(Pixel8(t, 0, 5, 5), 90, 2);
  t->Release();

  device.d->RefuseTextureFormat(D3DFMT_L8);  // falls back to grey in 32-bit colour
  t = Load(device, test::MakeJpeg(16, 8, 1, false, 90), "grey2.jpg");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(Desc(t).Format, D3DFMT_X8R8G8B8);
  ExpectColourNear(Pixel32(t, 0, 3, 3), 0xFF5A5A5A, 2);
  t->Release();
}

TEST(TextureFromFile, CmykJpegIsRefusedWithEFail) {
  Device device;
  HRESULT hr = S_OK;
  EXPECT_EQ(Load(device, test::MakeJpeg(8, 8, 4, false), "cmyk.jpg", &hr), nullptr);
  EXPECT_EQ(hr, E_FAIL);
  EXPECT_EQ(device.Made(), 0u);
}

TEST(TextureFromFile, MissingUnknownAndTruncatedFilesFail) {
  Device device;
  IDirect3DTexture9 *texture = kUntouched;
  EXPECT_EQ(D3DXCreateTextureFromFileA(device.d, "no/such/file.jpg", &texture), gfxutil::kInvalidData);
  EXPECT_EQ(texture, kUntouched);
  HRESULT hr = S_OK;
  EXPECT_EQ(Load(device, {'G', 'I', 'F', '8', '9', 'a'}, "x.gif", &hr), nullptr);
  EXPECT_EQ(hr, gfxutil::kInvalidData);
  EXPECT_EQ(Load(device, {}, "empty.jpg", &hr), nullptr);
  EXPECT_EQ(hr, gfxutil::kInvalidData);
  EXPECT_EQ(device.Made(), 0u);
  EXPECT_EQ(D3DXCreateTextureFromFileA(nullptr, "x", &texture), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXCreateTextureFromFileA(device.d, nullptr, &texture), D3DERR_INVALIDCALL);
}

// Every prefix of a JPEG fails (libjpeg would otherwise fill the missing part with grey)
// and no corrupted byte crashes or overruns the decoder.
TEST(JpegDecoder, TruncatedAndCorruptedFiles) {
  for (bool progressive : {false, true}) {
    const std::vector<BYTE> file = test::MakeJpeg(40, 24, 3, progressive);
    gfxutil::Image image;
    ASSERT_TRUE(gfxutil::DecodeJpeg(file.data(), file.size(), &image).Ok());
    for (size_t n = 0; n < file.size(); n += 7) {
      std::vector<BYTE> prefix(file.begin(), file.begin() + n);
      EXPECT_TRUE(FAILED(gfxutil::DecodeJpeg(prefix.data(), prefix.size(), &image).hr)) << n;
    }
    std::srand(7);
    for (int trial = 0; trial < 300; ++trial) {
      std::vector<BYTE> damaged = file;
      for (int k = 0; k < 3; ++k) damaged[std::rand() % damaged.size()] ^= static_cast<BYTE>(1 + std::rand() % 255);
      gfxutil::Image out;
      gfxutil::DecodeResult r = gfxutil::DecodeJpeg(damaged.data(), damaged.size(), &out);
      if (r.Ok()) {
        EXPECT_EQ(out.pixels.size(), out.RowBytes() * out.height);
      }
    }
  }
}

TEST(TextureFromFile, BitmapsKeepExactColoursAtPowerOfTwoSizes) {
  Device device;
  test::BmpFormat bmpFormat;
  bmpFormat.bpp = 16;  // 5-5-5 stays 5-5-5 on the texture, bit for bit
  IDirect3DTexture9 *t = Load(device, test::MakeBmp(bmpFormat, 2, 1, {{0x10, 0x7C, 0xE0, 0x03}}), "b16.bmp");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(Desc(t).Format, D3DFMT_X1R5G5B5);
  EXPECT_EQ(Level(t, 0).bytes[0] | (Level(t, 0).bytes[1] << 8), 0xFC10);
  EXPECT_EQ(Level(t, 0).bytes[2] | (Level(t, 0).bytes[3] << 8), 0x83E0);
  t->Release();

  device.d->RefuseTextureFormat(D3DFMT_X1R5G5B5);
  device.d->RefuseTextureFormat(D3DFMT_R5G6B5);
  t = Load(device, test::MakeBmp(bmpFormat, 2, 1, {{0x10, 0x7C, 0xE0, 0x03}}), "b16b.bmp");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(Desc(t).Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(Pixel32(t, 0, 0, 0), 0xFFFF0084u);
  EXPECT_EQ(Pixel32(t, 1, 0, 0), 0xFF808042u);  // 1x1 level: the box average of both
  t->Release();

  test::BmpFormat palette;
  palette.bpp = 8;
  palette.palette = {0x000000, 0x123456};
  t = Load(device, test::MakeBmp(palette, 1, 1, {{1}}), "p8.bmp");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(Desc(t).Format, D3DFMT_X8R8G8B8);  // palette textures are not made
  EXPECT_EQ(Pixel32(t, 0, 0, 0), 0xFF123456u);
  t->Release();

  test::BmpFormat alpha;
  alpha.headerBytes = 124;
  alpha.bpp = 32;
  alpha.compression = 3;
  alpha.masks[0] = 0xFF0000;
  alpha.masks[1] = 0xFF00;
  alpha.masks[2] = 0xFF;
  alpha.masks[3] = 0xFF000000u;
  t = Load(device, test::MakeBmp(alpha, 1, 1, {{1, 2, 3, 4}}), "a32.bmp");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(Desc(t).Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(Pixel32(t, 0, 0, 0), 0x04030201u);
  t->Release();
  EXPECT_EQ(device.Live(), 0u);
}

TEST(TextureFromFile, SizeIsHeldWithinTheDeviceMaximum) {
  Device device;
  device.d->SetMaxTextureSize(100, 100);  // not a power of two
  IDirect3DTexture9 *t = Load(device, test::MakeJpeg(200, 100, 3, false), "big.jpg");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(Desc(t, 0).Width, 64u);
  EXPECT_EQ(Desc(t, 0).Height, 64u);
  EXPECT_EQ(t->GetLevelCount(), 7u);
  t->Release();
}

TEST(TextureFromFile, DeviceFailuresReleaseTheTextureAndWriteNothing) {
  Device device;
  const std::vector<BYTE> file = test::MakeJpeg(8, 8, 3, false);
  device.d->SetCreateFailure("CreateTexture", D3DERR_INVALIDCALL);
  HRESULT hr = S_OK;
  EXPECT_EQ(Load(device, file, "f1.jpg", &hr), nullptr);
  EXPECT_EQ(hr, D3DERR_INVALIDCALL);
  device.d->SetCreateFailure("CreateTexture", S_OK);
  device.d->SetTextureLockFailure(D3DERR_INVALIDCALL);
  EXPECT_EQ(Load(device, file, "f2.jpg", &hr), nullptr);
  EXPECT_TRUE(FAILED(hr));
  EXPECT_EQ(device.Made(), 1u);
  EXPECT_EQ(device.Live(), 0u);
}

TEST(TextureLevels, PlanningFollowsTheRequests) {
  using gfxutil::PlanTexture;
  auto plan = PlanTexture(200, 100, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 4096, 4096);
  EXPECT_EQ(plan.width, 256u);
  EXPECT_EQ(plan.height, 128u);
  EXPECT_EQ(plan.levels, 9u);
  plan = PlanTexture(1, 1, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 4096, 4096);
  EXPECT_EQ(plan.levels, 1u);
  plan = PlanTexture(257, 3, 0, 0, 3, 0, 0);
  EXPECT_EQ(plan.width, 512u);
  EXPECT_EQ(plan.height, 4u);
  EXPECT_EQ(plan.levels, 3u);
  plan = PlanTexture(200, 100, D3DX_DEFAULT_NONPOW2, 50, D3DX_FROM_FILE, 150, 0);
  EXPECT_EQ(plan.width, 150u);
  EXPECT_EQ(plan.height, 50u);
  EXPECT_EQ(plan.levels, 1u);
}

gfxutil::Image Ramp(unsigned width, unsigned height) {
  gfxutil::Image image;
  image.width = width;
  image.height = height;
  image.layout = gfxutil::PixelLayout::L8;
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x) image.pixels.push_back(static_cast<BYTE>(x * 255 / (width - 1)));
  return image;
}

TEST(ImageScale, TriangleFilterKeepsFlatAreasAndOrder) {
  gfxutil::Image flat = Ramp(7, 5);
  std::fill(flat.pixels.begin(), flat.pixels.end(), 77);
  for (auto [w, h] : {std::pair{16u, 8u}, std::pair{2u, 2u}, std::pair{1u, 1u}, std::pair{7u, 64u}}) {
    gfxutil::Image scaled = gfxutil::ScaleTriangle(flat, w, h);
    ASSERT_EQ(scaled.pixels.size(), size_t{w} * h);
    for (BYTE v : scaled.pixels) EXPECT_EQ(v, 77);
  }
  // A left-to-right ramp stays a ramp both when enlarged and when shrunk.
  for (unsigned w : {256u, 64u}) {
    gfxutil::Image scaled = gfxutil::ScaleTriangle(Ramp(200, 3), w, 2);
    for (unsigned x = 1; x < w; ++x) EXPECT_GE(scaled.pixels[x], scaled.pixels[x - 1]);
    EXPECT_LE(scaled.pixels[0], 4);
    EXPECT_GE(scaled.pixels[w - 1], 251);
  }
  // Top-to-bottom ramps shrunk a long way (many rows per output row) and enlarged.
  for (unsigned h : {7u, 1000u}) {
    gfxutil::Image ramp = Ramp(300, 1);
    ramp.width = 1;
    ramp.height = 300;
    gfxutil::Image scaled = gfxutil::ScaleTriangle(ramp, 2, h);
    ASSERT_EQ(scaled.pixels.size(), size_t{2} * h);
    for (unsigned y = 1; y < h; ++y) EXPECT_GE(scaled.pixels[2 * y], scaled.pixels[2 * y - 2]);
    EXPECT_EQ(scaled.pixels[0], scaled.pixels[1]);
    EXPECT_LE(scaled.pixels[0], h == 7 ? 25 : 2);
    EXPECT_GE(scaled.pixels[2 * h - 1], h == 7 ? 230 : 253);
  }
}

TEST(ImageScale, BoxHalvingAveragesBlocks) {
  gfxutil::Image image;
  image.width = 2;
  image.height = 2;
  image.layout = gfxutil::PixelLayout::L8;
  image.pixels = {0, 100, 50, 255};
  gfxutil::Image half = gfxutil::BoxHalve(image);
  ASSERT_EQ(half.width, 1u);
  ASSERT_EQ(half.height, 1u);
  EXPECT_EQ(half.pixels[0], 101);  // (0 + 100 + 50 + 255 + 2) / 4
  image.width = 4;
  image.height = 1;
  half = gfxutil::BoxHalve(image);
  EXPECT_EQ(half.width, 2u);
  EXPECT_EQ(half.height, 1u);
  EXPECT_EQ(half.pixels[0], 50);
  EXPECT_EQ(half.pixels[1], 153);
}

// 32-bit images take a faster path for even sides; it must round exactly as the rule.
TEST(ImageScale, BoxHalvingOfColourMatchesThePerChannelRule) {
  for (auto [w, h] : {std::pair{10u, 6u}, std::pair{7u, 3u}, std::pair{2u, 1u}}) {
    gfxutil::Image image;
    image.width = w;
    image.height = h;
    image.layout = gfxutil::PixelLayout::BGRA8;
    std::srand(w);
    for (unsigned i = 0; i < w * h * 4; ++i) image.pixels.push_back(static_cast<BYTE>(std::rand()));
    const gfxutil::Image half = gfxutil::BoxHalve(image);
    ASSERT_EQ(half.width, std::max(1u, w / 2));
    ASSERT_EQ(half.height, std::max(1u, h / 2));
    auto at = [&](unsigned x, unsigned y, unsigned c) {
      return image.pixels[((std::min(y, h - 1)) * w + std::min(x, w - 1)) * 4 + c];
    };
    for (unsigned y = 0; y < half.height; ++y)
      for (unsigned x = 0; x < half.width; ++x)
        for (unsigned c = 0; c < 4; ++c) {
          const int sum = at(2 * x, 2 * y, c) + at(2 * x + 1, 2 * y, c) + at(2 * x, 2 * y + 1, c) +
                          at(2 * x + 1, 2 * y + 1, c);
          EXPECT_EQ(half.pixels[(y * half.width + x) * 4 + c], (sum + 2) / 4) << w << "x" << h << " " << x << "," << y;
        }
  }
}

}  // namespace

}  // namespace zel::gfxutil
