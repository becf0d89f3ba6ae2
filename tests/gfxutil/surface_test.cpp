// Surfaces to memory and to PNG files through the standard surface calls, on the recording
// device (whose back buffer holds what Clear wrote): GrabBackBuffer, D3DXSaveSurfaceToFileA
// and the PNG writer, read back with libpng.
#include "gfxutil/surface.h"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gfxutil/image_png.h"
#include "platform/d3d9/recording/recording_device.h"

namespace zel::gfxutil {

namespace {

using zel::d3d9::RecordingDevice;

struct Png {
  UINT width = 0, height = 0;
  int channels = 0;
  std::vector<uint8_t> bytes;  // rows from the top
  // 0xRRGGBB, or 0xAARRGGBB for a file with alpha.
  uint32_t At(UINT x, UINT y) const {
    const uint8_t *p = &bytes[(static_cast<size_t>(y) * width + x) * channels];
    uint32_t rgb = uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    return channels == 4 ? uint32_t{p[3]} << 24 | rgb : rgb;
  }
};

bool ReadPng(const std::string &path, Png *out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  out->channels = (image.format & PNG_FORMAT_FLAG_ALPHA) ? 4 : 3;
  image.format = out->channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  out->width = image.width;
  out->height = image.height;
  out->bytes.resize(PNG_IMAGE_SIZE(image));
  return png_image_finish_read(&image, nullptr, out->bytes.data(), 0, nullptr) != 0;
}

class SurfaceTest : public ::testing::Test {
 protected:
  static constexpr UINT kWidth = 40, kHeight = 30;

  void SetUp() override {
    device_ = RecordingDevice::Create(kWidth, kHeight);
    // Red above, blue below: a file upside down or with its channels swapped shows it.
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff0000ff, 1.0f, 0);
    const D3DRECT top{0, 0, static_cast<LONG>(kWidth), 10};
    device_->Clear(1, &top, D3DCLEAR_TARGET, 0xffff0000, 1.0f, 0);
    ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back_), D3D_OK);
  }
  void TearDown() override {
    back_->Release();
    EXPECT_EQ(device_->Release(), 0u);
    std::remove(path_.c_str());
  }
  IDirect3DSurface9 *Copy(D3DFORMAT format = D3DFMT_X8R8G8B8) {
    IDirect3DSurface9 *copy = nullptr;
    EXPECT_EQ(device_->CreateOffscreenPlainSurface(kWidth, kHeight, format, D3DPOOL_SYSTEMMEM, &copy, nullptr), D3D_OK);
    return copy;
  }

  RecordingDevice *device_ = nullptr;
  IDirect3DSurface9 *back_ = nullptr;
  std::string path_ = std::string(ZEL16_BINARY_DIR) + "/surface_test_" + std::to_string(getpid()) + ".png";
};

TEST_F(SurfaceTest, GrabBackBufferGivesTopDownRgbaRowsWithOpaqueAlpha) {
  std::vector<uint8_t> rgba;
  UINT w = 0, h = 0;
  ASSERT_TRUE(gfxutil::GrabBackBuffer(device_, &rgba, &w, &h));
  EXPECT_EQ(w, kWidth);
  EXPECT_EQ(h, kHeight);
  ASSERT_EQ(rgba.size(), kWidth * kHeight * 4u);
  EXPECT_EQ((std::vector<uint8_t>(rgba.begin(), rgba.begin() + 4)), (std::vector<uint8_t>{255, 0, 0, 255}));
  const size_t last = (kWidth * kHeight - 1) * 4u;
  EXPECT_EQ((std::vector<uint8_t>(rgba.begin() + last, rgba.end())), (std::vector<uint8_t>{0, 0, 255, 255}));
  // It asked for the pixels the standard way.
  EXPECT_EQ(device_->CountCalls("GetRenderTargetData"), 1u);
  EXPECT_FALSE(gfxutil::GrabBackBuffer(nullptr, &rgba, &w, &h));
}

