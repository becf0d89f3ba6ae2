// Textures from files on the real OpenGL device: every picture of the show loads, and
// loaded pictures of each format path draw with their own colours.
#include <gtest/gtest.h>

#include <filesystem>

#include "gfxutil/texture.h"
#include "gfxutil/texture_levels.h"
#include "tests/gfxutil/image_fixtures.h"
#include "tests/platform/d3d9/gl_fixture.h"

namespace zel::d3d9 {
namespace {

class GlTextureTest : public GlDeviceTest {
 protected:
  // Draws the texture over the whole back buffer and grabs it.
  void DrawFullScreen(IDirect3DTexture9 *texture) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.0f, 0);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetFVF(kScreenFvf);
    device_->SetTexture(0, texture);
    const float w = kWidth, h = kHeight;
    ScreenVertex v[4] = {{0, 0, 0.5f, 1, 0xffffffff, 0, 0},
                         {w, 0, 0.5f, 1, 0xffffffff, 1, 0},
                         {0, h, 0.5f, 1, 0xffffffff, 0, 1},
                         {w, h, 0.5f, 1, 0xffffffff, 1, 1}};
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex)), D3D_OK);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    device_->SetTexture(0, nullptr);
    Grab();
  }

  void ExpectQuadrants(uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight) {
    EXPECT_EQ(Pixel(kWidth / 4, kHeight / 4), topLeft);
    EXPECT_EQ(Pixel(3 * kWidth / 4, kHeight / 4), topRight);
    EXPECT_EQ(Pixel(kWidth / 4, 3 * kHeight / 4), bottomLeft);
    EXPECT_EQ(Pixel(3 * kWidth / 4, 3 * kHeight / 4), bottomRight);
  }
};

TEST_F(GlTextureTest, EveryPictureOfTheShowLoads) {
  const std::filesystem::path data = std::filesystem::path(ZEL16_BINARY_DIR) / "Data";
  if (!std::filesystem::exists(data)) GTEST_SKIP() << "no generated Data directory";
  int loaded = 0;
  for (const auto &entry : std::filesystem::recursive_directory_iterator(data)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".jpg" && ext != ".bmp") continue;
    IDirect3DTexture9 *texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileA(device_, entry.path().string().c_str(), &texture), D3D_OK) << entry.path();
    D3DSURFACE_DESC desc;
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width & (desc.Width - 1), 0u) << entry.path();
    EXPECT_EQ(desc.Height & (desc.Height - 1), 0u) << entry.path();
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(texture->GetLevelCount(), gfxutil::FullMipCount(desc.Width, desc.Height)) << entry.path();
    EXPECT_EQ(texture->Release(), 0u);
    ++loaded;
  }
  EXPECT_GT(loaded, 0);
}

TEST_F(GlTextureTest, EachFormatPathDrawsItsColours) {
  // 2x2 pictures, one colour per quadrant, through 16-bit, palette and 24-bit bitmaps.
  gfxutil::test::BmpFormat b16;
  b16.bpp = 16;  // red, green / blue, white in 5-5-5
  gfxutil::test::BmpFormat p8;
  p8.bpp = 8;
  p8.palette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  gfxutil::test::BmpFormat rgb;
  rgb.bpp = 24;
  const std::vector<std::vector<BYTE>> files = {
      gfxutil::test::MakeBmp(b16, 2, 2, {{0x00, 0x7C, 0xE0, 0x03}, {0x1F, 0x00, 0xFF, 0x7F}}),
      gfxutil::test::MakeBmp(p8, 2, 2, {{0, 1}, {2, 3}}),
      gfxutil::test::MakeBmp(rgb, 2, 2, {{0, 0, 255, 0, 255, 0}, {255, 0, 0, 255, 255, 255}}),
  };
  int index = 0;
  for (const auto &file : files) {
    const std::string path = gfxutil::test::WriteTempFile("gl" + std::to_string(index++) + ".bmp", file);
    IDirect3DTexture9 *texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileA(device_, path.c_str(), &texture), D3D_OK);
    DrawFullScreen(texture);
    ExpectQuadrants(0xff0000, 0x00ff00, 0x0000ff, 0xffffff);
    texture->Release();
  }

  // Grey JPEG: an L8 texture reads as grey with full alpha.
  const std::string grey = gfxutil::test::WriteTempFile("gl_grey.jpg", gfxutil::test::MakeJpeg(16, 16, 1, false, 128));
  IDirect3DTexture9 *texture = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileA(device_, grey.c_str(), &texture), D3D_OK);
  D3DSURFACE_DESC desc;
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_L8);
  DrawFullScreen(texture);
  const uint32_t p = Pixel(kWidth / 2, kHeight / 2);
  EXPECT_NEAR(static_cast<int>(p & 0xFF), 128, 2);
  EXPECT_EQ(p >> 16, p & 0xFF);
  texture->Release();
}

}  // namespace
}  // namespace zel::d3d9
