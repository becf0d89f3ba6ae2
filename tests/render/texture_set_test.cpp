#include "render/texture_set.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/gfxutil/fake_device.h"
#include "tests/gfxutil/image_fixtures.h"

namespace {

using zeltest::FakeDevice;

TEST(TextureSet, FailedFilesLeaveEmptySlotsWithoutShiftingTheOthers) {
  FakeDevice device;
  const std::string jpeg = zeltest::WriteTempFile("set_a.jpg", zeltest::MakeJpeg(8, 8, 3, false));
  zeltest::BmpFormat bmpFormat;
  bmpFormat.bpp = 24;
  const std::string bmp = zeltest::WriteTempFile("set_b.bmp", zeltest::MakeBmp(bmpFormat, 1, 1, {{1, 2, 3}}));
  const std::string broken = zeltest::WriteTempFile("set_c.jpg", {0xFF, 0xD8, 0xFF});
  const char *const files[5] = {"missing.jpg", jpeg.c_str(), broken.c_str(), bmp.c_str(), "missing2.jpg"};

  TextureSet<5> set;
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(set.Get(i), nullptr);
  set.Load(&device, files);
  EXPECT_EQ(set.Get(0), nullptr);
  ASSERT_NE(set.Get(1), nullptr);
  EXPECT_EQ(set.Get(2), nullptr);
  ASSERT_NE(set.Get(3), nullptr);  // a bitmap among JPEGs loads the same way
  EXPECT_EQ(static_cast<zeltest::FakeTexture *>(set.Get(3))->levels[0].width, 1u);
  EXPECT_EQ(set.Get(4), nullptr);
  EXPECT_EQ(device.liveTextures, 2);

  EXPECT_EQ(set.Bind(&device, 1, 3), D3D_OK);
  EXPECT_EQ(device.boundTextures[1], set.Get(3));
  set.Bind(&device, 0, 0);  // an empty slot unbinds the stage
  EXPECT_EQ(device.boundTextures[0], nullptr);
  ASSERT_EQ(device.setTextureCalls.size(), 2u);

  set.ReleaseAll();
  EXPECT_EQ(device.liveTextures, 0);
  EXPECT_EQ(set.Get(1), nullptr);
  set.ReleaseAll();  // nothing left to release twice
  EXPECT_EQ(device.liveTextures, 0);
}

TEST(TextureSet, DestructionGivesBackWhatIsStillHeld) {
  FakeDevice device;
  const std::string jpeg = zeltest::WriteTempFile("set_d.jpg", zeltest::MakeJpeg(4, 4, 1, false));
  const char *const files[1] = {jpeg.c_str()};
  {
    TextureSet<1> set;
    set.Load(&device, files);
    EXPECT_EQ(device.liveTextures, 1);
  }
  EXPECT_EQ(device.liveTextures, 0);
}

}  // namespace
