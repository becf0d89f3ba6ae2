#include "render/texture_set.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/d3d9/recording/recording_device.h"
#include "tests/gfxutil/image_fixtures.h"

namespace zel::render {

namespace {

// The recording device, released at the end of a test.
struct Device {
  d3d9::RecordingDevice *d = d3d9::RecordingDevice::Create();
  ~Device() { d->Release(); }
  size_t LiveTextures() const { return d->LiveObjects("TEX"); }
  IDirect3DBaseTexture9 *Bound(DWORD stage) const { return d->State().textures[stage]; }
};

TEST(TextureSet, FailedFilesLeaveEmptySlotsWithoutShiftingTheOthers) {
  Device device;
  const std::string jpeg = zel::gfxutil::test::WriteTempFile("set_a.jpg", zel::gfxutil::test::MakeJpeg(8, 8, 3, false));
  zel::gfxutil::test::BmpFormat bmpFormat;
  bmpFormat.bpp = 24;
  const std::string bmp = zel::gfxutil::test::WriteTempFile("set_b.bmp", zel::gfxutil::test::MakeBmp(bmpFormat, 1, 1, {{1, 2, 3}}));
  const std::string broken = zel::gfxutil::test::WriteTempFile("set_c.jpg", {0xFF, 0xD8, 0xFF});
  const char *const files[5] = {"missing.jpg", jpeg.c_str(), broken.c_str(), bmp.c_str(), "missing2.jpg"};

  TextureSet<5> set;
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(set.Get(i), nullptr);
  set.Load(device.d, files);
  EXPECT_EQ(set.Get(0), nullptr);
  ASSERT_NE(set.Get(1), nullptr);
  EXPECT_EQ(set.Get(2), nullptr);
  ASSERT_NE(set.Get(3), nullptr);  // a bitmap among JPEGs loads the same way
  D3DSURFACE_DESC desc{};
  static_cast<IDirect3DTexture9 *>(set.Get(3))->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 1u);
  EXPECT_EQ(set.Get(4), nullptr);
  EXPECT_EQ(device.LiveTextures(), 2u);

  EXPECT_EQ(set.Bind(device.d, 1, 3), D3D_OK);
  EXPECT_EQ(device.Bound(1), set.Get(3));
  set.Bind(device.d, 0, 0);  // an empty slot unbinds the stage
  EXPECT_EQ(device.Bound(0), nullptr);
  ASSERT_EQ(device.d->CountCalls("SetTexture"), 2u);

  set.ReleaseAll();
  EXPECT_EQ(device.LiveTextures(), 0u);
  EXPECT_EQ(set.Get(1), nullptr);
  set.ReleaseAll();  // nothing left to release twice
  EXPECT_EQ(device.LiveTextures(), 0u);
}

TEST(TextureSet, DestructionGivesBackWhatIsStillHeld) {
  Device device;
  const std::string jpeg = zel::gfxutil::test::WriteTempFile("set_d.jpg", zel::gfxutil::test::MakeJpeg(4, 4, 1, false));
  const char *const files[1] = {jpeg.c_str()};
  {
    TextureSet<1> set;
    set.Load(device.d, files);
    EXPECT_EQ(device.LiveTextures(), 1u);
  }
  EXPECT_EQ(device.LiveTextures(), 0u);
}

}  // namespace

}  // namespace zel::render