TEST_F(SurfaceTest, SavesASystemMemorySurfaceAsRgbPng) {
  IDirect3DSurface9 *copy = Copy();
  ASSERT_EQ(device_->GetRenderTargetData(back_, copy), D3D_OK);
  ASSERT_EQ(D3DXSaveSurfaceToFileA(path_.c_str(), D3DXIFF_PNG, copy, nullptr, nullptr), D3D_OK);
  Png png;
  ASSERT_TRUE(ReadPng(path_, &png));
  EXPECT_EQ(png.width, kWidth);
  EXPECT_EQ(png.height, kHeight);
  EXPECT_EQ(png.channels, 3);
  EXPECT_EQ(png.At(0, 0), 0xff0000u);
  EXPECT_EQ(png.At(kWidth - 1, 9), 0xff0000u);
  EXPECT_EQ(png.At(0, 10), 0x0000ffu);
  // A rectangle: only that part, from its corner.
  const RECT part{5, 8, 15, 12};
  ASSERT_EQ(D3DXSaveSurfaceToFileA(path_.c_str(), D3DXIFF_PNG, copy, nullptr, &part), D3D_OK);
  ASSERT_TRUE(ReadPng(path_, &png));
  EXPECT_EQ(png.width, 10u);
  EXPECT_EQ(png.height, 4u);
  EXPECT_EQ(png.At(0, 1), 0xff0000u);
  EXPECT_EQ(png.At(9, 2), 0x0000ffu);
  copy->Release();
}

TEST_F(SurfaceTest, SavesTheBackBufferThroughACopyAndKeepsAlphaOfA8R8G8B8) {
  // The back buffer cannot be locked: the save reads it back first.
  ASSERT_EQ(D3DXSaveSurfaceToFileA(path_.c_str(), D3DXIFF_PNG, back_, nullptr, nullptr), D3D_OK);
  Png png;
  ASSERT_TRUE(ReadPng(path_, &png));
  EXPECT_EQ(png.At(3, 20), 0x0000ffu);
  IDirect3DSurface9 *alpha = Copy(D3DFMT_A8R8G8B8);
  D3DLOCKED_RECT lr;
  ASSERT_EQ(alpha->LockRect(&lr, nullptr, 0), D3D_OK);
  static_cast<uint8_t *>(lr.pBits)[0] = 0x10;  // B, G, R, A of the first pixel
  static_cast<uint8_t *>(lr.pBits)[1] = 0x20;
  static_cast<uint8_t *>(lr.pBits)[2] = 0x30;
  static_cast<uint8_t *>(lr.pBits)[3] = 0x40;
  alpha->UnlockRect();
  ASSERT_EQ(D3DXSaveSurfaceToFileA(path_.c_str(), D3DXIFF_PNG, alpha, nullptr, nullptr), D3D_OK);
  ASSERT_TRUE(ReadPng(path_, &png));
  EXPECT_EQ(png.channels, 4);
  EXPECT_EQ(png.At(0, 0), 0x40302010u);
  alpha->Release();
}

TEST_F(SurfaceTest, SaveRefusesWhatItCannotWrite) {
  IDirect3DSurface9 *copy = Copy();
  EXPECT_EQ(D3DXSaveSurfaceToFileA(path_.c_str(), D3DXIFF_BMP, copy, nullptr, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXSaveSurfaceToFileA(nullptr, D3DXIFF_PNG, copy, nullptr, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXSaveSurfaceToFileA(path_.c_str(), D3DXIFF_PNG, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
  const RECT outside{30, 20, 41, 30};
  EXPECT_EQ(D3DXSaveSurfaceToFileA(path_.c_str(), D3DXIFF_PNG, copy, nullptr, &outside), D3DERR_INVALIDCALL);
  const RECT empty{5, 5, 5, 9};
  EXPECT_EQ(D3DXSaveSurfaceToFileA(path_.c_str(), D3DXIFF_PNG, copy, nullptr, &empty), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXSaveSurfaceToFileA("/nonexistent/folder/x.png", D3DXIFF_PNG, copy, nullptr, nullptr), E_FAIL);
  // A locked surface cannot be read, nor copied into.
  D3DLOCKED_RECT lr;
  ASSERT_EQ(copy->LockRect(&lr, nullptr, 0), D3D_OK);
  EXPECT_EQ(D3DXSaveSurfaceToFileA(path_.c_str(), D3DXIFF_PNG, copy, nullptr, nullptr), D3DERR_INVALIDCALL);
  copy->UnlockRect();
  copy->Release();
}

TEST(WritePng, RefusesABufferSmallerThanTheImage) {
  std::string error;
  std::vector<uint8_t> rgba(4 * 4 * 4 - 1);
  EXPECT_FALSE(gfxutil::WritePng("never.png", rgba, 4, 4, &error));
  EXPECT_EQ(error, "no image to write");
  EXPECT_FALSE(gfxutil::WritePng("never.png", rgba, 0, 4, &error));
}

}  // namespace

}  // namespace zel::gfxutil
